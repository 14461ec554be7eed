#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

// A private X server (Xvfb) for end-to-end tests, on a display number it picks itself, with
// xdotool to move the pointer and press keys as a person would.
class XServer
{
public:
    explicit XServer(const QString &size = QStringLiteral("1024x768x24"));
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    bool isRunning() const { return !display.isEmpty(); }
    QString displayName() const { return display; }

    // Runs xdotool on this display; answers its standard output, trimmed, or a null string
    // when it failed.
    QString xdotool(const QStringList &arguments, int timeoutMs = 20000) const;
    // The first visible window whose title is exactly `title`, waiting up to `timeoutMs`.
    QString waitForWindow(const QString &title, int timeoutMs = 30000) const;
    // Screenshot of the whole screen into `path` (PNG).
    bool screenshot(const QString &path) const;

private:
    QTemporaryFile numberFile;
    QProcess server;
    QString display;
};
