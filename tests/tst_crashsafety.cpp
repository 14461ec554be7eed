// A launcher killed in the middle of saving its settings must leave the store as it was
// before the save or as it is after it, never a mix, and the store must still open. The test
// starts this same executable as a child that saves two large stores in turn, and kills it
// at many moments.

#include "TestPlatform.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "settings/RecordFields_p.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <cstring>

namespace {

const char kChildSwitch[] = "--save-child";
constexpr int kKills = 30;

template <class Record, std::size_t N>
Record filled(const RecordField<Record> (&fields)[N], const QString &variant, int serial)
{
    Record record;
    for (const RecordField<Record> &field : fields) {
        if (field.number)
            record.*field.number = serial * 10 + (variant == QLatin1String("A") ? 1 : 2);
        else
            record.*field.text = QStringLiteral("%1 %2 %3").arg(variant, QLatin1String(field.name)).arg(serial);
    }
    return record;
}

// Large enough that a save takes a good while: every kill lands somewhere inside one.
SettingStore largeStore(const QString &variant)
{
    SettingStore store;
    store.mySystem = filled(mySystemFields, variant, 0);
    store.mySystem.NUMBER_OF_TABS = 20;
    store.tabsInfo = filled(tabsInfoFields, variant, 0);
    for (int n = 1; n <= 20; ++n)
        store.tabs.append(filled(tabInfoFields, variant, n));
    store.iconLayout = filled(iconLayoutFields, variant, 0);
    for (int n = 1; n <= 1500; ++n)
        store.icons.append(filled(iconInfoFields, variant, n));
    for (int t = 1; t <= 5; ++t) {
        ThemeInfo theme = filled(themeInfoFields, variant, t);
        for (int m = 1; m <= 20; ++m)
            theme.images.append(filled(themeImageFields, variant, m));
        store.themes.append(theme);
    }
    return store;
}

template <class Record, std::size_t N>
void describe(QStringList &out, const Record &record, const RecordField<Record> (&fields)[N])
{
    for (const RecordField<Record> &field : fields) {
        if (field.written)
            out << (field.number ? QString::number(record.*field.number) : record.*field.text);
    }
}

// Every written value of the store, in order: two stores with equal descriptions are equal.
QString description(const SettingStore &store)
{
    QStringList out;
    describe(out, store.mySystem, mySystemFields);
    describe(out, store.tabsInfo, tabsInfoFields);
    for (const TabInfo &tab : store.tabs)
        describe(out, tab, tabInfoFields);
    describe(out, store.iconLayout, iconLayoutFields);
    for (const IconInfo &icon : store.icons)
        describe(out, icon, iconInfoFields);
    for (const ThemeInfo &theme : store.themes) {
        describe(out, theme, themeInfoFields);
        for (const ThemeImage &image : theme.images)
            describe(out, image, themeImageFields);
    }
    return out.join(u'\n');
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

} // namespace

class tst_CrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedSaveLeavesOldOrNewState();
};

void tst_CrashSafety::killedSaveLeavesOldOrNewState()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("registry.sqlite"));
    const SettingStore oldState = largeStore(QStringLiteral("A"));
    const QString oldDescription = description(oldState);
    const QString newDescription = description(largeStore(QStringLiteral("B")));

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
        const QString found = description(loaded);
        QVERIFY2(found == oldDescription || found == newDescription,
                 qPrintable(QStringLiteral("kill %1 left a mixed store").arg(kill)));
        (found == oldDescription ? sawOld : sawNew)++;
        registry.reset();
        platform::useRegistry(nullptr);
    }
    qInfo("killed %d saves of ~%d ms: old state %d times, new state %d times", kKills, saveMs, sawOld, sawNew);
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], kChildSwitch) == 0) {
        QCoreApplication app(argc, argv);
        return runChild(argv[2]);
    }
    QCoreApplication app(argc, argv);
    tst_CrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
