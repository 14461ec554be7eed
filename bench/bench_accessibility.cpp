// How regular one-switch scanning steps are, and how long a person waits from a key press to
// the first sound of the name it highlights. The real launcher runs on the factory settings
// under the X server of $DISPLAY (start one: `Xvfb :73 &`).
//
// Scanning: SWITCH_SCAN_MS at 300 and 1500; the launcher writes a line per step (with
// LUMBRA_BENCH_MARKERS); the figures are the intervals between steps, beside the step time.
//
// Speech: SPEAK_NAMES 1, Right and Left pressed in turn through xdotool, while `parec` records
// the default PulseAudio source (the monitor of a null sink on a machine without a sound
// card); the delay runs from the moment xdotool has sent the key to the first recorded
// sample louder than -30 dBFS. The first press includes starting the voice. Run once per
// engine with LUMBRA_SPEECH_ENGINE=speechd or =flite. Skipped without parec or a sound server.
//
// Goals: step intervals within 50 ms of the step time; key to speech under 300 ms.
// Prints a table; asserts nothing.
//
//   bench_accessibility [PRESSES]

#include "platform/Platform.h"
#include "platform/posix/SqliteRegistry.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryAccess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 16000;
constexpr int kLoud = 1036; // -30 dBFS of 16-bit samples
constexpr double kJitterGoalMs = 50;
constexpr double kSpeechGoalMs = 300;

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

bool writeStore(const QString &storePath, int speak, int scanMs)
{
    platform::SqliteRegistry registry(storePath.toStdString());
    if (RegFileImporter(registry).importFile(QStringLiteral(LUMBRA_BUILD_DIR "/EN.reg"))
        != RegFileImporter::Status::Imported)
        return false;
    platform::useRegistry(&registry);
    const platform::RegKey key = openRegKey(platform::kLocalMachine,
                                            QStringLiteral("Software\\ORTAN\\Lumbra\\EN\\System"), false);
    bool written = key != platform::kNoKey;
    written = written && writeRegInt(key, QStringLiteral("IS_FIRST_RUN"), 0) == platform::kErrorSuccess;
    written = written && writeRegInt(key, QStringLiteral("SPEAK_NAMES"), speak) == platform::kErrorSuccess;
    written = written && writeRegInt(key, QStringLiteral("SWITCH_SCAN_MS"), scanMs) == platform::kErrorSuccess;
    closeRegKey(key);
    platform::useRegistry(nullptr);
    return written;
}

void startLauncher(QProcess &launcher, const QString &store)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), store);
    environment.insert(QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0409"));
    environment.insert(QStringLiteral("LUMBRA_BENCH_MARKERS"), QStringLiteral("1"));
    launcher.setProcessEnvironment(environment);
    launcher.setWorkingDirectory(QStringLiteral(LUMBRA_BUILD_DIR));
    launcher.setReadChannel(QProcess::StandardError);
    launcher.start(QStringLiteral(LUMBRA_BUILD_DIR "/lumbra"), {});
}

void stopLauncher(QProcess &launcher)
{
    launcher.terminate();
    if (!launcher.waitForFinished(5000))
        launcher.kill();
    launcher.waitForFinished(5000);
}

// The times of the first `count` scan steps, in milliseconds of the launcher's clock.
std::vector<double> stepTimes(QProcess &launcher, int count, int timeoutMs)
{
    std::vector<double> times;
    QElapsedTimer clock;
    clock.start();
    while (int(times.size()) < count && clock.elapsed() < timeoutMs) {
        if (!launcher.canReadLine() && !launcher.waitForReadyRead(1000))
            continue;
        while (launcher.canReadLine()) {
            const QByteArray line = launcher.readLine();
            if (line.startsWith("scan-step "))
                times.push_back(line.split(' ').value(1).toDouble());
        }
    }
    return times;
}

void measureScanning(const QString &folder, int stepMs, int steps)
{
    const QString store = folder + QStringLiteral("/scan-%1.sqlite").arg(stepMs);
    if (!writeStore(store, 0, stepMs)) {
        std::printf("scanning %d ms: the store could not be written\n", stepMs);
        return;
    }
    QProcess launcher;
    startLauncher(launcher, store);
    const std::vector<double> times = stepTimes(launcher, steps + 1, (steps + 10) * stepMs + 20000);
    stopLauncher(launcher);
    if (times.size() < 3) {
        std::printf("scanning %d ms: fewer than 3 steps seen\n", stepMs);
        return;
    }
    std::vector<double> intervals;
    std::vector<double> errors;
    for (std::size_t i = 1; i < times.size(); ++i) {
        intervals.push_back(times[i] - times[i - 1]);
        errors.push_back(std::abs(intervals.back() - stepMs));
    }
    const Figures figures = figuresOf(intervals);
    const Figures error = figuresOf(errors);
    std::printf("scan step %5d ms  %3zu intervals  median %8.2f  min %8.2f  max %8.2f ms  |error| median %6.2f max %6.2f ms"
                "  (goal < %.0f: %s)\n",
                stepMs, intervals.size(), figures.median, figures.min, figures.max, error.median, error.max,
                kJitterGoalMs, error.max < kJitterGoalMs ? "met" : "MISSED");
}

