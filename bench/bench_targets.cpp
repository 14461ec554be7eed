// How long the launcher takes to look up whether the programs and documents of a page of 100
// icons are on this computer, as it does each time a page is shown: the factory settings'
// targets (program paths and home folders, some of them not installed here), bare program
// names that are looked for along PATH and found nowhere (the slowest case), and the whole
// pass over 100 icon labels when nothing has changed. Prints a table; asserts nothing.
//
// Target on a cheap PC: the checks for a page of 100 icons under 2 ms.

#include "launcher/TargetCheck.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QList>
#include <QPair>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

int runs = 201;
constexpr int kPageIcons = 100;

struct Timing
{
    double median = 0;
    double min = 0;
    double max = 0;
};

Timing measure(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times.back()};
}

void printRow(const char *operation, const Timing &timing, const char *goal)
{
    std::printf("%-52s %9.3f %9.3f %9.3f%s%s\n", operation, timing.median, timing.min, timing.max,
                *goal ? "   " : "", goal);
}

using Target = QPair<int, QString>;

// The program and folder icons of the factory settings, as they are after %HOME% is expanded.
QList<Target> factoryTargets()
{
    const char *const programs[] = {
        "/usr/bin/firefox-esr", "/usr/bin/thunderbird", "/usr/bin/gnome-maps", "/usr/bin/gnome-weather",
        "/usr/bin/lowriter", "/usr/bin/localc", "/usr/bin/loimpress", "/usr/bin/evince",
        "/usr/bin/gnome-text-editor", "/usr/bin/gnome-calendar", "/usr/bin/simple-scan", "/usr/bin/shotwell",
        "/usr/bin/rhythmbox", "/usr/bin/totem", "/usr/bin/cheese", "/usr/bin/gnome-sound-recorder",
        "/usr/bin/gimp", "/usr/games/gnome-mines", "/usr/games/sol", "/usr/games/gnome-sudoku",
        "/usr/games/gnome-chess", "/usr/games/gnome-mahjongg", "/usr/games/quadrapassel",
        "/usr/games/four-in-a-row", "/usr/games/tali", "/usr/games/gnome-2048", "/usr/games/iagno",
        "/usr/games/lightsoff", "/usr/games/hitori", "/usr/games/gnome-tetravex", "/usr/games/gnome-robots",
        "/usr/games/gnome-nibbles", "/usr/games/five-or-more", "/usr/bin/nautilus",
        "/usr/bin/gnome-control-center", "/usr/bin/gnome-software", "/usr/bin/yelp",
        "/usr/bin/gnome-system-monitor", "/usr/bin/gnome-terminal", "/usr/bin/gnome-calculator",
        "/usr/bin/gnome-clocks", "/usr/bin/gnome-characters", "/usr/bin/gnome-screenshot", "/usr/bin/onboard",
        "/usr/games/gnome-klotski", "/usr/games/gnome-taquin", "/usr/games/swell-foop"};
    QList<Target> targets;
    for (const char *program : programs)
        targets.append({1, QString::fromLatin1(program)});
    for (const char *folder : {"Downloads", "Documents", "Pictures", "Music"})
        targets.append({3, QDir::homePath() + u'/' + QLatin1String(folder)});
    return targets;
}

QList<Target> page(const QList<Target> &kinds)
{
    QList<Target> targets;
    for (int n = 0; n < kPageIcons; ++n)
        targets.append(kinds.at(n % kinds.size()));
    return targets;
}

int countMissing(const QList<Target> &targets)
{
    int missing = 0;
    for (const Target &target : targets)
        missing += TargetCheck::isMissing(target.first, target.second) ? 1 : 0;
    return missing;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc > 1)
        runs = std::max(1, QString::fromLocal8Bit(argv[1]).toInt());

    const QList<Target> factory = page(factoryTargets());
    QList<Target> bareNames;
    for (int n = 0; n < kPageIcons; ++n)
        bareNames.append({1, QStringLiteral("no-such-program-%1").arg(n)});

    std::vector<std::unique_ptr<APIconQLabel>> icons;
    QList<APIconQLabel *> labels;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    for (int n = 0; n < kPageIcons; ++n) {
        icons.push_back(std::make_unique<APIconQLabel>(0, 0, 136, 150, QString(), QString(), font,
                                                       QStringLiteral("Icon"), 0, 100, Qt::black, n, 1, 0));
        icons.back()->kind = factory.at(n).first;
        icons.back()->exeLocation = factory.at(n).second;
        labels.append(icons.back().get());
    }
    TargetCheck::markIcons(labels);

    std::printf("A page of %d icons; %d of the factory targets are missing on this machine; PATH has %lld folders.\n",
                kPageIcons, countMissing(factory),
                static_cast<long long>(qEnvironmentVariable("PATH").split(u':').size()));
    std::printf("%-52s %9s %9s %9s\n", "ms per page", "median", "min", "max");
    printRow("look up 100 factory targets", measure([&] { countMissing(factory); }), "goal < 2 ms");
    printRow("look up 100 bare names found nowhere on PATH", measure([&] { countMissing(bareNames); }), "");
    printRow("mark 100 icon labels, nothing changed", measure([&] { TargetCheck::markIcons(labels); }),
             "goal < 2 ms");
    return 0;
}
