// How fast the launcher shows its first frame, and how much memory it holds once every page
// is built, beside two plain Qt programs measured in the same run under the same X server (a
// private Xvfb at 1024x768 when there is no $DISPLAY): a bare one that shows one empty
// frameless window, and one that draws the launcher's first page on the factory settings and
// nothing else (first_page). Each program writes "first-frame" and "all-built" to stderr when
// LUMBRA_BENCH_MARKERS is set; the time runs from just before the process is started to the
// "first-frame" line, the memory is the peak resident set (VmHWM) at the "all-built" line.
// Runs alternate between the programs so that drift of the machine hits all of them alike.
// Prints a table; asserts nothing.
//
// Goals, each against its floor: the first frame on the factory settings within 1.15 x the
// plain first page's (painted as the launcher paints it: the page colour in the first frame,
// the picture right after; the row that draws the picture in its first frame is shown too); the first frame on 10 tabs of 100 icons within 1.15 x the factory
// settings' (the first frame costs what the first page costs, not what the store holds); the
// peak RSS on the factory settings within 1.5 x the bare window's.
//
//   bench_startup [RUNS] [--store FILE]... [--also LABEL=PROGRAM]... [--callgrind]
//
// --store measures the launcher on a store of your own as well, beside the two built here;
// --also measures another program that writes the markers (a variant of the bare one, say);
// --callgrind runs each program once under callgrind instead and prints the instructions it
// executed up to its first frame, which repeat from run to run where wall times do not.

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/posix/SqliteRegistry.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryAccess.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

int runs = 10;
constexpr int kRunTimeoutMs = 30000;
constexpr int kLargeTabs = 10;
constexpr int kLargeIconsPerTab = 100;
constexpr double kFirstFrameGoal = 1.15;
constexpr double kMemoryGoal = 1.5;

struct Program
{
    QString label;
    QString executable;
    QString registry; // empty: a plain program, which reads none
    QString failure;  // why its runs stopped, when they did
    std::vector<double> firstFrameMs;
    std::vector<double> peakRssMiB;
    QStringList arguments;
};

struct Figures
{
    double median = 0;
    double min = 0;
    double max = 0;
};

Figures figuresOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