// Records the default PulseAudio source; the time of each sample is taken from the arrival
// of the block it came in.
class Recorder
{
public:
    bool start()
    {
        const QString parec = QStandardPaths::findExecutable(QStringLiteral("parec"));
        if (parec.isEmpty())
            return false;
        process.start(parec, {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                              QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--channels=1"),
                              QStringLiteral("--latency-msec=5")});
        clock.start();
        return process.waitForStarted(5000) && process.waitForReadyRead(5000);
    }
    ~Recorder()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    // The time of the first loud sample after `since` (ms of this clock), or -1.
    double firstSoundAfter(double since, int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs) {
            process.waitForReadyRead(20);
            const double arrival = now();
            pending += process.readAllStandardOutput();
            const qsizetype samples = pending.size() / 2;
            const auto *data = reinterpret_cast<const qint16 *>(pending.constData());
            for (qsizetype i = 0; i < samples; ++i) {
                const double at = arrival - double(samples - i) * 1000.0 / kRate;
                if (at >= since && std::abs(int(data[i])) > kLoud) {
                    pending.clear();
                    return at;
                }
            }
            pending.remove(0, samples * 2);
        }
        return -1;
    }
    // Drops what was recorded until the sound has been quiet for `quietMs`.
    void waitForQuiet(int quietMs, int timeoutMs)
    {
        double lastLoud = now();
        QElapsedTimer waited;
        waited.start();
        while (now() - lastLoud < quietMs && waited.elapsed() < timeoutMs) {
            process.waitForReadyRead(20);
            const QByteArray block = process.readAllStandardOutput();
            const auto *data = reinterpret_cast<const qint16 *>(block.constData());
            for (qsizetype i = 0; i < block.size() / 2; ++i) {
                if (std::abs(int(data[i])) > kLoud)
                    lastLoud = now();
            }
        }
        pending.clear();
    }
    double now() const { return double(clock.nsecsElapsed()) / 1e6; }

private:
    QProcess process;
    QElapsedTimer clock;
    QByteArray pending;
};

void measureSpeech(const QString &folder, int presses)
{
    const QString engine = qEnvironmentVariable("LUMBRA_SPEECH_ENGINE", QStringLiteral("(first that answers)"));
    Recorder recorder;
    if (!recorder.start()) {
        std::printf("speech: no recording (parec missing or no PulseAudio server); skipped\n");
        return;
    }
    const QString store = folder + QStringLiteral("/speech.sqlite");
    if (!writeStore(store, 1, 0)) {
        std::printf("speech: the store could not be written\n");
        return;
    }
    QProcess launcher;
    startLauncher(launcher, store);
    launcher.waitForReadyRead(3000);
    // The launcher speaks the first tab's name as it comes up; the presses start after it.
    recorder.waitForQuiet(1500, 20000);
    std::vector<double> delays;
    double first = -1;
    for (int n = 0; n < presses; ++n) {
        const QString key = n % 2 == 0 ? QStringLiteral("Right") : QStringLiteral("Left");
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), key});
        const double sent = recorder.now();
        const double sound = recorder.firstSoundAfter(sent, 30000);
        if (sound < 0) {
            std::printf("speech (%s): press %d was never heard\n", qPrintable(engine), n + 1);
            break;
        }
        if (n == 0)
            first = sound - sent;
        else
            delays.push_back(sound - sent);
        recorder.waitForQuiet(700, 10000);
    }
    stopLauncher(launcher);
    if (first >= 0)
        std::printf("key to speech (%s): first press %.1f ms\n", qPrintable(engine), first);
    if (!delays.empty()) {
        const Figures figures = figuresOf(delays);
        std::printf("key to speech (%s): %zu later presses  median %.1f  min %.1f  max %.1f ms  (goal < %.0f: %s)\n",
                    qPrintable(engine), delays.size(), figures.median, figures.min, figures.max, kSpeechGoalMs,
                    figures.median < kSpeechGoalMs ? "met" : "MISSED");
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int presses = argc > 1 ? std::max(2, QByteArray(argv[1]).toInt()) : 11;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "bench_accessibility: needs an X server in $DISPLAY (Xvfb :73 & export DISPLAY=:73)\n");
        return 1;
    }
    QTemporaryDir folder;
    std::printf("bench_accessibility on %s\n", qPrintable(qEnvironmentVariable("DISPLAY")));
    measureScanning(folder.path(), 300, 40);
    measureScanning(folder.path(), 1500, 12);
    measureSpeech(folder.path(), presses);
    return 0;
}
