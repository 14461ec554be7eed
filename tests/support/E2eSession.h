#pragma once

#include "XServer.h"

#include <QImage>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// One end-to-end run of the built launcher: a temporary folder that holds its store, runtime
// folder, HOME and XDG folders, power log and the programs the test gives it (bin/ comes
// first on PATH); a session bus of its own, so that nothing reaches the desktop's; a private
// X server, with a window manager, a tray host and the accessibility bus when asked for; and
// the launcher processes started on it, ended with the session.
class E2eSession
{
public:
    struct Options
    {
        // Xorg with the dummy driver, whose size `xrandr -s` changes, instead of Xvfb.
        bool resizable = false;
        bool windowManager = false;
        bool trayHost = false;
        // The bus a screen reader reads the launcher through.
        bool accessibilityBus = false;
        // No X server: the launchers run on Qt's offscreen platform.
        bool offscreen = false;
    };

    E2eSession();
    explicit E2eSession(const Options &options);
    ~E2eSession();
    E2eSession(const E2eSession &) = delete;
    E2eSession &operator=(const E2eSession &) = delete;

    // Why the session cannot run here (no X server, no tray host...); empty when it can.
    QString failure() const { return why; }
    XServer &x() const { return *server; }
    QString path(const QString &name) const { return folder.filePath(name); }
    // Where the launchers started from now on keep their store, their runtime folder and
    // their power log (setVariable() may move them).
    QString storePath() const { return processEnvironment.value(QStringLiteral("LUMBRA_REGISTRY")); }
    QString runtimeFolder() const { return processEnvironment.value(QStringLiteral("LUMBRA_RUNTIME_DIR")); }
    QString powerLog() const { return processEnvironment.value(QStringLiteral("LUMBRA_POWER_LOG")); }
    QProcessEnvironment environment() const { return processEnvironment; }
    // For the launchers started after it.
    void setVariable(const QString &name, const QString &value) { processEnvironment.insert(name, value); }

    // Writes `regFile` as EN.reg and imports it as the launcher's first installation does.
    bool install(const QByteArray &regFile);
    // Starts the launcher with `arguments`; the session owns the process. Its standard error
    // goes to `errorFile` where one is named (a file, unlike a pipe, never fills up and holds
    // a launcher back), else to the test's.
    QProcess *start(const QStringList &arguments = {}, const QString &errorFile = QString());
    // The visible launcher window's id, waiting for it; empty when none came.
    QString waitForLauncher(int timeoutMs = 30000) const { return server->waitForWindow(QStringLiteral("Lumbra"), timeoutMs); }

    QRect geometryOf(const QString &window) const;
    // Where the window manager lets full-screen windows go (the screen less the tray host's
    // strip); the whole screen without a window manager.
    QRect workArea() const;
    // The launcher's windows docked in the tray host, in the order it made them (the tray
    // host may place them in any order).
    QStringList dockedIcons() const;
    // The window's ICCCM state: "Normal", "Iconic", or empty when it has none.
    QString windowState(const QString &window) const;
    // Part of the screen, as it looks now.
    QImage grab(const QRect &area) const;
    // Part of the screen once two grabs in a row agree (a repaint under way has ended); a
    // null image when it kept changing for `timeoutMs`.
    QImage settledGrab(const QRect &area, int timeoutMs = 10000) const;

    // For cleanup(): a screenshot of a failed test function, saved beside the test's log
    // (the test's build folder) under a name the output tells.
    void keepScreenshotOfFailure() const;

    // The file's text once it ends in a newline, or a null string after `timeoutMs`.
    static QString readWhenThere(const QString &path, int timeoutMs = 15000);

private:
    void startDesktop(const Options &options);
    bool startBus();
    bool startAccessibilityBus();
    bool startHelper(const QString &program, const QStringList &arguments);
    bool waitForWindowManager() const;
    QString trayHostWindow() const;

    QTemporaryDir folder;
    std::unique_ptr<XServer> server;
    QProcessEnvironment processEnvironment;
    QList<QProcess *> helpers;
    QList<QProcess *> launchers;
    QString why;
};
