// The real launcher on a real X server with a desktop entry for an icon and the caregiver
// lock on: the entry starts the way the desktop starts it, and Delete asks for the PIN, a
// wrong one changing nothing.

#include "E2eSession.h"
#include "E2eStore.h"
#include "TestPlatform.h"
#include "XServer.h"

#include "platform/Platform.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "i18n/LanguageChoice.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class tst_E2eLock : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void desktopEntryStartsInItsFolderWithItsName();
    void deleteAsksForThePinAndAWrongOneChangesNothing();

private:
    void pressKeys(const QStringList &keys);
    QString storedIcons();

    QTemporaryDir folder;
    std::unique_ptr<XServer> x;
    QProcessEnvironment environment;
    QProcess launcher;
    QString window;
};

void tst_E2eLock::initTestCase()
{
    QVERIFY(folder.isValid());
    x = std::make_unique<XServer>();
    if (!x->isRunning())
        QSKIP("Xvfb is not installed");
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("entry folder"))));
    const QString record = folder.filePath(QStringLiteral("started.txt"));
    const QString script = folder.filePath(QStringLiteral("record.sh"));
    QVERIFY(E2eSession::writeFile(
        script, QStringLiteral("#!/bin/sh\necho \"$PWD|$*\" >> '%1'\n").arg(record).toLocal8Bit(), true));
    const QString entry = folder.filePath(QStringLiteral("recorder.desktop"));
    QVERIFY(E2eSession::writeFile(entry, ("[Desktop Entry]\nType=Application\nName=Recorder\nExec=\""
                                          + QFile::encodeName(script)
                              + "\" %U %c\nPath=" + QFile::encodeName(folder.filePath(QStringLiteral("entry folder")))
                              + "\n")));
    // Icon 2, of kind 3, is the entry; icon 3 is one the user added.
    QVERIFY(E2eSession::writeFile(folder.filePath(QStringLiteral("EN.reg")), e2eStoreFile(script, entry).toUtf8()));

    environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), folder.filePath(QStringLiteral("registry.sqlite")));
    environment.insert(QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0409"));
    environment.insert(QStringLiteral("LUMBRA_RUNTIME_DIR"), folder.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("LUMBRA_POWER_LOG"), folder.filePath(QStringLiteral("power.log")));
    environment.insert(QStringLiteral("DISPLAY"), x->displayName());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    for (const QStringList &step : {QStringList{QStringLiteral("--installRegister")},
                                    QStringList{QStringLiteral("--setPin")}}) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.path());
        process.start(QStringLiteral(LUMBRA_EXECUTABLE), step);
        process.write("1357\n1357\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
    }

    launcher.setProcessEnvironment(environment);
    launcher.setWorkingDirectory(folder.path());
    launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    launcher.start(QStringLiteral(LUMBRA_EXECUTABLE), QStringList());
    window = x->waitForWindow(QStringLiteral("Lumbra"));
    QVERIFY2(!window.isEmpty(), "the launcher window did not appear");
    x->xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    x->xdotool({QStringLiteral("mousemove"), QStringLiteral("1000"), QStringLiteral("700")});
}

void tst_E2eLock::cleanupTestCase()
{
    if (launcher.state() != QProcess::NotRunning) {
        launcher.terminate();
        if (!launcher.waitForFinished(5000))
            launcher.kill();
        launcher.waitForFinished();
    }
    x.reset();
}

void tst_E2eLock::pressKeys(const QStringList &keys)
{
    for (const QString &key : keys) {
        QVERIFY(!x->xdotool({QStringLiteral("key"), key}).isNull());
        QTest::qWait(150);
    }
}

QString tst_E2eLock::storedIcons()
{
    TestPlatform platform;
    platform::SqliteRegistry store(folder.filePath(QStringLiteral("registry.sqlite")).toStdString());
    platform::useRegistry(&store);
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    SettingStore stored;
    loadAllSettings(stored);
    platform::useRegistry(nullptr);
    return stored.tabs.isEmpty() ? QString() : stored.tabs.at(0).TAB_ITEM_ALL_ICONS;
}

void tst_E2eLock::desktopEntryStartsInItsFolderWithItsName()
{
    pressKeys({QStringLiteral("Right"), QStringLiteral("Return")});
    const QString started = E2eSession::readWhenThere(folder.filePath(QStringLiteral("started.txt")));
    QCOMPARE(started, folder.filePath(QStringLiteral("entry folder")) + QStringLiteral("|Recorder\n"));
}

void tst_E2eLock::deleteAsksForThePinAndAWrongOneChangesNothing()
{
    pressKeys({QStringLiteral("Right"), QStringLiteral("Delete")});
    const QString pad = x->waitForWindow(QStringLiteral("Please enter the PIN"));
    QVERIFY2(!pad.isEmpty(), "the PIN pad did not appear");
    x->xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), pad});
    pressKeys({QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
               QStringLiteral("Return")});
    // Time for the wrong PIN to be checked and, were it taken, for the removal to be saved.
    QTest::qWait(2000);
    QCOMPARE(storedIcons(), QStringLiteral("1.2.3"));
    QCOMPARE(x->waitForWindow(QStringLiteral("Please enter the PIN"), 1000), pad);
    if (!qEnvironmentVariableIsEmpty("LUMBRA_E2E_SCREENSHOTS"))
        x->screenshot(qEnvironmentVariable("LUMBRA_E2E_SCREENSHOTS") + QStringLiteral("/pin-wrong.png"));
    pressKeys({QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("7"),
               QStringLiteral("Return")});
    QDeadlineTimer deadline(10000);
    while (storedIcons() != QLatin1String("1.2") && !deadline.hasExpired())
        QTest::qWait(100);
    QCOMPARE(storedIcons(), QStringLiteral("1.2"));
}

QTEST_MAIN(tst_E2eLock)
#include "tst_e2e_lock.moc"
