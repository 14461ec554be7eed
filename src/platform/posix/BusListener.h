#pragma once

#include "BusDirectory.h"
#include "platform/WindowMessages.h"

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class QObject;
class QSocketNotifier;

namespace platform {

// One window's endpoint: a listening socket in the runtime folder, watched by the event
// loop of the thread that opened it (the GUI thread), so that what arrives is handed to
// `deliver` there. Each connection carries one frame, handed on in the order the connections
// came in, except that a sender that is slow or never writes holds up no one else. A sent
// frame is answered once `deliver` has returned.
class BusListener
{
public:
    // Makes the window findable; null, with `error` set to an errno, when it cannot.
    static std::unique_ptr<BusListener> open(const BusDirectory &directory, const BusDirectory::Entry &entry,
                                             MessageHandler deliver, int *error);
    // Takes the window off the bus: its files go first, so no one finds it half gone.
    ~BusListener();
    BusListener(const BusListener &) = delete;
    BusListener &operator=(const BusListener &) = delete;

    // Whether others still find this endpoint in `directory`: its own socket and its info
    // file are there.
    bool isFindable(const BusDirectory &directory) const;
    // Listens again in `directory`, after its files or the whole folder were removed (or the
    // runtime folder moved). Connections already made are still served. False, with `error`
    // set to an errno, when it cannot; the endpoint then stays as it was.
    bool reopen(const BusDirectory &directory, int *error);

private:
    struct Connection;

    BusListener(const BusDirectory::Entry &entry, MessageHandler deliver);
    void acceptConnections();
    void takeOver(int oldFd);
    bool adopt(int fd);
    void deliverReady();
    void handle(Connection &connection);
    void giveUpOn(std::uint64_t serial);

    BusDirectory directory;
    BusDirectory::Entry entry;
    int listenFd = -1;
    // The socket file this endpoint made, told apart from one of the same name made later.
    dev_t socketDevice = 0;
    ino_t socketInode = 0;
    MessageHandler deliver;
    std::unique_ptr<QSocketNotifier> notifier;
    // Lives as long as the listener, for the timers of its connections.
    std::unique_ptr<QObject> timers;
    // Connections whose frame has not all come yet, oldest first.
    std::map<std::uint64_t, std::unique_ptr<Connection>> waiting;
    std::uint64_t lastSerial = 0;
    // Expires when the listener is deleted, which a handler may do while it is at work.
    std::shared_ptr<char> lifetime = std::make_shared<char>();
};

} // namespace platform
