#pragma once

#include "E2eSession.h"

#include <QByteArray>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class QProcess;
class SettingStore;

// The base of every end-to-end test: one session for the whole test (E2eSession: a home,
// XDG and runtime folders, a store, a session bus and a power log of its own, on a private
// X server), the ways a person works the launcher, and what the launcher left in its store.
// A test is its slots on top of it; a test that cannot run here is skipped, saying why, and
// a failed function leaves a screenshot and the launcher's last words behind.
class E2eTest : public QObject
{
    Q_OBJECT

protected:
    // What the test puts in place before its functions run: files, the store, the launcher.
    virtual void prepare() {}

    QString path(const QString &name) const { return session->path(name); }
    // Installs the registry file as the first installation does; iconCentre() places the
    // icons the way the launcher does for it.
    void install(const QString &reg);
    // Starts the launcher, waits for its window, gives it the keyboard and moves the pointer
    // off the icons, where hovering moves no highlight. Its standard error is kept.
    void startLauncher(const QStringList &arguments = {});
    // "lumbra --close" ends the running launcher: both end normally, the launcher with 1,
    // and no sanitizer had anything to say.
    void closeLauncher();
    // Keys reach the window in the order they are sent; no pause is needed between them.
    void pressKeys(const QStringList &keys);
    void click(const QPoint &point);
    void focus(const QString &window);
    // The centre of the icon at `position` of the first page, on a screen of that size.
    QPoint iconCentre(int position, const QSize &screen = QSize(1024, 768)) const;

    // An executable script at `program` (in the session's folder) that adds `line`, shell
    // words and all, to the file `record`; answers its path.
    QString writeRecorder(const QString &program, const QString &record, const QString &line = QStringLiteral("$PWD|$#"));
    // The record's text once a line is there (a null string after a while); the file goes,
    // for the next line.
    QString takeRecord(const QString &record);

    // "lumbra --setPin", the PIN given twice.
    void setPin(const QByteArray &pin);

    // The store as a launcher would load it now.
    SettingStore stored() const;
    // The icon list of tab `tab` (from 0) in the store.
    QString storedIcons(int tab = 0) const;
    // The store as "lumbra --exportRegister" writes it.
    QByteArray exportedTree();

    E2eSession::Options options;
    std::unique_ptr<E2eSession> session;
    // What the launcher startLauncher() started wrote to its standard error so far.
    QByteArray launcherErrors() const;

    // The launcher startLauncher() started and its window.
    QProcess *launcher = nullptr;
    QString window;

    // A test overrides init() and cleanup() where it needs more, calling these; its own start
    // goes in prepare().
protected slots:
    virtual void initTestCase();
    virtual void init() {}
    virtual void cleanup();
    virtual void cleanupTestCase();

private:
    QString installed;
    int launchersStarted = 0;
};
