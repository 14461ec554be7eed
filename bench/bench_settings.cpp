// How long the whole settings store takes to load and to save, for the factory settings and
// for a store far larger than any real one (50 tabs, 2,000 icons, 10 themes of 50 pages).
// Start-up loads the store once before the window shows; the dialogs save it as a whole
// after every change, while the user waits. Prints a table; asserts nothing.
//
// Targets on a cheap PC, for the large store: load under 50 ms, save under 100 ms, and load
// within twice the time SQLite itself needs to read every row of the same file (a plain
// program that opens it and reads each table whole), measured beside it, turn about.
// Then, without goals: one person's change (a switch of the settings dialog) with the store's
// check before it, the check alone, exporting and re-importing the stores as registry files,
// and expanding %NAME% references in one very long value (400,000 of them).

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/posix/SqliteRegistry.h"
#include "settings/RecordFields_p.h"
#include "settings/RegFileExporter.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryAccess.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsChange.h"
#include "settings/SettingsPersistence.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace {

// Every colour component of a theme.
int ThemeInfo::*const themeColours[] = {
    &ThemeInfo::THEME_TAB_AREA_BACKGROUND_COLOR_R, &ThemeInfo::THEME_TAB_AREA_BACKGROUND_COLOR_G,
    &ThemeInfo::THEME_TAB_AREA_BACKGROUND_COLOR_B, &ThemeInfo::THEME_TAB_ITEM_BACKGROUND_COLOR_R,
    &ThemeInfo::THEME_TAB_ITEM_BACKGROUND_COLOR_G, &ThemeInfo::THEME_TAB_ITEM_BACKGROUND_COLOR_B,
    &ThemeInfo::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_R,
    &ThemeInfo::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_G,
    &ThemeInfo::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_B, &ThemeInfo::THEME_TAB_ITEM_PEN_COLOR_R,
    &ThemeInfo::THEME_TAB_ITEM_PEN_COLOR_G, &ThemeInfo::THEME_TAB_ITEM_PEN_COLOR_B,
    &ThemeInfo::THEME_TAB_ITEM_PEN_REVERSE_COLOR_R, &ThemeInfo::THEME_TAB_ITEM_PEN_REVERSE_COLOR_G,
    &ThemeInfo::THEME_TAB_ITEM_PEN_REVERSE_COLOR_B, &ThemeInfo::THEME_ICON_AP_NAME_COLOR_R,
    &ThemeInfo::THEME_ICON_AP_NAME_COLOR_G, &ThemeInfo::THEME_ICON_AP_NAME_COLOR_B,
    &ThemeInfo::THEME_ICON_AP_NAME_REVERSE_COLOR_R, &ThemeInfo::THEME_ICON_AP_NAME_REVERSE_COLOR_G,
    &ThemeInfo::THEME_ICON_AP_NAME_REVERSE_COLOR_B, &ThemeInfo::THEME_SYSTEM_PEN_COLOR_R,
    &ThemeInfo::THEME_SYSTEM_PEN_COLOR_G, &ThemeInfo::THEME_SYSTEM_PEN_COLOR_B,
    &ThemeInfo::THEME_SYSTEM_PEN_REVERSE_COLOR_R, &ThemeInfo::THEME_SYSTEM_PEN_REVERSE_COLOR_G,
    &ThemeInfo::THEME_SYSTEM_PEN_REVERSE_COLOR_B};


// Runs per measurement; the first argument may change it (a profiler wants one or two).
int runs = 15;
constexpr int kTabs = 50;
constexpr int kIcons = 2000;
constexpr int kThemes = 10;
constexpr int kImagesPerTheme = 50;

