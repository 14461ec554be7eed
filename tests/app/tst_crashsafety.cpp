// A launcher killed in the middle of saving its settings must leave the store as it was
// before the save or as it is after it, never a mix, and the store must still open. The test
// starts this same executable as a child that saves two large stores in turn, or as a real
// launcher window on the factory settings that adds an icon to its first tab and takes it
// off again, over and over, and kills it at many moments.

#include "E2eSession.h"
#include "TestPlatform.h"
#include "WrittenValues.h"

#include "launcher/TabEntry.h"
#include "launcher/lumbra.h"
#include "settings/RegFileImporter.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/WindowMessages.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <cstring>

namespace {

const char kChildSwitch[] = "--save-child";
const char kIconsChildSwitch[] = "--icons-child";
constexpr int kKills = 30;
constexpr int kIconKills = 25;

// Large enough that a save takes a good while: every kill lands somewhere inside one. A and B
// differ in every value.
SettingStore largeStore(const QString &variant)
{
    return sampleStore(20, 1500, 5, 20, variant == QLatin1String("A") ? 0 : 1);
}

void useStoreAt(const QString &path, std::unique_ptr<platform::SqliteRegistry> &registry)
{
    platform::useRegistry(nullptr);
    registry = std::make_unique<platform::SqliteRegistry>(path.toStdString());
    platform::useRegistry(registry.get());
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
}

// The child: saves B and A in turn until it is killed.
int runChild(const char *databasePath)
{
    std::unique_ptr<platform::SqliteRegistry> registry;
    useStoreAt(QString::fromLocal8Bit(databasePath), registry);
    const SettingStore stores[] = {largeStore(QStringLiteral("B")), largeStore(QStringLiteral("A"))};
    std::puts("ready");
    std::fflush(stdout);
    for (unsigned n = 0;; ++n)
        saveAllSettings(stores[n % 2]);
}

// The child: a launcher window on the store that adds an icon to its first tab and takes
// it off, each change saved as the Delete key and the drop dialog save it, until it is killed.
int runIconsChild(const char *databasePath)
{
    // No TestPlatform: its temporary folder would outlive every kill.
    FakeScreen screen;
    platform::useScreen(&screen);
    RecordingShell shell;
    RecordingWindows windows;
    RecordingSound sound;
    platform::SqliteRegistry store(databasePath);
    platform::useRegistry(&store);
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    loadAllSettings(theSettings);
    lumbra launcher;
    theLauncher = &launcher;
    launcher.initialise();
    std::puts("ready");
    std::fflush(stdout);
    for (;;) {
        const QString number = QString::number(theSettings.icons.size() + 1);
        launcher.addIcon({QStringLiteral("Added ") + number, QStringLiteral("/bin/true ") + number, QString(), 1});
        // The store spends as long with the icon as without it, so that kills find both.
        QThread::msleep(20);
        launcher.selectIcon(int(launcher.tab(0)->icons.size()) - 1);
        launcher.handleMessage(platform::kWmKeyDown, platform::kVkDelete);
        QCoreApplication::processEvents();
    }
}

// Everything but the first tab's icon list and the icons added after the factory ones.
QStringList unchangedPart(SettingStore store, qsizetype factoryIcons)
{
    if (!store.tabs.isEmpty())
        store.tabs.first().TAB_ITEM_ALL_ICONS.clear();
    store.icons.resize(qMin(store.icons.size(), factoryIcons));
    return writtenValues(store);
}

} // namespace

class tst_CrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedSaveLeavesOldOrNewState();
    void killedIconChangeLeavesOldOrNewList();
};

void tst_CrashSafety::killedSaveLeavesOldOrNewState()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("registry.sqlite"));
    const SettingStore oldState = largeStore(QStringLiteral("A"));
    const QStringList oldValues = writtenValues(oldState);
    const QStringList newValues = writtenValues(largeStore(QStringLiteral("B")));

    std::unique_ptr<platform::SqliteRegistry> registry;
    useStoreAt(path, registry);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(saveAllSettings(oldState), 1);
    const int saveMs = qMax<int>(20, int(timer.elapsed()));
    registry.reset();
    platform::useRegistry(nullptr);

    QRandomGenerator random(20261207);
    int sawOld = 0;
    int sawNew = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kChildSwitch), path});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(30000));
        QThread::msleep(random.bounded(3 * saveMs));
        child.kill();
        QVERIFY(child.waitForFinished(30000));

        useStoreAt(path, registry);
        SettingStore loaded;
        {
            StderrCapture quiet;
            loadAllSettings(loaded);
        }
        const QStringList found = writtenValues(loaded);
        QVERIFY2(found == oldValues || found == newValues,
                 qPrintable(QStringLiteral("kill %1 left a mixed store").arg(kill)));
        (found == oldValues ? sawOld : sawNew)++;
        registry.reset();
        platform::useRegistry(nullptr);
    }
    qInfo("killed %d saves of ~%d ms: old state %d times, new state %d times", kKills, saveMs, sawOld, sawNew);
}