// Sends stderr elsewhere for its lifetime: reading a store reports the end of every list.
class StderrRedirect
{
public:
    explicit StderrRedirect(const char *path)
    {
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        const int fd = open(path, O_WRONLY);
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

// The factory settings as a user has them after the first start: the question of the first
// start answered, so that what is measured is the launcher's own start.
bool importFactorySettings(const QString &storePath)
{
    platform::SqliteRegistry registry(storePath.toStdString());
    RegFileImporter importer(registry);
    if (importer.importFile(QStringLiteral(LUMBRA_BUILD_DIR "/EN.reg")) != RegFileImporter::Status::Imported)
        return false;
    platform::useRegistry(&registry);
    const platform::RegKey key = openRegKey(platform::kLocalMachine,
                                            QStringLiteral("Software\\ORTAN\\Lumbra\\EN\\System"), false);
    const bool answered = key != platform::kNoKey
        && writeRegInt(key, QStringLiteral("IS_FIRST_RUN"), 0) == platform::kErrorSuccess;
    closeRegKey(key);
    platform::useRegistry(nullptr);
    return answered;
}

// The factory settings with their tabs replaced by ten top-level tabs of a hundred icons
// each, the icons copied round-robin from the factory ones (folder icons become programs:
// their sub-tabs are gone).
bool writeLargeStore(const QString &storePath)
{
    if (!importFactorySettings(storePath))
        return false;
    platform::SqliteRegistry registry(storePath.toStdString());
    platform::useRegistry(&registry);
    StderrRedirect quiet("/dev/null");
    SettingStore store;
    loadAllSettings(store);
    const QList<TabInfo> factoryTabs = store.tabs;
    const QList<IconInfo> factoryIcons = store.icons;
    bool saved = false;
    if (!factoryTabs.isEmpty() && !factoryIcons.isEmpty()) {
        store.tabs.clear();
        store.icons.clear();
        for (int t = 0; t < kLargeTabs; ++t) {
            TabInfo tab = factoryTabs.at(t % factoryTabs.size());
            tab.TAB_ITEM_ID = t + 1;
            tab.TAB_ITEM_PARENT = 0;
            tab.TAB_ITEM_NAME = QStringLiteral("Tab %1").arg(t + 1);
            QStringList numbers;
            for (int i = 0; i < kLargeIconsPerTab; ++i) {
                const int n = t * kLargeIconsPerTab + i + 1;
                IconInfo icon = factoryIcons.at((n - 1) % factoryIcons.size());
                icon.ICON_ID = n;
                icon.ICON_AP_NAME += QStringLiteral(" %1").arg(n);
                if (icon.ICON_DATA_TYPE == 7)
                    icon.ICON_DATA_TYPE = 1;
                store.icons.append(icon);
                numbers << QString::number(n);
            }
            tab.TAB_ITEM_ALL_ICONS = numbers.join(u'.');
            store.tabs.append(tab);
        }
        store.mySystem.NUMBER_OF_TABS = kLargeTabs;
        saved = saveAllSettings(store) == 1;
    }
    platform::useRegistry(nullptr);
    return saved;
}

double peakRssMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// One start of the program, stopped once it has said that everything is built. Answers
// why it failed, or nothing.
std::optional<QString> runOnce(Program &program, const QProcessEnvironment &baseEnvironment)
{
    QProcessEnvironment environment = baseEnvironment;
    if (!program.registry.isEmpty())
        environment.insert(QStringLiteral("LUMBRA_REGISTRY"), program.registry);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QFileInfo(program.executable).absolutePath());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setReadChannel(QProcess::StandardError);

    QElapsedTimer clock;
    clock.start();
    process.start(program.executable, program.arguments);
    double firstFrame = -1;
    double peak = -1;
    QStringList otherLines;
    while (peak < 0 && clock.elapsed() < kRunTimeoutMs) {
        if (!process.canReadLine() && !process.waitForReadyRead(int(kRunTimeoutMs - clock.elapsed())))
            break;
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            if (line == "first-frame" && firstFrame < 0)
                firstFrame = double(clock.nsecsElapsed()) / 1e6;
            else if (line == "all-built")
                peak = peakRssMiB(process.processId());
            else if (!line.isEmpty())
                otherLines << QString::fromLocal8Bit(line);
        }
    }
    const bool ended = process.state() == QProcess::NotRunning;
    process.kill();
    process.waitForFinished(5000);

    if (firstFrame >= 0 && peak >= 0) {
        program.firstFrameMs.push_back(firstFrame);
        program.peakRssMiB.push_back(peak);
        return std::nullopt;
    }
    QString why = ended ? QStringLiteral("ended (exit code %1)").arg(process.exitCode())
                        : QStringLiteral("still running after %1 s").arg(kRunTimeoutMs / 1000);
    why += firstFrame < 0 ? QStringLiteral(" without \"first-frame\"") : QStringLiteral(" without \"all-built\"");
    // The last lines say most about why a program stopped.
    if (!otherLines.isEmpty())
        why += QStringLiteral("; its last words: ") + otherLines.mid(otherLines.size() - 2).join(QStringLiteral(" | "));
    return why;
}

// The instructions the program executed before its first frame: callgrind dumps its counts
// when the marker function is entered the first time, and the program is stopped once it has
// written the marker. Answers -1 when there is no count.
double instructionsToFirstFrame(const Program &program, const QProcessEnvironment &baseEnvironment, const QString &folder)
{
    QProcessEnvironment environment = baseEnvironment;
    if (!program.registry.isEmpty())
        environment.insert(QStringLiteral("LUMBRA_REGISTRY"), program.registry);
    const QString out = QStringLiteral("%1/callgrind.%2").arg(folder).arg(qHash(program.label));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QFileInfo(program.executable).absolutePath());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setReadChannel(QProcess::StandardError);
    const QStringList valgrind = {QStringLiteral("--tool=callgrind"), QStringLiteral("--callgrind-out-file=") + out,
                                  QStringLiteral("--dump-before=*benchMarker*"), program.executable};
    process.start(QStringLiteral("valgrind"), valgrind + program.arguments);
    bool marked = false;
    while (!marked && process.waitForReadyRead(kRunTimeoutMs * 10)) {
        while (process.canReadLine())
            marked = marked || process.readLine().trimmed() == "first-frame";
    }
    process.kill();
    process.waitForFinished(5000);
    QFile dump(out + QLatin1String(".1"));
    if (!marked || !dump.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : dump.readAll().split('\n')) {
        if (line.startsWith("summary:") || line.startsWith("totals:"))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toDouble();
    }
    return -1;
}