// Sends stderr to a file (or /dev/null) for its lifetime. Loading prints an "open failed"
// line at the end of every list as a matter of course; kept out of the table, but the
// first run's lines are counted and shown so that a real error still shows.
class StderrRedirect
{
public:
    explicit StderrRedirect(const QString &path)
    {
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        const int fd = open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    ~StderrRedirect()
    {
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    StderrRedirect(const StderrRedirect &) = delete;
    StderrRedirect &operator=(const StderrRedirect &) = delete;

private:
    int saved = -1;
};

QString text(const char *stem, int n)
{
    return QString::fromLatin1(stem) + QString::number(n);
}

SettingStore makeLargeStore()
{
    SettingStore store;
    MySystem &system = store.mySystem;
    system.IS_FIRST_RUN = 0;
    system.CURRENT_THEME = 3;
    system.NUMBER_OF_TABS = kTabs;
    system.ALWAYS_ON_BACKGROUND = 1;
    system.STARTWHENBOOTING = 1;
    system.SYSTEMTRAY_LUMBRA_PNGFILENAME = QStringLiteral("tray.png");
    system.SYSTEMTRAY_LUMBRA_TOOLTIPNAME = QStringLiteral("Lumbra");
    system.SYSTEMTRAY_SHUTDOWN_PNGFILENAME = QStringLiteral("tray_shutdown.png");
    system.SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME = QStringLiteral("Shut down");
    system.SYSTEMTRAY_TASKMANAGER_TOOLTIPNAME = QStringLiteral("Task manager");
    system.SYSTEMTRAY_TASKMANAGER_PNGFILENAME = QStringLiteral("tray_taskmanager.png");
    system.NUMBER_OF_ICON_PER_ROW = 5;
    system.MUSIC_BACKGROUND_ON = 1;
    system.SYSTEM_STRING_FONT = QStringLiteral("DejaVu Sans");
    system.SYSTEM_STRING_FONT_SIZE = 12;
    system.VERSION = QStringLiteral("0.1");
    system.ICON_DISABLE_CLICK_TIMER = 1500;
    system.THEME_DIR = QStringLiteral("./Theme/");
    system.ICON_DIR = QStringLiteral("./Icon/");
    system.TAB_DIR = QStringLiteral("./Tab/");
    system.LUMBRA_WINDOWTITLE = QStringLiteral("Lumbra");
    system.DIALOG_ALWAYS_ON_BACKGROUND_NAME = QStringLiteral("Keep Lumbra always open");
    system.DIALOG_STARTWHENBOOTING_NAME = QStringLiteral("Start Lumbra when I log in");
    system.DIALOG_OK = QStringLiteral("OK");
    system.DIALOG_CANCEL = QStringLiteral("Cancel");
    system.DIALOG_SELECT_BACKGROUND_THEME_NAME = QStringLiteral("Choose a theme");
    system.SYSTEMTRAY_LUMBRA_SETTING_SETTING = QStringLiteral("Settings");
    system.SYSTEMTRAY_LUMBRA_SETTING_EXIT = QStringLiteral("Exit Lumbra");
    system.DIALOG_DROP_AP_NAME = QStringLiteral("Name:");
    system.DIALOG_DROP_AP_PATH = QStringLiteral("Path:");
    system.DIALOG_LUMBRA_NAME = QStringLiteral("Lumbra");
    system.DIALOG_WINDOWMODE_NAME = QStringLiteral("Desktop");
    system.DIALOG_RETURN_TO_PREV_TAB = QStringLiteral("Back");

    store.tabsInfo = {QStringLiteral("DejaVu Sans"), 12, 64, 176, 64};

    // Icons spread evenly: 40 on each tab.
    for (int t = 1; t <= kTabs; ++t) {
        TabInfo tab;
        tab.TAB_ITEM_ID = t;
        tab.TAB_ITEM_ICON_PNG_FILE_NAME = text("tab_", t) + QStringLiteral(".png");
        tab.TAB_ITEM_ICON_WIDTH = 40;
        tab.TAB_ITEM_ICON_HEIGHT = 40;
        QStringList numbers;
        for (int n = t; n <= kIcons; n += kTabs)
            numbers << QString::number(n);
        tab.TAB_ITEM_ALL_ICONS = numbers.join(u'.');
        tab.TAB_ITEM_PARENT = t > 45 ? 1 : 0;
        tab.TAB_ITEM_NAME = text("Tab ", t);
        store.tabs.append(tab);
    }

    store.iconLayout = {150, 136, 5, 6, 10, 0, 94, QStringLiteral("DejaVu Sans"), 11, 2, 30, 5};

    for (int n = 1; n <= kIcons; ++n) {
        IconInfo icon;
        icon.ICON_ID = n;
        icon.ICON_AP_PNG_FILE_NAME = text("application_", n) + QStringLiteral(".png");
        icon.ICON_AP_NAME = text("Application ", n);
        icon.ICON_AP_EXE_LOCATION = text("/usr/lib/some-vendor/application-", n) + QStringLiteral("/bin/start");
        icon.ICON_DATA_TYPE = 1;
        icon.ICON_IS_DEFAULT_APP = 1;
        icon.ICON_DIRTY = 1;
        icon.ICON_SUB_TAB_ID = n % 7;
        icon.ICON_AP_TOOLTIP_NAME = text("Starts application number ", n);
        store.icons.append(icon);
    }

    for (int t = 1; t <= kThemes; ++t) {
        ThemeInfo theme;
        int colour = t;
        for (int ThemeInfo::*field : themeColours) {
            theme.*field = (colour * 37) % 256;
            ++colour;
        }
        for (QString ThemeInfo::*field :
             {&ThemeInfo::TITLEBAR_PNG_NAME, &ThemeInfo::BACKTITLEBAR_PNG_NAME, &ThemeInfo::BACKBUTTON_HI_PNG_NAME,
              &ThemeInfo::BACKBUTTON_NOR_PNG_NAME, &ThemeInfo::TABITEM_HI_PNG_NAME, &ThemeInfo::TABITEM_NOR_PNG_NAME,
              &ThemeInfo::SEPARATE_PNG_NAME, &ThemeInfo::HOUSE_PNG_NAME, &ThemeInfo::DOWNBUTTON_HI_PNG_NAME,
              &ThemeInfo::DOWNBUTTON_NOR_PNG_NAME, &ThemeInfo::UPBUTTON_HI_PNG_NAME,
              &ThemeInfo::UPBUTTON_NOR_PNG_NAME, &ThemeInfo::MASK_PNG_NAME, &ThemeInfo::DEFAULT_ICON_PNG_NAME,
              &ThemeInfo::SPEAKER_ON_PNG_NAME, &ThemeInfo::SPEAKER_OFF_PNG_NAME}) {
            theme.*field = text("picture_", colour++) + QStringLiteral(".png");
        }
        for (int ThemeInfo::*field :
             {&ThemeInfo::BACKTITLEBAR_PNG_HEIGHT, &ThemeInfo::BACKTITLEBAR_NAME_X_POSITION,
              &ThemeInfo::BACKTITLEBAR_NAME_Y_POSITION, &ThemeInfo::BACKTITLEBAR_NAME_WIDTH,
              &ThemeInfo::BACKTITLEBAR_NAME_HEIGHT, &ThemeInfo::BACKBUTTON_PNG_WIDTH,
              &ThemeInfo::BACKBUTTON_PNG_HEIGHT, &ThemeInfo::BACKBUTTON_X_POSITION, &ThemeInfo::SEPARATE_PNG_WIDTH,
              &ThemeInfo::HOUSE_PNG_WIDTH, &ThemeInfo::HOUSE_PNG_HEIGHT, &ThemeInfo::DOWNBUTTON_PNG_WIDTH,
              &ThemeInfo::DOWNBUTTON_PNG_HEIGHT, &ThemeInfo::UPBUTTON_PNG_WIDTH, &ThemeInfo::UPBUTTON_PNG_HEIGHT,
              &ThemeInfo::SPEAKER_PNG_WIDTH, &ThemeInfo::SPEAKER_PNG_HEIGHT}) {
            theme.*field = 16 + colour++ % 100;
        }
        theme.THEME_NAME = text("Theme ", t);
        for (int m = 1; m <= kImagesPerTheme; ++m)
            theme.images.append({m, text("page", m) + QStringLiteral(".png")});
        store.themes.append(theme);
    }
    return store;
}

// The same store with every stored value different, the list lengths kept: saving it over
// the original rewrites every value. (The four BACKTITLEBAR_NAME values are never written.)
SettingStore everyValueChanged(SettingStore store)
{
    const auto bump = [](auto &record, auto... fields) { ((record.*fields += 1), ...); };
    const auto mark = [](auto &record, auto... fields) { ((record.*fields += u'~'), ...); };
    // NUMBER_OF_TABS one above the list length still writes every tab and page: saving
    // writes the entries that exist.
    MySystem &s = store.mySystem;
    bump(s, &MySystem::IS_FIRST_RUN, &MySystem::CURRENT_THEME, &MySystem::NUMBER_OF_TABS,
         &MySystem::ALWAYS_ON_BACKGROUND, &MySystem::STARTWHENBOOTING, &MySystem::NUMBER_OF_ICON_PER_ROW,
         &MySystem::MUSIC_BACKGROUND_ON, &MySystem::SYSTEM_STRING_FONT_SIZE, &MySystem::ICON_DISABLE_CLICK_TIMER);
    mark(s, &MySystem::SYSTEMTRAY_LUMBRA_PNGFILENAME, &MySystem::SYSTEMTRAY_LUMBRA_TOOLTIPNAME,
         &MySystem::SYSTEMTRAY_SHUTDOWN_PNGFILENAME, &MySystem::SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME,
         &MySystem::SYSTEMTRAY_TASKMANAGER_TOOLTIPNAME, &MySystem::SYSTEMTRAY_TASKMANAGER_PNGFILENAME,
         &MySystem::SYSTEM_STRING_FONT, &MySystem::VERSION, &MySystem::THEME_DIR, &MySystem::ICON_DIR,
         &MySystem::TAB_DIR, &MySystem::LUMBRA_WINDOWTITLE, &MySystem::DIALOG_ALWAYS_ON_BACKGROUND_NAME,
         &MySystem::DIALOG_STARTWHENBOOTING_NAME, &MySystem::DIALOG_OK, &MySystem::DIALOG_CANCEL,
         &MySystem::DIALOG_SELECT_BACKGROUND_THEME_NAME, &MySystem::SYSTEMTRAY_LUMBRA_SETTING_SETTING,
         &MySystem::SYSTEMTRAY_LUMBRA_SETTING_EXIT, &MySystem::DIALOG_DROP_AP_NAME,
         &MySystem::DIALOG_DROP_AP_PATH, &MySystem::DIALOG_LUMBRA_NAME, &MySystem::DIALOG_WINDOWMODE_NAME,
         &MySystem::DIALOG_RETURN_TO_PREV_TAB);
    bump(store.tabsInfo, &TabsInfo::TAB_NAME_FONT_SIZE, &TabsInfo::TABINFO_HEIGHT, &TabsInfo::TABINFO_ITEM_WIDTH,
         &TabsInfo::TABINFO_ITEM_HIGHT);
    mark(store.tabsInfo, &TabsInfo::TAB_NAME_FONT);
    for (TabInfo &tab : store.tabs) {
        bump(tab, &TabInfo::TAB_ITEM_ID, &TabInfo::TAB_ITEM_ICON_WIDTH, &TabInfo::TAB_ITEM_ICON_HEIGHT,
             &TabInfo::TAB_ITEM_PARENT);
        mark(tab, &TabInfo::TAB_ITEM_ICON_PNG_FILE_NAME, &TabInfo::TAB_ITEM_ALL_ICONS, &TabInfo::TAB_ITEM_NAME);
    }
    IconLayout &layout = store.iconLayout;
    bump(layout, &IconLayout::ICON_WIDTH, &IconLayout::ICON_HEIGHT, &IconLayout::ICON_RESERVE_VERTICAL,
         &IconLayout::ICON_RESERVE_HORIZONTAL, &IconLayout::ICON_INTERVAL, &IconLayout::ICON_AP_NAME_X_POSITION,
         &IconLayout::ICON_AP_NAME_Y_POSITION, &IconLayout::ICON_AP_NAME_FONT_SIZE,
         &IconLayout::ICON_EFFICACY_PIXEL, &IconLayout::ICON_EFFICACY_INTERVAL, &IconLayout::ICON_EFFICACY_COUNTER);
    mark(layout, &IconLayout::ICON_AP_NAME_FONT);
    for (IconInfo &icon : store.icons) {
        bump(icon, &IconInfo::ICON_ID, &IconInfo::ICON_DATA_TYPE, &IconInfo::ICON_IS_DEFAULT_APP,
             &IconInfo::ICON_DIRTY, &IconInfo::ICON_SUB_TAB_ID);
        mark(icon, &IconInfo::ICON_AP_PNG_FILE_NAME, &IconInfo::ICON_AP_NAME, &IconInfo::ICON_AP_EXE_LOCATION,
             &IconInfo::ICON_AP_TOOLTIP_NAME);
    }
    for (ThemeInfo &theme : store.themes) {
        // Colours stay within 0 ... 255: the low bit flips.
        for (int ThemeInfo::*field : themeColours) {
            theme.*field ^= 1;
        }
        bump(theme, &ThemeInfo::BACKTITLEBAR_PNG_HEIGHT, &ThemeInfo::BACKBUTTON_PNG_WIDTH,
             &ThemeInfo::BACKBUTTON_PNG_HEIGHT, &ThemeInfo::BACKBUTTON_X_POSITION, &ThemeInfo::SEPARATE_PNG_WIDTH,
             &ThemeInfo::HOUSE_PNG_WIDTH, &ThemeInfo::HOUSE_PNG_HEIGHT, &ThemeInfo::DOWNBUTTON_PNG_WIDTH,
             &ThemeInfo::DOWNBUTTON_PNG_HEIGHT, &ThemeInfo::UPBUTTON_PNG_WIDTH, &ThemeInfo::UPBUTTON_PNG_HEIGHT,
             &ThemeInfo::SPEAKER_PNG_WIDTH, &ThemeInfo::SPEAKER_PNG_HEIGHT);
        mark(theme, &ThemeInfo::TITLEBAR_PNG_NAME, &ThemeInfo::BACKTITLEBAR_PNG_NAME,
             &ThemeInfo::BACKBUTTON_HI_PNG_NAME, &ThemeInfo::BACKBUTTON_NOR_PNG_NAME,
             &ThemeInfo::TABITEM_HI_PNG_NAME, &ThemeInfo::TABITEM_NOR_PNG_NAME, &ThemeInfo::SEPARATE_PNG_NAME,
             &ThemeInfo::HOUSE_PNG_NAME, &ThemeInfo::DOWNBUTTON_HI_PNG_NAME, &ThemeInfo::DOWNBUTTON_NOR_PNG_NAME,
             &ThemeInfo::UPBUTTON_HI_PNG_NAME, &ThemeInfo::UPBUTTON_NOR_PNG_NAME, &ThemeInfo::MASK_PNG_NAME,
             &ThemeInfo::DEFAULT_ICON_PNG_NAME, &ThemeInfo::SPEAKER_ON_PNG_NAME, &ThemeInfo::SPEAKER_OFF_PNG_NAME,
             &ThemeInfo::THEME_NAME);
        for (ThemeImage &image : theme.images) {
            image.IMAGE_TAB_ITEM_ID += 1;
            image.IMAGE_FILE_PATH += u'~';
        }
    }
    return store;
}

struct Timing
{
    double median = 0;
    double min = 0;
    double max = 0;
};

// Runs `work` `runs` times with stderr silenced and answers the times in milliseconds. The
// first run's stderr goes to `firstRunLog` instead.
Timing measure(const QString &firstRunLog, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        StderrRedirect silence(run == 0 ? firstRunLog : QStringLiteral("/dev/null"));
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times.back()};
}

// The same for two pieces of work taking turns, so that a machine busy with something else
// for a while slows both alike.
std::pair<Timing, Timing> measureInTurns(const QString &firstRunLog, const std::function<void()> &first,
                                         const std::function<void()> &second)
{
    std::vector<double> times[2];
    for (int run = 0; run < runs; ++run) {
        StderrRedirect silence(run == 0 ? firstRunLog : QStringLiteral("/dev/null"));
        for (int which = 0; which < 2; ++which) {
            QElapsedTimer timer;
            timer.start();
            (which == 0 ? first : second)();
            times[which].push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    Timing timings[2];
    for (int which = 0; which < 2; ++which) {
        std::sort(times[which].begin(), times[which].end());
        timings[which] = {times[which][times[which].size() / 2], times[which].front(), times[which].back()};
    }
    return {timings[0], timings[1]};
}

// What SQLite needs to read the whole store: the file opened read-only as the store opens
// it, every column of every row of every table fetched as what it holds, the file closed.
// Answers the bytes read.
qint64 readEveryRow(const QByteArray &path)
{
    sqlite3 *db = nullptr;
    qint64 bytes = 0;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
        for (const char *sql : {"SELECT * FROM reg_keys", "SELECT * FROM reg_values", "SELECT * FROM reg_state"}) {
            sqlite3_stmt *statement = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
                continue;
            while (sqlite3_step(statement) == SQLITE_ROW) {
                for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                    if (sqlite3_column_type(statement, column) == SQLITE_INTEGER) {
                        bytes += sqlite3_column_int64(statement, column) != 0 ? 8 : 0;
                    } else {
                        sqlite3_column_blob(statement, column);
                        bytes += sqlite3_column_bytes(statement, column);
                    }
                }
            }
            sqlite3_finalize(statement);
        }
    }
    sqlite3_close(db);
    return bytes;
}

// The distinct lines of a log with their counts, for the table's notes.
QString summariseLog(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(no log)");
    const QStringList lines = QString::fromLocal8Bit(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return QStringLiteral("no stderr lines");
    QMap<QString, int> counts;
    for (const QString &line : lines)
        ++counts[line];
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts << QStringLiteral("%1x \"%2\"").arg(it.value()).arg(it.key());
    return QStringLiteral("%1 stderr lines: %2").arg(lines.size()).arg(parts.join(QStringLiteral(", ")));
}

int valueCount(const SettingStore &store)
{
    int images = 0;
    for (const ThemeInfo &theme : store.themes)
        images += int(theme.images.size());
    return int(std::size(mySystemFields) + std::size(tabsInfoFields) + std::size(iconLayoutFields))
        + int(store.tabs.size() * std::size(tabInfoFields)) + int(store.icons.size() * std::size(iconInfoFields))
        + int(store.themes.size() * std::size(themeInfoFields)) + images * int(std::size(themeImageFields));
}

void printRow(const char *storeName, const char *operation, const Timing &timing, const char *goal)
{
    std::printf("%-8s %-20s %9.2f %9.2f %9.2f%s%s\n", storeName, operation, timing.median, timing.min,
                timing.max, *goal ? "   " : "", goal);
}

// Load, save unchanged and save with every value changed, against the registry in `path`.
void benchmarkStore(const char *name, const QString &path, const QString &logFolder, bool withGoals)
{
    platform::SqliteRegistry registry(path.toStdString());
    platform::useRegistry(&registry);

    SettingStore loaded;
    const QString loadLog = logFolder + QStringLiteral("/%1-load.log").arg(QLatin1String(name));
    qint64 rowBytes = 0;
    const auto [load, readAll] = measureInTurns(
        loadLog,
        [&] {
            SettingStore fresh;
            loadAllSettings(fresh);
            loaded = std::move(fresh);
        },
        [&] { rowBytes = readEveryRow(QFile::encodeName(path)); });

    const QString saveLog = logFolder + QStringLiteral("/%1-save.log").arg(QLatin1String(name));
    const Timing saveSame = measure(saveLog, [&] { saveAllSettings(loaded); });

    const SettingStore changed = everyValueChanged(loaded);
    int flip = 0;
    const QString changeLog = logFolder + QStringLiteral("/%1-change.log").arg(QLatin1String(name));
    const Timing saveChanged = measure(changeLog, [&] { saveAllSettings(++flip % 2 ? changed : loaded); });
    // Leave the store as it was loaded.
    if (flip % 2) {
        StderrRedirect silence(QStringLiteral("/dev/null"));
        saveAllSettings(loaded);
    }

    // A person's change as the dialogs make it: the store checked, one value written.
    int music = 0;
    const Timing change = measure(QStringLiteral("/dev/null"), [&] {
        SettingsChange::setNumber(QStringLiteral("MUSIC_BACKGROUND_ON"), ++music % 2).applyTo(loaded);
    });
    const Timing check = measure(QStringLiteral("/dev/null"), [&] {
        std::string problem;
        registry.checkStore(&problem);
    });

    printRow(name, "load", load, withGoals ? "goal < 50 ms" : "");
    printRow(name, "SQLite reads all rows", readAll, "");
    const double ratio = load.median / readAll.median;
    std::printf("         load / SQLite reading every row (%lld KiB): %.2f%s\n",
                static_cast<long long>(rowBytes / 1024), ratio,
                withGoals ? (ratio <= 2 ? "   goal <= 2: met" : "   goal <= 2: MISSED") : "");
    printRow(name, "save unchanged", saveSame, withGoals ? "goal < 100 ms" : "");
    printRow(name, "save all changed", saveChanged, withGoals ? "goal < 100 ms" : "");
    printRow(name, "change one value", change, "");
    printRow(name, "check the store", check, "");
    std::printf("         %d tabs, %d icons, %d themes, %d values; store file %lld KiB\n",
                int(loaded.tabs.size()), int(loaded.icons.size()), int(loaded.themes.size()), valueCount(loaded),
                QFileInfo(path).size() / 1024);
    std::printf("         first load:  %s\n", qPrintable(summariseLog(loadLog)));
    std::printf("         first saves: %s / %s\n", qPrintable(summariseLog(saveLog)),
                qPrintable(summariseLog(changeLog)));

    platform::useRegistry(nullptr);
}

// The store as a registry file, and that file imported over the store again (every value
// unchanged, so nothing is written).
void benchmarkFiles(const char *name, const QString &path)
{
    platform::SqliteRegistry registry(path.toStdString());
    const QString tree = registryBasePath.chopped(1);
    QByteArray file;
    const Timing exported = measure(QStringLiteral("/dev/null"), [&] {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        RegFileExporter(registry).exportTree(platform::kLocalMachine, tree, buffer);
        file = buffer.data();
    });
    const Timing imported = measure(QStringLiteral("/dev/null"), [&] {
        RegFileImporter(registry).importData(file, QStringLiteral("bench.reg"));
    });
    printRow(name, "export", exported, "");
    printRow(name, "import unchanged", imported, "");
    std::printf("         registry file %lld KiB\n", static_cast<long long>(file.size() / 1024));
}

void benchmarkExpansion()
{
    const QString text = QStringLiteral("%x").repeated(400000);
    qsizetype size = 0;
    const Timing expanded = measure(QStringLiteral("/dev/null"), [&] { size = expandEnvironmentReferences(text).size(); });
    printRow("800 KB", "expand 400,000 %x", expanded, "");
    std::printf("         %lld characters out\n", static_cast<long long>(size));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        runs = std::max(1, QString::fromLocal8Bit(argv[1]).toInt());
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_settings: cannot create a temporary folder\n");
        return 1;
    }
    languageCode = QStringLiteral("EN");
    initRegistryPaths();

    const QString largePath = folder.filePath(QStringLiteral("large.sqlite"));
    {
        platform::SqliteRegistry registry(largePath.toStdString());
        platform::useRegistry(&registry);
        const int saved = saveAllSettings(makeLargeStore());
        platform::useRegistry(nullptr);
        if (!saved) {
            std::fprintf(stderr, "bench_settings: the large store could not be written\n");
            return 1;
        }
    }

    const QString defaultPath = folder.filePath(QStringLiteral("default.sqlite"));
    {
        platform::SqliteRegistry registry(defaultPath.toStdString());
        RegFileImporter importer(registry);
        const QString regFile = QStringLiteral(LUMBRA_BUILD_DIR "/EN.reg");
        if (importer.importFile(regFile) != RegFileImporter::Status::Imported) {
            std::fprintf(stderr, "bench_settings: cannot import %s\n", qPrintable(regFile));
            return 1;
        }
    }

    std::printf("Settings store, %d runs each, milliseconds\n", runs);
    std::printf("%-8s %-20s %9s %9s %9s\n", "store", "operation", "median", "min", "max");
    benchmarkStore("large", largePath, folder.path(), true);
    benchmarkStore("default", defaultPath, folder.path(), false);
    benchmarkFiles("large", largePath);
    benchmarkFiles("default", defaultPath);
    benchmarkExpansion();
    return 0;
}
