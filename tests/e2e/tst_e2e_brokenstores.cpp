// The real launcher on a private X server, started on stores that break what the settings
// promise, one promise at a time, and on stores full of garbage: each time it must show its
// window, take a few keys, end cleanly on "--close", and leave the sanitizers nothing to say.
// Then garbage on its message bus: frames cut short, too long, of another kind or none.

#include "E2eStore.h"
#include "E2eTest.h"

#include "platform/posix/BusDirectory.h"
#include "platform/posix/BusFrame.h"
#include "platform/posix/BusSocket.h"
#include "platform/posix/PosixWindowMessages.h"
#include "platform/posix/SqliteRegistry.h"
#include "platform/Registry.h"
#include "platform/WindowMessages.h"
#include "settings/RegFileImporter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <climits>

#include <unistd.h>

namespace {

constexpr int kWait = 60000;

// A key below the tree; `removed` deletes it instead.
QByteArray key(const QString &path, bool removed = false)
{
    return (removed ? "\n[-" : "\n[") + QByteArray("HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\") + path.toUtf8()
        + "]\n";
}

QByteArray text(const char *name, const QString &value)
{
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return "\"" + QByteArray(name) + "\"=\"" + escaped.toUtf8() + "\"\n";
}

QByteArray number(const char *name, qint64 value)
{
    return text(name, QString::number(value));
}

// Exact bytes under a type, for what no quoted text can hold.
QByteArray bytes(const char *name, const QByteArray &data, int type = 1)
{
    return "\"" + QByteArray(name) + "\"=hex(" + QByteArray::number(type, 16) + "):" + data.toHex(',') + "\n";
}

QByteArray utf16(const QString &value)
{
    return QByteArray(reinterpret_cast<const char *>(value.utf16()), value.size() * 2);
}

QByteArray system(const QByteArray &values)
{
    return key("System") + values;
}

QByteArray tab(int n, const QByteArray &values)
{
    return key(QStringLiteral("TabInfo\\%1").arg(n, 2, 10, QLatin1Char('0'))) + values;
}

QByteArray icon(int n, const QByteArray &values)
{
    return key(QStringLiteral("IconInfo\\%1").arg(n, 2, 10, QLatin1Char('0'))) + values;
}

QByteArray theme(const QByteArray &values)
{
    return key("ThemeInfo\\01") + values;
}

QByteArray image(int m, const QString &file)
{
    return key(QStringLiteral("ThemeInfo\\01\\THEME_ALL_IMAGE\\%1").arg(m, 2, 10, QLatin1Char('0')))
        + text("IMAGE_FILE_PATH", file);
}

QString repeated(const QString &unit, int totalSize)
{
    return unit.repeated(totalSize / unit.size());
}

QByteArray frameBytes(unsigned message, std::uintptr_t wParam)
{
    const platform::BusFrame::Bytes frame = platform::BusFrame{platform::BusFrame::Kind::Post, message, wParam, 0}.encode();
    return QByteArray(reinterpret_cast<const char *>(frame.data()), int(frame.size()));
}

} // namespace

class tst_E2eBrokenStores : public E2eTest
{
    Q_OBJECT

private slots:
    void init() override;
    void cleanup() override;
    void launcherSurvives_data();
    void launcherSurvives();
    void garbageOnTheBusIsIgnored_data();
    void garbageOnTheBusIsIgnored();

private:
    void prepare() override;
    void importStore(const QByteArray &fragment);
    int busConnection();

