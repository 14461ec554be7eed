#include "BusSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// A socket's path must fit in sockaddr_un (108 bytes). A deeper folder is reached through
// its descriptor under /proc/self/fd, which the kernel resolves like the folder itself.
class SocketAddress
{
public:
    SocketAddress(const std::string &folder, const std::string &name)
    {
        std::string path = folder + "/" + name;
        if (path.size() >= sizeof address.sun_path) {
            folderFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (folderFd < 0) {
                error = errno;
                return;
            }
            path = "/proc/self/fd/" + std::to_string(folderFd) + "/" + name;
            if (path.size() >= sizeof address.sun_path) {
                error = ENAMETOOLONG;
                return;
            }
        }
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    }
    ~SocketAddress()
    {
        if (folderFd >= 0)
            ::close(folderFd);
    }
    SocketAddress(const SocketAddress &) = delete;
    SocketAddress &operator=(const SocketAddress &) = delete;

    const sockaddr *get() const { return reinterpret_cast<const sockaddr *>(&address); }
    socklen_t size() const { return socklen_t(sizeof address); }

    int error = 0;

private:
    sockaddr_un address = {};
    int folderFd = -1;
};

int newSocket()
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    return fd < 0 ? -errno : fd;
}

int failWith(int fd, int error)
{
    ::close(fd);
    return -error;
}

} // namespace

int listenAt(const std::string &folder, const std::string &name)
{
    const SocketAddress address(folder, name);
    if (address.error)
        return -address.error;
    const int fd = newSocket();
    if (fd < 0)
        return fd;
    // Linux gives the socket file the mode of the socket itself, so it is never open to
    // others, not even for a moment; the chmod after binding does it on other systems.
    ::fchmod(fd, 0600);
    if (::bind(fd, address.get(), address.size()) != 0)
        return failWith(fd, errno);
    ::chmod((folder + "/" + name).c_str(), 0600);
    if (::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        ::unlink((folder + "/" + name).c_str());
        return failWith(fd, error);
    }
    return fd;
}

int connectTo(const std::string &folder, const std::string &name)
{
    const SocketAddress address(folder, name);
    if (address.error)
        return -address.error;
    const int fd = newSocket();
    if (fd < 0)
        return fd;
    int result;
    do {
        result = ::connect(fd, address.get(), address.size());
    } while (result != 0 && errno == EINTR);
    return result == 0 ? fd : failWith(fd, errno);
}

bool sendAll(int fd, const void *bytes, std::size_t size)
{
    const char *next = static_cast<const char *>(bytes);
    while (size > 0) {
        const ssize_t written = ::send(fd, next, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd waitFor = {fd, POLLOUT, 0};
            // A frame is a few bytes into an empty socket; a peer that cannot take them
            // within a second is not going to.
            if (::poll(&waitFor, 1, 1000) <= 0)
                return false;
            continue;
        }
        if (written <= 0)
            return false;
        next += written;
        size -= std::size_t(written);
    }
    return true;
}

bool receiveByte(int fd, std::chrono::steady_clock::time_point deadline, unsigned char *byte)
{
    for (;;) {
        const ssize_t got = ::recv(fd, byte, 1, MSG_DONTWAIT);
        if (got == 1)
            return true;
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd waitFor = {fd, POLLIN, 0};
        ::poll(&waitFor, 1, int(std::min<long long>(left.count() + 1, 60000)));
    }
}

bool peerIsCurrentUser(int fd, uid_t *peer)
{
    ucred credentials = {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return false;
    if (peer)
        *peer = credentials.uid;
    return credentials.uid == ::geteuid();
}

} // namespace platform
