// The real launcher on a real X server with a desktop entry for an icon and the caregiver
// lock on: the entry starts the way the desktop starts it, and Delete asks for the PIN, a
// wrong one changing nothing.

#include "E2eStore.h"
#include "E2eTest.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTest>

class tst_E2eLock : public E2eTest
{
    Q_OBJECT

private slots:
    void desktopEntryStartsInItsFolderWithItsName();
    void deleteAsksForThePinAndAWrongOneChangesNothing();

private:
    void prepare() override;
};

void tst_E2eLock::prepare()
{
    QVERIFY(QDir().mkpath(path(QStringLiteral("entry folder"))));
    const QString script = writeRecorder(QStringLiteral("record.sh"), QStringLiteral("started.txt"), QStringLiteral("$PWD|$*"));
    const QString entry = path(QStringLiteral("recorder.desktop"));
    QVERIFY(writeFile(entry, "[Desktop Entry]\nType=Application\nName=Recorder\nExec=\"" + QFile::encodeName(script)
                                             + "\" %U %c\nPath=" + QFile::encodeName(path(QStringLiteral("entry folder")))
                                             + "\n"));
    // Icon 2, of kind 3, is the entry; icon 3 is one the user added.
    install(e2eStoreFile(script, entry));
    setPin("1357");
    startLauncher();
}

void tst_E2eLock::desktopEntryStartsInItsFolderWithItsName()
{
    pressKeys({QStringLiteral("Right"), QStringLiteral("Return")});
    QCOMPARE(takeRecord(QStringLiteral("started.txt")), path(QStringLiteral("entry folder")) + QStringLiteral("|Recorder\n"));
}

void tst_E2eLock::deleteAsksForThePinAndAWrongOneChangesNothing()
{
    pressKeys({QStringLiteral("Right"), QStringLiteral("Delete")});
    const QString pad = session->x().waitForWindow(QStringLiteral("Please enter the PIN"));
    QVERIFY2(!pad.isEmpty(), "the PIN pad did not appear");
    focus(pad);
    pressKeys({QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("Return")});
    // Time for the wrong PIN to be checked and, were it taken, for the removal to be saved.
    QTest::qWait(2000);
    QCOMPARE(storedIcons(), QStringLiteral("1.2.3"));
    QCOMPARE(session->x().waitForWindow(QStringLiteral("Please enter the PIN"), 1000), pad);
    pressKeys({QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("7"), QStringLiteral("Return")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), QStringLiteral("1.2"), 10000);
}

QTEST_MAIN(tst_E2eLock)
#include "tst_e2e_lock.moc"