// Each kill leaves the first tab's list as it was before a change or after it: the list the
// launcher started with, or that list and the newest icon, whose record is then stored too
// (and stays listed for the launchers after it, which take off only what they added). No icon record is
// lost or half written, and nothing else of the store changes.
void tst_CrashSafety::killedIconChangeLeavesOldOrNewList()
{
    // The launchers have a home, XDG folders and a session bus of their own; the factory
    // settings are read here with the same home, for the %HOME% in them.
    E2eSession::Options offscreen;
    offscreen.offscreen = true;
    const E2eSession session(offscreen);
    QVERIFY2(session.failure().isEmpty(), qPrintable(session.failure()));
    const QByteArray home = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([home] { qputenv("HOME", home); });
    qputenv("HOME", QFile::encodeName(session.environment().value(QStringLiteral("HOME"))));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("registry.sqlite"));
    std::unique_ptr<platform::SqliteRegistry> registry;
    useStoreAt(path, registry);
    QCOMPARE(RegFileImporter(*registry).importFile(QStringLiteral(LUMBRA_BUILD_DIR "/EN.reg")),
             RegFileImporter::Status::Imported);
    SettingStore factory;
    QCOMPARE(loadAllSettings(factory), 1);
    QVERIFY(!factory.tabs.isEmpty());
    const QString factoryList = factory.tabs.first().TAB_ITEM_ALL_ICONS;
    const qsizetype factoryIcons = factory.icons.size();
    const QStringList factoryRest = unchangedPart(factory, factoryIcons);
    registry.reset();
    platform::useRegistry(nullptr);

    QRandomGenerator random(20261208);
    int sawOld = 0;
    int sawNew = 0;
    QString startList = factoryList;
    for (int kill = 0; kill < kIconKills; ++kill) {
        QProcess child;
        child.setProcessEnvironment(session.environment());
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kIconsChildSwitch), path});
        QVERIFY(child.waitForStarted());
        while (!child.canReadLine())
            QVERIFY2(child.waitForReadyRead(60000), "the launcher did not start");
        QThread::msleep(random.bounded(400));
        child.kill();
        QVERIFY(child.waitForFinished(30000));

        QCOMPARE(storeFaults(path), QString());
        useStoreAt(path, registry);
        SettingStore loaded;
        {
            StderrCapture quiet;
            QCOMPARE(loadAllSettings(loaded), 1);
        }
        registry.reset();
        platform::useRegistry(nullptr);
        const qsizetype icons = loaded.icons.size();
        const QString list = loaded.tabs.value(0).TAB_ITEM_ALL_ICONS;
        const QString withNewest = startList + u'.' + QString::number(icons);
        QVERIFY2(list == startList || (icons > factoryIcons && list == withNewest),
                 qPrintable(QStringLiteral("kill %1: %2 icons, the list %3; the launcher's stderr ends:\n%4")
                                .arg(kill)
                                .arg(icons)
                                .arg(list, QString::fromLocal8Bit(child.readAllStandardError().right(2000)))));
        (list == startList ? sawOld : sawNew)++;
        startList = list;
        QCOMPARE(unchangedPart(loaded, factoryIcons), factoryRest);
        for (qsizetype n = factoryIcons; n < icons; ++n) {
            const IconInfo &added = loaded.icons.at(n);
            QCOMPARE(added.ICON_ID, int(n + 1));
            QCOMPARE(added.ICON_AP_NAME, QStringLiteral("Added %1").arg(n + 1));
            QCOMPARE(added.ICON_AP_EXE_LOCATION, QStringLiteral("/bin/true %1").arg(n + 1));
            QCOMPARE(added.ICON_IS_DEFAULT_APP, 0);
        }
    }
    qInfo("killed %d launchers changing their icons: the list before a change %d times, after it %d times",
          kIconKills, sawOld, sawNew);
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], kChildSwitch) == 0) {
        QCoreApplication app(argc, argv);
        return runChild(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], kIconsChildSwitch) == 0) {
        QApplication app(argc, argv);
        return runIconsChild(argv[2]);
    }
    QCoreApplication app(argc, argv);
    tst_CrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
