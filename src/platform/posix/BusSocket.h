#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include <sys/types.h>

namespace platform {

// Unix domain sockets of the message bus. Every descriptor is non-blocking and
// close-on-exec; functions that fail answer -errno.

// A listening socket at `folder`/`name`, which only its owner may connect to.
int listenAt(const std::string &folder, const std::string &name);
// One attempt: -EAGAIN when the listener's queue is full (it is alive but not accepting),
// -ECONNREFUSED when no one listens (its owner is gone), -ENOENT when there is no socket.
int connectTo(const std::string &folder, const std::string &name);
// Writes all of `size` bytes; a closed peer gives an error, never SIGPIPE.
bool sendAll(int fd, const void *bytes, std::size_t size);
// Waits for one byte until `deadline`; false on timeout or when the peer closed first.
bool receiveByte(int fd, std::chrono::steady_clock::time_point deadline, unsigned char *byte);

// Only the user this process runs as may talk to its windows, and only its own windows
// may be talked to: the kernel's word on who is at the other end (the peer's user is
// stored in `peer` when known).
bool peerIsCurrentUser(int fd, uid_t *peer);

} // namespace platform
