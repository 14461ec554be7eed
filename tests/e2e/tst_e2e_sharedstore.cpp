// The store shared with other processes while a real launcher runs: a carer's install is
// kept and shown, a store copied or moved over the file is the store from then on and stays
// sound, and a store deleted under a locked launcher comes back with the lock.

#include "E2eStore.h"
#include "E2eTest.h"

#include "platform/posix/SqliteRegistry.h"
#include "settings/SettingStore.h"

#include <QFile>
#include <QImage>
#include <QSet>
#include <QProcess>
#include <QTest>

namespace {

const QString kTree = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\");

QString tabName(const QString &name)
{
    return u'[' + kTree + QStringLiteral("TabInfo\\01]\n\"TAB_ITEM_NAME\"=\"%1\"\n\n").arg(name);
}

int colours(const QImage &image)
{
    QSet<QRgb> found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            found.insert(image.pixel(x, y));
    }
    return int(found.size());
}

} // namespace

class tst_E2eSharedStore : public E2eTest
{
    Q_OBJECT

private slots:
    void installWhileRunningIsKeptAndShown();
    void storeCopiedOrMovedOverIsTheStore();
    void lockComesBackWithADeletedStore();

private:
    void prepare() override { program = writeRecorder(QStringLiteral("record.sh"), QStringLiteral("started.txt")); }
    void freshStart(const QString &reg);

    QString program;
};

void tst_E2eSharedStore::freshStart(const QString &reg)
{
    QFile::remove(session->storePath());
    install(reg);
    startLauncher();
}

// Tab 1 lists Recorder, Papers and Added; only Added may be taken off.
void tst_E2eSharedStore::installWhileRunningIsKeptAndShown()
{
    const QString reg = e2eStoreFile(program, path(QStringLiteral("papers")));
    freshStart(reg);
    const QRect secondTab(160, 0, 160, 60);
    QVERIFY(colours(session->settledGrab(secondTab)) > 1);
    QVERIFY(session->install((reg + tabName(QStringLiteral("Renamed"))
                              + e2eIconEntry(1, QStringLiteral("Renamed icon"), program, 1, 1)
                              + e2eSystemValue(QStringLiteral("NUMBER_OF_TABS"), QStringLiteral("1")) + QStringLiteral("[-") + kTree
                              + QStringLiteral("TabInfo\\02]\n"))
                                 .toUtf8()));
    const QByteArray installed = exportedTree();
    QVERIFY(installed.contains("Renamed icon"));
    pressKeys({QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Delete")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), QStringLiteral("1.2"), 10000);
    QCOMPARE(exportedTree(), QByteArray(installed).replace("ICONS\"=\"1.2.3\"", "ICONS\"=\"1.2\""));
    // The window shows the installed tree: one tab, no label where the second one was.
    QVERIFY(launcherErrors().contains("tabCount  1"));
    QTRY_COMPARE_WITH_TIMEOUT(colours(session->settledGrab(secondTab)), 1, 10000);
    closeLauncher();
}

// Recorder, Added and Fifth; once the launcher has stored a change, another store is copied
// over the file, then another one moved over it, each with its own name for tab 1.
void tst_E2eSharedStore::storeCopiedOrMovedOverIsTheStore()
{
    const QString reg = e2eStoreFile(program, path(QStringLiteral("papers")))
        + e2eIconEntry(5, QStringLiteral("Fifth"), program, 1, 0) + e2eTabIcons(1, QStringLiteral("1.3.5"));
    freshStart(reg);
    pressKeys({QStringLiteral("Right"), QStringLiteral("Delete")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), QStringLiteral("1.5"), 10000);
    const QString store = session->storePath();
    // The highlight stays on the second icon: Fifth on the first store, Added after it.
    const QStringList rounds[] = {{"cp", "Copied", "1.3"}, {"mv", "Moved", "1.5"}};
    for (const QStringList &round : rounds) {
        const QString other = path(round.at(0) + QStringLiteral(".sqlite"));
        session->setVariable(QStringLiteral("LUMBRA_REGISTRY"), other);
        QVERIFY(session->install((reg + tabName(round.at(1))).toUtf8()));
        session->setVariable(QStringLiteral("LUMBRA_REGISTRY"), store);
        QCOMPARE(QProcess::execute(round.at(0), {other, store}), 0);
        QVERIFY(exportedTree().contains(round.at(1).toUtf8()));
        pressKeys({QStringLiteral("Delete")});
        QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), round.at(2), 10000);
        QCOMPARE(stored().tabs.value(0).TAB_ITEM_NAME, round.at(1));
    }
    closeLauncher();
    std::string problem;
    QCOMPARE(platform::SqliteRegistry(store.toStdString()).checkStore(&problem), platform::kErrorSuccess);
}

void tst_E2eSharedStore::lockComesBackWithADeletedStore()
{
    QFile::remove(session->storePath());
    install(e2eStoreFile(program, path(QStringLiteral("papers"))));
    QProcess *setPin = session->start({QStringLiteral("--setPin")});
    setPin->write("1357\n1357\n");
    setPin->closeWriteChannel();
    QVERIFY(setPin->waitForFinished(60000));
    QCOMPARE(setPin->exitCode(), 0);
    const QString lock = stored().mySystem.LOCK_PIN;
    QVERIFY(!lock.isEmpty());
    startLauncher();
    QVERIFY(QFile::remove(session->storePath()));
    pressKeys({QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Delete")});
    const QString pad = session->x().waitForWindow(QStringLiteral("Please enter the PIN"));
    QVERIFY2(!pad.isEmpty(), "the PIN pad did not appear");
    focus(pad);
    pressKeys({QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("7"), QStringLiteral("Return")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), QStringLiteral("1.2"), 10000);
    QCOMPARE(stored().mySystem.LOCK_PIN, lock);
}

QTEST_MAIN(tst_E2eSharedStore)
#include "tst_e2e_sharedstore.moc"