void printInstructionCounts(const std::vector<Program> &programs, const QProcessEnvironment &environment,
                            const QString &folder)
{
    std::printf("Instructions to the first frame (callgrind, one run each), millions\n");
    for (const Program &program : programs) {
        const double count = instructionsToFirstFrame(program, environment, folder);
        if (count < 0)
            std::printf("%-26s no count\n", qPrintable(program.label));
        else
            std::printf("%-26s %9.1f\n", qPrintable(program.label), count / 1e6);
    }
}

// A private X server when there is no display. Answers the display name, or nothing.
std::optional<QString> startXvfb(QProcess &xvfb)
{
    const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (server.isEmpty())
        return std::nullopt;
    xvfb.start(server, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
    if (!xvfb.waitForStarted(10000))
        return std::nullopt;
    QElapsedTimer clock;
    clock.start();
    while (!xvfb.canReadLine() && clock.elapsed() < 20000 && xvfb.waitForReadyRead(1000)) {
    }
    const QByteArray number = xvfb.readLine().trimmed();
    if (number.isEmpty())
        return std::nullopt;
    return u':' + QString::fromLatin1(number);
}

void printRow(const char *label, const char *measure, const Figures &figures, const QString &goal)
{
    std::printf("%-26s %-16s %9.1f %9.1f %9.1f   %s\n", label, measure, figures.median, figures.min, figures.max,
                qPrintable(goal));
}

QString verdict(double value, double limit, const char *unit)
{
    return QStringLiteral("goal <= %1 %2: %3").arg(limit, 0, 'f', 1).arg(QLatin1String(unit),
                                                                          value <= limit ? QStringLiteral("met")
                                                                                         : QStringLiteral("MISSED"));
}

// A goal on a measure: the program's median within `factor` x the floor's median.
struct Goal
{
    const Program *floor = nullptr;
    double factor = 0;
};

QString goalText(const Program &program, std::vector<double> Program::*measure, const Goal &goal, const char *unit)
{
    if (!goal.floor || (goal.floor->*measure).empty())
        return QString();
    const double floor = figuresOf(goal.floor->*measure).median;
    const double value = figuresOf(program.*measure).median;
    return QStringLiteral("%1 x %2; ").arg(value / floor, 0, 'f', 2).arg(goal.floor->label)
        + verdict(value, goal.factor * floor, unit);
}

void report(const Program &program, const Goal &frameGoal, const Goal &memoryGoal)
{
    const QByteArray label = program.label.toLocal8Bit();
    if (program.firstFrameMs.empty()) {
        std::printf("%-26s no figures: %s\n", label.constData(), qPrintable(program.failure));
        return;
    }
    printRow(label.constData(), "first frame ms", figuresOf(program.firstFrameMs),
             goalText(program, &Program::firstFrameMs, frameGoal, "ms"));
    printRow("", "peak RSS MiB", figuresOf(program.peakRssMiB), goalText(program, &Program::peakRssMiB, memoryGoal, "MiB"));
    if (!program.failure.isEmpty())
        std::printf("%-26s only %zu runs: %s\n", "", program.firstFrameMs.size(), qPrintable(program.failure));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList ownStores;
    QStringList otherPrograms;
    bool callgrind = false;
    const QStringList arguments = app.arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--store") && i + 1 < arguments.size())
            ownStores << QFileInfo(arguments.at(++i)).absoluteFilePath();
        else if (arguments.at(i) == QLatin1String("--also") && i + 1 < arguments.size())
            otherPrograms << arguments.at(++i);
        else if (arguments.at(i) == QLatin1String("--callgrind"))
            callgrind = true;
        else
            runs = std::max(1, arguments.at(i).toInt());
    }

    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_startup: cannot create a temporary folder\n");
        return 1;
    }
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    const QString factory = folder.filePath(QStringLiteral("factory.sqlite"));
    const QString large = folder.filePath(QStringLiteral("large.sqlite"));
    if (!importFactorySettings(factory) || !writeLargeStore(large)) {
        std::fprintf(stderr, "bench_startup: cannot write the stores from EN.reg\n");
        return 1;
    }

    QProcess xvfb;
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) {
        const std::optional<QString> started = startXvfb(xvfb);
        if (!started) {
            std::fprintf(stderr, "bench_startup: no $DISPLAY and Xvfb could not be started\n");
            return 1;
        }
        display = *started;
    }
    const QString runtime = folder.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("LUMBRA_BENCH_MARKERS"), QStringLiteral("1"));
    environment.insert(QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0409"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);

    std::vector<Program> programs;
    programs.push_back({QStringLiteral("bare window"), QStringLiteral(BARE_WINDOW_EXECUTABLE), {}, {}, {}, {}, {}});
    programs.push_back({QStringLiteral("first page"), QStringLiteral(FIRST_PAGE_EXECUTABLE), {}, {}, {}, {}, {}});
    // The launcher paints its page colour first and the picture right after the first frame.
    programs.push_back({QStringLiteral("first page, picture after"), QStringLiteral(FIRST_PAGE_EXECUTABLE), {}, {}, {}, {},
                        {QStringLiteral("--picture-after")}});
    programs.push_back({QStringLiteral("lumbra, factory"), QStringLiteral(LUMBRA_EXECUTABLE), factory, {}, {}, {}, {}});
    programs.push_back({QStringLiteral("lumbra, 10 x 100 icons"), QStringLiteral(LUMBRA_EXECUTABLE), large, {}, {}, {}, {}});
    for (const QString &other : otherPrograms) {
        const QString label = other.section(u'=', 0, 0);
        const QString executable = QFileInfo(other.section(u'=', 1)).absoluteFilePath();
        programs.push_back({label, executable, {}, {}, {}, {}, {}});
    }
    for (const QString &store : ownStores)
        programs.push_back({QStringLiteral("lumbra, ") + QFileInfo(store).fileName(), QStringLiteral(LUMBRA_EXECUTABLE),
                            store, {}, {}, {}, {}});

    if (callgrind) {
        printInstructionCounts(programs, environment, folder.path());
        if (xvfb.state() != QProcess::NotRunning) {
            xvfb.terminate();
            xvfb.waitForFinished(10000);
        }
        return 0;
    }
    // A program that fails once is not started again: its failure is the finding.
    for (int run = 0; run < runs; ++run) {
        for (Program &program : programs) {
            if (!program.failure.isEmpty())
                continue;
            if (const std::optional<QString> failure = runOnce(program, environment))
                program.failure = *failure;
        }
    }
    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(10000);
    }

    std::printf("Start-up on %s%s, %d runs each: first painted frame after the process start, and\n"
                "the peak resident memory once everything is built\n",
                qPrintable(display), xvfb.program().isEmpty() ? "" : " (Xvfb 1024x768x24)", runs);
    std::printf("%-26s %-16s %9s %9s %9s\n", "program", "measure", "median", "min", "max");
    const Program &bare = programs.at(0);
    const Program &firstPage = programs.at(2);
    const Program &factoryLauncher = programs.at(3);
    for (const Program &program : programs) {
        if (&program == &factoryLauncher)
            report(program, {&firstPage, kFirstFrameGoal}, {&bare, kMemoryGoal});
        else if (program.registry == large)
            report(program, {&factoryLauncher, kFirstFrameGoal}, {});
        else
            report(program, {}, {});
    }
    return 0;
}
