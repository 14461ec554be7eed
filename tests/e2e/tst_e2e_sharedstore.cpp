// The store shared with other processes while a real launcher runs: a carer's install is
// kept and shown, a store copied or moved over the file is the store from then on and stays
// sound, and a store deleted under a locked launcher comes back with the lock.

#include "E2eStore.h"
#include "E2eTest.h"

#include "platform/posix/SqliteRegistry.h"
#include "settings/SettingStore.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTest>

namespace {

const QString kTree = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\");

QString tabName(const QString &name)
{
    return u'[' + kTree + QStringLiteral("TabInfo\\01]\n\"TAB_ITEM_NAME\"=\"%1\"\n\n").arg(name);
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
    // Tab 1 lists Recorder, Papers and Added (icon 3, the only one that may be taken off).
    QString tree(const QString &more = {}) { return e2eStoreFile(path("app"), path("papers")) + more; }
    void installAnew(const QString &reg)
    {
        QFile::remove(session->storePath());
        install(reg);
    }
};

void tst_E2eSharedStore::installWhileRunningIsKeptAndShown()
{
    installAnew(tree());
    startLauncher();
    const QRect secondTab(160, 0, 160, 60);
    const QImage before = session->settledGrab(secondTab);
    QVERIFY(session->install(tree(tabName("Renamed") + e2eIconEntry(1, "Renamed icon", path("app"), 1, 1)
                                  + e2eSystemValue("NUMBER_OF_TABS", "1") + "[-" + kTree + "TabInfo\\02]\n")
                                 .toUtf8()));
    const QByteArray installed = exportedTree();
    pressKeys({"Right", "Right", "Delete"});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), QStringLiteral("1.2"), 10000);
    QCOMPARE(exportedTree(), QByteArray(installed).replace("ICONS\"=\"1.2.3\"", "ICONS\"=\"1.2\""));
    // The window shows the installed tree: one tab, no label where the second one was.
    QTRY_VERIFY_WITH_TIMEOUT(launcherErrors().contains("tabCount  1") && session->settledGrab(secondTab) != before,
                             10000);
    closeLauncher();
}

// Once the launcher has stored a change, another store is copied over the file, then another
// one moved over it. The highlight stays on the second icon: Fifth, then Added, then Fifth.
void tst_E2eSharedStore::storeCopiedOrMovedOverIsTheStore()
{
    const QString reg = tree(e2eIconEntry(5, "Fifth", path("app"), 1, 0) + e2eTabIcons(1, "1.3.5"));
    installAnew(reg);
    startLauncher();
    pressKeys({"Right", "Delete"});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), QStringLiteral("1.5"), 10000);
    const QString store = session->storePath();
    for (const QStringList &round : {QStringList{"cp", "Copied", "1.3"}, QStringList{"mv", "Moved", "1.5"}}) {
        session->setVariable("LUMBRA_REGISTRY", path(round.at(0)));
        QVERIFY(session->install((reg + tabName(round.at(1))).toUtf8()));
        session->setVariable("LUMBRA_REGISTRY", store);
        QCOMPARE(QProcess::execute(round.at(0), {path(round.at(0)), store}), 0);
        QVERIFY(exportedTree().contains(round.at(1).toUtf8()));
        pressKeys({"Delete"});
        QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), round.at(2), 10000);
        QCOMPARE(stored().tabs.value(0).TAB_ITEM_NAME, round.at(1));
    }
    closeLauncher();
    std::string problem;
    QCOMPARE(platform::SqliteRegistry(store.toStdString()).checkStore(&problem), platform::kErrorSuccess);
}

void tst_E2eSharedStore::lockComesBackWithADeletedStore()
{
    installAnew(tree());
    setPin("1357");
    const QString lock = stored().mySystem.LOCK_PIN;
    startLauncher();
    QVERIFY(QFile::remove(session->storePath()));
    pressKeys({"Right", "Right", "Delete"});
    const QString pad = session->x().waitForWindow("Please enter the PIN");
    QVERIFY2(!pad.isEmpty(), "the PIN pad did not appear");
    focus(pad);
    pressKeys({"1", "3", "5", "7", "Return"});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), QStringLiteral("1.2"), 10000);
    QVERIFY(!lock.isEmpty());
    QCOMPARE(stored().mySystem.LOCK_PIN, lock);
}

QTEST_MAIN(tst_E2eSharedStore)
#include "tst_e2e_sharedstore.moc"
