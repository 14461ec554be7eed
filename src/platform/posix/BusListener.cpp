#include "BusListener.h"

#include "BusFrame.h"
#include "BusSocket.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>

#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// A process that connects and never writes must not use up the launcher's descriptors.
constexpr std::size_t kMaxPending = 64;

void reportRefusedPeer(uid_t peer)
{
    std::fprintf(stderr, "lumbra: a message from user %u was refused: only the user's own programs may send\n",
                 unsigned(peer));
    std::fflush(stderr);
}

} // namespace

// The descriptor outlives its notifier: members go in the reverse order.
struct BusListener::Connection
{
    struct Descriptor
    {
        ~Descriptor() { ::close(fd); }
        int fd;
    };

    explicit Connection(int descriptor)
        : fd{descriptor}
        , notifier(descriptor, QSocketNotifier::Read)
    {
    }

    Descriptor fd;
    QSocketNotifier notifier;
    BusFrame::Bytes bytes = {};
    std::size_t received = 0;
};

std::unique_ptr<BusListener> BusListener::open(const BusDirectory &directory, const BusDirectory::Entry &entry,
                                               MessageHandler deliver, int *error)
{
    const std::string name = BusDirectory::socketName(entry.window);
    // Files named like this window are left from an earlier process with the same id, which
    // is gone: ids hold the process id, and this process holds it now.
    directory.remove(entry.window);
    const int fd = listenAt(directory.folder(), name);
    if (fd < 0) {
        *error = -fd;
        return nullptr;
    }
    std::unique_ptr<BusListener> listener(new BusListener(directory, entry.window, fd, std::move(deliver)));
    if (!directory.writeInfo(entry)) {
        *error = errno ? errno : EIO;
        return nullptr;
    }
    return listener;
}

BusListener::BusListener(const BusDirectory &directory, WindowHandle window, int fd, MessageHandler deliver)
    : directory(directory)
    , window(window)
    , listenFd(fd)
    , deliver(std::move(deliver))
    , notifier(std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read))
{
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [this] { acceptConnections(); });
}

BusListener::~BusListener()
{
    directory.remove(window);
    notifier.reset();
    pending.clear();
    ::close(listenFd);
}

// Each connection is read as soon as it is accepted: a sender writes its frame right after
// connecting, so messages are handled in the order they were sent. One that is not complete
// yet waits for its notifier.
void BusListener::acceptConnections()
{
    const std::weak_ptr<char> alive = lifetime;
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        uid_t peer = uid_t(-1);
        if (!peerIsCurrentUser(fd, &peer)) {
            reportRefusedPeer(peer);
            ::close(fd);
            continue;
        }
        if (pending.size() >= kMaxPending)
            pending.erase(pending.begin());
        auto connection = std::make_unique<Connection>(fd);
        QObject::connect(&connection->notifier, &QSocketNotifier::activated, &connection->notifier,
                         [this, fd] { readFrom(fd); });
        pending[fd] = std::move(connection);
        readFrom(fd);
        // A handler may have taken the window off the bus, and this listener with it.
        if (alive.expired())
            return;
    }
}

void BusListener::readFrom(int fd)
{
    const auto entry = pending.find(fd);
    if (entry == pending.end())
        return;
    Connection &connection = *entry->second;
    const ssize_t got = ::recv(fd, connection.bytes.data() + connection.received,
                               BusFrame::kSize - connection.received, MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    // A look-up only checks that the window answers, and closes without a word.
    if (got <= 0) {
        pending.erase(entry);
        return;
    }
    connection.received += std::size_t(got);
    if (connection.received < BusFrame::kSize)
        return;

    // The handler may take this very window off the bus, and so delete this listener: from
    // here on only locals are used.
    std::unique_ptr<Connection> taken = std::move(entry->second);
    pending.erase(entry);
    taken->notifier.setEnabled(false);
    BusFrame frame;
    if (!BusFrame::decode(taken->bytes, &frame))
        return;
    const MessageHandler handler = deliver;
    const bool handled = handler(WindowMessage{window, frame.message, frame.wParam, frame.lParam});
    if (frame.kind == BusFrame::Kind::Send) {
        const unsigned char answer = handled ? 1 : 0;
        sendAll(taken->fd.fd, &answer, 1);
    }
}

} // namespace platform
