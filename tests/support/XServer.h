#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

// A private X server for end-to-end tests, on a display number it picks itself, with
// xdotool to move the pointer and press keys as a person would. Xvfb by default; Xorg with
// the dummy driver where a test needs the screen size to change (Xvfb offers no other mode).
class XServer
{
public:
    struct Resizable
    {
        // Holds the server's configuration and log.
        QString folder;
    };

    explicit XServer(const QString &size = QStringLiteral("1024x768x24"));
    // Xorg on a dummy screen of 1024 x 768 that `xrandr -s` switches to 1920x1080, 1366x768
    // or 1024x600, black where no window is. isRunning() is false where Xorg is missing or may not run; why is in
    // failure().
    explicit XServer(const Resizable &where);
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    bool isRunning() const { return !display.isEmpty(); }
    QString displayName() const { return display; }
    QString failure() const { return why; }

    // Runs `program` on this display; answers its standard output, trimmed, or a null string
    // when it failed.
    QString run(const QString &program, const QStringList &arguments, int timeoutMs = 20000) const;

    // Runs xdotool on this display; answers its standard output, trimmed, or a null string
    // when it failed.
    QString xdotool(const QStringList &arguments, int timeoutMs = 20000) const;
    // The first visible window whose title is exactly `title`, waiting up to `timeoutMs`.
    QString waitForWindow(const QString &title, int timeoutMs = 30000) const;
    // Screenshot of the whole screen into `path` (PNG).
    bool screenshot(const QString &path) const;

private:
    void startServer(const QString &command, const QStringList &arguments);

    QTemporaryFile numberFile;
    QProcess server;
    QString display;
    QString why;
};
