#pragma once

#include "platform/WindowMessages.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

// Other programs' windows as a test sets them up, with every lookup and show recorded;
// installed as the process's window backend for the lifetime of the object.
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

    QList<QPair<QString, QString>> finds;
    QList<Show> shows;

private:
    // Keys are folded to lower case: window names compare without regard to case.
    QMap<QPair<QString, QString>, platform::WindowHandle> windows;
    platform::WindowMessages *previous;
};
