#include "BusListener.h"

#include "BusFrame.h"
#include "BusSocket.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A process that connects and never writes must not use up the launcher's descriptors: past
// this many, the connection that has waited longest makes room...
constexpr std::size_t kMaxWaiting = 256;
// ...and none waits longer than this for its frame.
constexpr int kSilentMs = 1000;

void reportRefusedPeer(uid_t peer)
{
    std::fprintf(stderr, "lumbra: a message from user %u was refused: only the user's own programs may send\n",
                 unsigned(peer));
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

    // A whole frame and nothing after it: a connection carries one frame, so bytes beyond
    // it make the whole of it garbage.
    bool complete() const { return received == BusFrame::kSize && !tooLong; }
    // Nothing more is to come: the frame is all there, or the sender closed without one (a
    // process that only checks whether a window's handle is taken closes without a word).
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
    BusFrame::Bytes bytes = {};
    std::size_t received = 0;
    bool ended = false;
    bool tooLong = false;
};

std::unique_ptr<BusListener> BusListener::open(const BusDirectory &directory, const BusDirectory::Entry &entry,
                                               MessageHandler deliver, int *error)
{
    std::unique_ptr<BusListener> listener(new BusListener(entry, std::move(deliver)));
    if (!listener->reopen(directory, error))
        return nullptr;
    return listener;
}

BusListener::BusListener(const BusDirectory::Entry &entry, MessageHandler deliver)
    : directory(std::string())
    , entry(entry)
    , deliver(std::move(deliver))
    , timers(std::make_unique<QObject>())
{
}

BusListener::~BusListener()
{
    if (listenFd >= 0)
        directory.remove(entry.window);
    notifier.reset();
    waiting.clear();
    if (listenFd >= 0)
        ::close(listenFd);
}

bool BusListener::isFindable(const BusDirectory &in) const
{
    if (listenFd < 0 || in.folder() != directory.folder())
        return false;
    struct stat socketFile;
    struct stat infoFile;
    return ::lstat((in.folder() + "/" + BusDirectory::socketName(entry.window)).c_str(), &socketFile) == 0
        && socketFile.st_dev == socketDevice && socketFile.st_ino == socketInode
        && ::lstat((in.folder() + "/" + BusDirectory::infoName(entry.window)).c_str(), &infoFile) == 0
        && S_ISREG(infoFile.st_mode);
}

bool BusListener::reopen(const BusDirectory &into, int *error)
{
    const std::string name = BusDirectory::socketName(entry.window);
    // Files named like this window are its own, left behind, or from an earlier process with
    // the same id, which is gone: ids hold the process id, and this process holds it now.
    into.remove(entry.window);
    const int fd = listenAt(into.folder(), name);
    if (fd < 0) {
        *error = -fd;
        return false;
    }
    struct stat info;
    if (::lstat((into.folder() + "/" + name).c_str(), &info) != 0 || !into.writeInfo(entry)) {
        *error = errno ? errno : EIO;
        into.remove(entry.window);
        ::close(fd);
        return false;
    }
    const int previous = listenFd;
    listenFd = fd;
    directory = into;
    socketDevice = info.st_dev;
    socketInode = info.st_ino;
    notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [this] { acceptConnections(); });
    if (previous >= 0)
        takeOver(previous);
    return true;
}

// Connections made before the old socket went are still served; no handler runs here, so the
// caller's loop over its windows stays valid. Their own notifiers pick them up.
void BusListener::takeOver(int oldFd)
{
    for (;;) {
        const int fd = ::accept4(oldFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            adopt(fd);
        else if (errno != EINTR && errno != ECONNABORTED)
            break;
    }
    ::close(oldFd);
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
        if (adopt(fd))
            deliverReady();
        // A handler may have taken the window off the bus, and this listener with it.
        if (alive.expired())
            return;
    }
}

bool BusListener::adopt(int fd)
{
    uid_t peer = uid_t(-1);
    if (!peerIsCurrentUser(fd, &peer)) {
        reportRefusedPeer(peer);
        ::close(fd);
        return false;
    }
    if (waiting.size() >= kMaxWaiting)
        waiting.erase(waiting.begin());
    const std::uint64_t serial = ++lastSerial;
    auto connection = std::make_unique<Connection>(fd);
    QObject::connect(&connection->notifier, &QSocketNotifier::activated, &connection->notifier,
                     [this] { deliverReady(); });
    QTimer::singleShot(kSilentMs, timers.get(), [this, serial] { giveUpOn(serial); });
    waiting.emplace(serial, std::move(connection));
    return true;
}

// Frames go on in the order their connections came in, passing over only those whose frame
// is not there even now that a later one's is: a sender writes its frame before it connects
// again, so those belong to other senders, slow or silent. A handler may run an event loop
// of its own and come back here: the walk goes by serial, not by iterator.
void BusListener::deliverReady()
{
    const std::weak_ptr<char> alive = lifetime;
    std::uint64_t after = 0;
    for (auto next = waiting.upper_bound(after); next != waiting.end(); next = waiting.upper_bound(after)) {
        after = next->first;
        next->second->read();
        if (!next->second->done())
            continue;
        const std::unique_ptr<Connection> taken = std::move(next->second);
        waiting.erase(next);
        handle(*taken);
        if (alive.expired())
            return;
    }
}

// The handler may take this very window off the bus, and so delete this listener: only
// locals are used once it has been called.
void BusListener::handle(Connection &connection)
{
    BusFrame frame;
    if (!connection.complete() || !BusFrame::decode(connection.bytes, &frame))
        return;
    bool handled = true;
    if (frame.kind != BusFrame::Kind::LookUp) {
        const MessageHandler handler = deliver;
        handled = handler(WindowMessage{entry.window, frame.message, frame.wParam, frame.lParam});
    }
    if (frame.kind != BusFrame::Kind::Post) {
        const unsigned char answer = handled ? 1 : 0;
        sendAll(connection.fd.fd, &answer, 1);
    }
}

void BusListener::giveUpOn(std::uint64_t serial)
{
    waiting.erase(serial);
}

} // namespace platform