    int runs = 0;
};

// Return may start the highlighted icon: a program that does nothing, or a folder that a
// desktop opener doing nothing opens.
void tst_E2eBrokenStores::prepare()
{
    writeRecorder(QStringLiteral("bin/xdg-open"), QStringLiteral("opened.txt"), QStringLiteral("$1"));
}

// Each row on a store and a runtime folder of its own: nothing a launcher of a failed row
// left behind reaches the next.
void tst_E2eBrokenStores::init()
{
    const QString run = path(QStringLiteral("run-%1").arg(++runs));
    session->setVariable(QStringLiteral("LUMBRA_REGISTRY"), run + QStringLiteral("/registry.sqlite"));
    session->setVariable(QStringLiteral("LUMBRA_RUNTIME_DIR"), run + QStringLiteral("/runtime"));
    QVERIFY(QDir().mkpath(run));
}

void tst_E2eBrokenStores::cleanup()
{
    E2eTest::cleanup();
    if (launcher && launcher->state() != QProcess::NotRunning) {
        launcher->kill();
        launcher->waitForFinished();
    }
}

void tst_E2eBrokenStores::importStore(const QByteArray &fragment)
{
    const QByteArray file = e2eStoreFile(QStringLiteral("/bin/true"), path(QStringLiteral("papers"))).toUtf8() + fragment;
    platform::SqliteRegistry store(session->storePath().toStdString());
    RegFileImporter importer(store);
    QCOMPARE(importer.importData(file, QStringLiteral("broken.reg")), RegFileImporter::Status::Imported);
    QCOMPARE(importer.problemCount(), 0);
}

void tst_E2eBrokenStores::launcherSurvives_data()
{
    QTest::addColumn<QByteArray>("fragment");

    const auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    const QByteArray iconKey = key("IconInfo"), tabKey = key("TabInfo");
    // One promise of the settings broken at a time.
    row("more tabs than keys") << system(number("NUMBER_OF_TABS", 5));
    row("no tabs") << system(number("NUMBER_OF_TABS", 0));
    row("negative tab count") << system(number("NUMBER_OF_TABS", -3));
    row("huge tab count") << system(number("NUMBER_OF_TABS", INT_MAX));
    row("only sub-tabs") << tab(1, number("TAB_ITEM_PARENT", 1)) + tab(2, number("TAB_ITEM_PARENT", 2));
    row("current theme 0") << system(number("CURRENT_THEME", 0));
    row("current theme past the list") << system(number("CURRENT_THEME", 2));
    row("current theme lowest int") << system(number("CURRENT_THEME", INT_MIN));
    row("no themes") << key("ThemeInfo", true);
    row("icon numbers outside the list") << tab(1, text("TAB_ITEM_ALL_ICONS", "0.1.99.-4..3.2147483647"));
    row("icon numbers not numbers") << tab(1, text("TAB_ITEM_ALL_ICONS", "a.1b. 2.0x3"));
    row("gap in the icon keys") << key("IconInfo\\02", true);
    row("one icon per row") << system(number("NUMBER_OF_ICON_PER_ROW", 1));
    row("no icons per row") << system(number("NUMBER_OF_ICON_PER_ROW", 0));
    row("negative icons per row") << system(number("NUMBER_OF_ICON_PER_ROW", -5));
    row("huge icons per row") << system(number("NUMBER_OF_ICON_PER_ROW", INT_MAX));
    row("fewer images than tabs") << image(1, "page1.png");
    row("folders without separators")
        << system(text("THEME_DIR", "Theme") + text("ICON_DIR", "Icon") + text("TAB_DIR", "Tab"));
    row("sub-tab icon pointing nowhere") << icon(1, number("ICON_SUB_TAB_ID", 77) + number("ICON_DATA_TYPE", 2));
    row("unknown action kinds") << icon(1, number("ICON_DATA_TYPE", 99)) + icon(2, number("ICON_DATA_TYPE", -1));
    // Garbage values.
    row("huge sizes") << iconKey + number("ICON_WIDTH", INT_MAX) + number("ICON_HEIGHT", INT_MAX)
            + number("ICON_AP_NAME_X_POSITION", INT_MAX) + number("ICON_AP_NAME_Y_POSITION", INT_MIN) + tabKey
            + number("TABINFO_HEIGHT", INT_MAX) + number("TABINFO_ITEM_WIDTH", INT_MAX)
            + number("TABINFO_ITEM_HIGHT", INT_MAX);
    row("negative sizes") << iconKey + number("ICON_WIDTH", -150) + number("ICON_HEIGHT", -140)
            + number("ICON_RESERVE_VERTICAL", -300) + number("ICON_RESERVE_HORIZONTAL", 300) + tabKey
            + number("TABINFO_HEIGHT", -60) + number("TABINFO_ITEM_WIDTH", -160)
            + theme(number("HOUSE_PNG_WIDTH", -50) + number("SEPARATE_PNG_WIDTH", INT_MIN)
                    + number("BACKTITLEBAR_PNG_HEIGHT", -9));
    row("huge font sizes") << system(number("SYSTEM_STRING_FONT_SIZE", INT_MAX)) + tabKey
            + number("TAB_NAME_FONT_SIZE", INT_MAX) + iconKey + number("ICON_AP_NAME_FONT_SIZE", INT_MAX);
    row("lowest font sizes") << system(number("SYSTEM_STRING_FONT_SIZE", INT_MIN)) + iconKey
            + number("ICON_AP_NAME_FONT_SIZE", INT_MIN);
    row("press animation extremes") << iconKey + number("ICON_EFFICACY_PIXEL", INT_MAX)
            + number("ICON_EFFICACY_INTERVAL", -1) + number("ICON_EFFICACY_COUNTER", INT_MAX)
            + system(number("ICON_DISABLE_CLICK_TIMER", -1));
    row("colours out of range") << theme(number("THEME_TAB_AREA_BACKGROUND_COLOR_R", 300)
                                         + number("THEME_TAB_AREA_BACKGROUND_COLOR_G", -1)
                                         + number("THEME_ICON_AP_NAME_COLOR_B", INT_MIN));
    row("text where numbers go") << system(text("NUMBER_OF_TABS", "two") + text("CURRENT_THEME", "1st")
                                           + text("NUMBER_OF_ICON_PER_ROW", "0x4"))
            + iconKey + text("ICON_WIDTH", "1e3");
    row("numbers as binary types") << system(bytes("NUMBER_OF_TABS", QByteArray("\x32\x00\x00\x00", 4), 4)
                                             + bytes("CURRENT_THEME", QByteArray("\x01\x02\x03", 3), 3));
    row("100 KB texts") << tab(1, text("TAB_ITEM_NAME", repeated("Tab ", 100000)))
            + icon(1, text("ICON_AP_NAME", repeated("Name ", 100000))
                      + text("ICON_AP_TOOLTIP_NAME", repeated("Tip ", 100000))
                      + text("ICON_AP_PNG_FILE_NAME", repeated("p/", 100000)))
            + theme(text("THEME_NAME", repeated("theme", 100000)));
    row("100 KB folders") << system(text("THEME_DIR", repeated("d/", 100000)) + text("ICON_DIR", repeated("%HOME%", 100000))
                                    + text("TAB_DIR", repeated("%", 100000)));
    row("100 KB icon list") << tab(1, text("TAB_ITEM_ALL_ICONS", repeated("3.", 100000)));
    row("100 KB target") << icon(1, text("ICON_AP_EXE_LOCATION", repeated("/x", 100000)));
    row("NUL bytes") << tab(1, bytes("TAB_ITEM_NAME", utf16("Ta") + QByteArray(4, '\0') + utf16("b"))
                               + bytes("TAB_ITEM_ALL_ICONS", utf16("1.") + QByteArray(2, '\0') + utf16("2")))
            + icon(1, bytes("ICON_AP_EXE_LOCATION", QByteArray(2, '\0') + utf16("/bin/true")));
    row("lone surrogates") << tab(1, bytes("TAB_ITEM_NAME", QByteArray("\x00\xD8\x41\x00", 4)))
            + icon(1, bytes("ICON_AP_NAME", QByteArray("\x41\x00\x00\xDC", 4))
                      + bytes("ICON_AP_EXE_LOCATION", QByteArray("/\x00\x00\xD8", 4)))
            + system(bytes("THEME_DIR", QByteArray("\x00\xDC/\x00", 4)));
    row("odd byte counts") << tab(1, bytes("TAB_ITEM_ALL_ICONS", QByteArray("1\x00.", 3)))
            + icon(1, bytes("ICON_AP_NAME", QByteArray("A", 1)));
}

void tst_E2eBrokenStores::launcherSurvives()
{
    QFETCH(QByteArray, fragment);
    importStore(fragment);
    startLauncher();
    if (QTest::currentTestFailed())
        return;
    pressKeys({QStringLiteral("Tab"), QStringLiteral("Right"), QStringLiteral("Down"), QStringLiteral("Left"),
               QStringLiteral("Up"), QStringLiteral("shift+Tab"), QStringLiteral("Return"), QStringLiteral("Right"),
               QStringLiteral("Right"), QStringLiteral("Delete"), QStringLiteral("Tab")});
    closeLauncher();
}

// A connection to the launcher window's endpoint on the bus.
int tst_E2eBrokenStores::busConnection()
{
    const QByteArray folderPath = QFile::encodeName(session->runtimeFolder());
    const QByteArray saved = qgetenv("LUMBRA_RUNTIME_DIR");
    qputenv("LUMBRA_RUNTIME_DIR", folderPath);
    const platform::WindowHandle window = platform::PosixWindowMessages().findWindow(u"QWidget", u"Lumbra");
    qputenv("LUMBRA_RUNTIME_DIR", saved);
    if (window == platform::kNoWindow)
        return -1;
    return platform::connectTo(folderPath.toStdString(), platform::BusDirectory::socketName(window));
}

void tst_E2eBrokenStores::garbageOnTheBusIsIgnored_data()
{
    QTest::addColumn<QList<QByteArray>>("frames");

    // Every frame here, were it taken whole, would take the highlighted icon off the store.
    const QByteArray deleteKey = frameBytes(platform::kWmKeyDown, platform::kVkDelete);
    QList<QByteArray> truncated;
    for (int size = 1; size < deleteKey.size(); ++size)
        truncated << deleteKey.left(size);
    QByteArray wrongMagic = deleteKey;
    wrongMagic[0] = 'X';
    QByteArray otherVersion = deleteKey;
    otherVersion[3] = 9;
    QByteArray reserved = deleteKey;
    reserved[12] = 1;
    QByteArray noKind = deleteKey;
    noKind[4] = 0;
    QList<QByteArray> random;
    QRandomGenerator generator(20261208);
    for (int n = 0; n < 64; ++n) {
        QByteArray frame(int(generator.bounded(1, 200)), Qt::Uninitialized);
        for (char &byte : frame)
            byte = char(generator.bounded(256));
        random << frame;
    }

    QTest::newRow("cut short") << truncated;
    QTest::newRow("wrong magic, version, reserved, kind") << QList<QByteArray>{wrongMagic, otherVersion, reserved, noKind};
    QTest::newRow("too long") << QList<QByteArray>{deleteKey + QByteArray(1, 'x'), deleteKey + deleteKey,
                                                   deleteKey + QByteArray(100000, '\xff')};
    QTest::newRow("random") << random;
}

// Garbage is dropped without a word; the frame after it still counts.
void tst_E2eBrokenStores::garbageOnTheBusIsIgnored()
{
    QFETCH(QList<QByteArray>, frames);
    importStore(QByteArray());
    startLauncher();
    if (QTest::currentTestFailed())
        return;
    pressKeys({QStringLiteral("Right"), QStringLiteral("Right")});
    QCOMPARE(storedIcons(), QStringLiteral("1.2.3"));
    for (const QByteArray &frame : frames) {
        const int fd = busConnection();
        QVERIFY(fd >= 0);
        platform::sendAll(fd, frame.constData(), std::size_t(frame.size()));
        ::close(fd);
    }
    // A second connection left open without a word holds nothing back for long.
    const int silent = busConnection();
    QVERIFY(silent >= 0);
    QTest::qWait(500);
    QCOMPARE(storedIcons(), QStringLiteral("1.2.3"));
    const int fd = busConnection();
    const QByteArray deleteKey = frameBytes(platform::kWmKeyDown, platform::kVkDelete);
    QVERIFY(platform::sendAll(fd, deleteKey.constData(), std::size_t(deleteKey.size())));
    ::close(fd);
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), QStringLiteral("1.2"), kWait);
    ::close(silent);
    closeLauncher();
}

QTEST_MAIN(tst_E2eBrokenStores)
#include "tst_e2e_brokenstores.moc"
