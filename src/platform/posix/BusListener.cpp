#include "BusListener.h"

#include "BusFrame.h"
#include "BusSocket.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>

#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// A process that connects and never writes must not use up the launcher's descriptors...
constexpr std::size_t kMaxQueued = 256;
// ...nor hold back the messages behind it for long.
constexpr int kStallMs = 1000;

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

    Connection(int descriptor, std::uint64_t serial)
        : fd{descriptor}
        , notifier(descriptor, QSocketNotifier::Read)
        , serial(serial)
    {
    }

    // A whole frame and nothing after it: a connection carries one frame, so bytes beyond
    // it make the whole of it garbage.
    bool complete() const { return received == BusFrame::kSize && !tooLong; }
    // Nothing more is to come: the frame is all there, or the sender closed without one (a
    // look-up only checks that the window answers, and closes without a word).
    bool done() const { return received == BusFrame::kSize || ended; }

    void read()
    {
        while (!done()) {
            const ssize_t got = ::recv(fd.fd, bytes.data() + received, BusFrame::kSize - received, MSG_DONTWAIT);
            if (got > 0)
                received += std::size_t(got);
            else if (got < 0 && errno == EINTR)
                continue;
            else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            else
                ended = true;
        }
        char more = 0;
        tooLong = received == BusFrame::kSize && ::recv(fd.fd, &more, 1, MSG_DONTWAIT | MSG_PEEK) > 0;
        notifier.setEnabled(false);
    }

    Descriptor fd;
    QSocketNotifier notifier;
    std::uint64_t serial;
    BusFrame::Bytes bytes = {};
    std::size_t received = 0;
    bool ended = false;
    bool tooLong = false;
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
    queue.clear();
    ::close(listenFd);
}

// A sender writes its frame right after connecting, so it is usually there to be read at once.
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
        if (queue.size() >= kMaxQueued) {
            ::close(fd);
            continue;
        }
        auto connection = std::make_unique<Connection>(fd, ++lastSerial);
        Connection *added = connection.get();
        QObject::connect(&added->notifier, &QSocketNotifier::activated, &added->notifier, [this, added] {
            added->read();
            deliverInOrder();
        });
        queue.push_back(std::move(connection));
        added->read();
        deliverInOrder();
        // A handler may have taken the window off the bus, and this listener with it.
        if (alive.expired())
            return;
    }
}

// Oldest first, as posted messages arrive on Windows: a connection whose frame has not come
// yet holds the later ones back, until it comes or for kStallMs at most.
void BusListener::deliverInOrder()
{
    const std::weak_ptr<char> alive = lifetime;
    while (!queue.empty()) {
        if (!queue.front()->done()) {
            const std::uint64_t serial = queue.front()->serial;
            QTimer::singleShot(kStallMs, notifier.get(), [this, serial] { giveUpOn(serial); });
            return;
        }
        std::unique_ptr<Connection> taken = std::move(queue.front());
        queue.pop_front();
        if (!taken->complete())
            continue;
        deliverFrame(*taken);
        if (alive.expired())
            return;
    }
}

// The handler may take this very window off the bus, and so delete this listener: only
// locals are used once it has been called.
void BusListener::deliverFrame(Connection &connection)
{
    BusFrame frame;
    if (!BusFrame::decode(connection.bytes, &frame))
        return;
    const MessageHandler handler = deliver;
    const bool handled = handler(WindowMessage{window, frame.message, frame.wParam, frame.lParam});
    if (frame.kind == BusFrame::Kind::Send) {
        const unsigned char answer = handled ? 1 : 0;
        sendAll(connection.fd.fd, &answer, 1);
    }
}

void BusListener::giveUpOn(std::uint64_t serial)
{
    if (queue.empty() || queue.front()->serial != serial || queue.front()->done())
        return;
    queue.pop_front();
    deliverInOrder();
}

} // namespace platform
