#pragma once

#include "BusDirectory.h"
#include "platform/WindowMessages.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

class QSocketNotifier;

namespace platform {

// One window's endpoint: a listening socket in the runtime folder, watched by the event
// loop of the thread that opened it (the GUI thread), so that what arrives is handed to
// `deliver` there. Each connection carries one frame; frames are delivered in the order
// their connections came in, and a sent one is answered once `deliver` has returned.
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

private:
    struct Connection;

    BusListener(const BusDirectory &directory, WindowHandle window, int fd, MessageHandler deliver);
    void acceptConnections();
    void deliverInOrder();
    void deliverFrame(Connection &connection);
    void giveUpOn(std::uint64_t serial);

    BusDirectory directory;
    WindowHandle window;
    int listenFd;
    MessageHandler deliver;
    std::unique_ptr<QSocketNotifier> notifier;
    // Accepted connections, oldest first.
    std::deque<std::unique_ptr<Connection>> queue;
    std::uint64_t lastSerial = 0;
    // Expires when the listener is deleted, which a handler may do while it is at work.
    std::shared_ptr<char> lifetime = std::make_shared<char>();
};

} // namespace platform
