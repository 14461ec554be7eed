#pragma once

#include "platform/WindowMessages.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QString>

// Other programs' windows as a test sets them up, with every lookup and show recorded, and
// this program's own windows as it registers them: a message to one of those goes to the
// filter and then to its handler, as the real backends deliver it (a post at the next pass
// of the event loop, a send at once). Installed as the process's window backend for the
// lifetime of the object.
class RecordingWindows : public platform::WindowMessages
{
public:
    struct Show
    {
        platform::WindowHandle window;
        int command;
    };

    RecordingWindows();
    ~RecordingWindows() override;
    RecordingWindows(const RecordingWindows &) = delete;
    RecordingWindows &operator=(const RecordingWindows &) = delete;

    // Makes a window of that class and title exist; answers its handle.
    platform::WindowHandle addWindow(const QString &className, const QString &title);

    platform::WindowHandle findWindow(const std::u16string &className, const std::u16string &title) override;
    bool showWindow(platform::WindowHandle window, int command) override;
    bool postMessage(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    bool sendMessage(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                     std::intptr_t lParam, unsigned timeoutMs) override;
    unsigned registerWindowMessage(const std::u16string &name) override;
    bool setForegroundWindow(platform::WindowHandle window) override;
    platform::WindowHandle registerWindow(const std::u16string &className, const std::u16string &title,
                                          std::uintptr_t nativeId, platform::MessageHandler handler) override;
    void unregisterWindow(platform::WindowHandle window) override;
    void setMessageFilter(platform::MessageHandler filter) override;

    QList<QPair<QString, QString>> finds;
    QList<Show> shows;
    // Every message posted or sent, to whichever window.
    QList<platform::WindowMessage> messages;
    QList<platform::WindowHandle> foregrounds;

private:
    bool deliver(const platform::WindowMessage &message);

    QMap<platform::WindowHandle, platform::MessageHandler> handlers;
    platform::MessageHandler filter;
    // Keys are folded to lower case: window names compare without regard to case.
    QMap<QPair<QString, QString>, platform::WindowHandle> windows;
    platform::WindowHandle lastHandle = 0;
    platform::WindowMessages *previous;
    // Posts die with the backend: a later test's event loop must not deliver them.
    QObject posts;
};
