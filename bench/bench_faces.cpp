// How long an application icon takes to repaint when the pointer moves onto it: its normal
// face (picture placed, name stamped) and then its highlight (the theme's mask beneath the
// face), on a 150 x 136 icon with a 128 x 128 picture and a 150 x 136 mask, as the factory
// settings have them. Prints a table; asserts nothing.
//
// Target on a cheap PC: one hover repaint under 2 ms, so that sweeping the pointer across a
// page never lags.
//
// Then a tab switch on the factory settings (Light theme, 1366 x 704 page pictures) on a
// 1024 x 600 screen, going round the tabs of the strip, with the memory the process holds
// afterwards. Target: a switch under 20 ms.

#include "i18n/LanguageChoice.h"
#include "launcher/TabEntry.h"
#include "launcher/lumbra.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "platform/posix/SqliteRegistry.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/FaceRecipes.h"
#include "widgets/TabQLabel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// Runs per measurement; the first argument may change it (a profiler wants one or two).
int runs = 201;
constexpr int kIconWidth = 150;
constexpr int kIconHeight = 136;

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
    std::printf("%-40s %9.3f %9.3f %9.3f%s%s\n", operation, timing.median, timing.min, timing.max,
                *goal ? "   " : "", goal);
}

// A picture that compresses like a real icon: a soft gradient with a rim of transparency
// and some grain, so that decoding it costs what a real one costs.
void writePicture(const QString &path, int width, int height, QRgb tint)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor::fromRgb(tint));
    gradient.setColorAt(1, QColor::fromRgb(tint).darker(250));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(4, 4, width - 8, height - 8), 18, 18);
    painter.end();
    QRandomGenerator grain(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            const int noise = int(grain.bounded(9)) - 4;
            picture.setPixel(x, y, qRgba(std::clamp(qRed(pixel) + noise, 0, 255),
                                         std::clamp(qGreen(pixel) + noise, 0, 255),
                                         std::clamp(qBlue(pixel) + noise, 0, 255), qAlpha(pixel)));
        }
    }
    picture.save(path, "PNG");
}

void useFolder(const QString &folder)
{
    theSettings = SettingStore();
    theSettings.mySystem.CURRENT_THEME = 1;
    theSettings.mySystem.THEME_DIR = folder + QStringLiteral("/Theme/");
    theSettings.mySystem.ICON_DIR = folder + QStringLiteral("/Icon/");
    ThemeInfo theme;
    theme.THEME_NAME = QStringLiteral("Blue");
    theme.MASK_PNG_NAME = QStringLiteral("mask.png");
    theme.DEFAULT_ICON_PNG_NAME = QStringLiteral("default.png");
    theSettings.themes.append(theme);
}

// The screen of a small PC: 1024 x 600, no caption.
class SmallScreen : public platform::ScreenMetrics
{
public:
    int systemMetric(int index) override
    {
        return index == platform::kSmCxFullScreen ? 1024 : index == platform::kSmCyFullScreen ? 600 : 0;
    }
};

// Resident and peak memory of this process, in MiB, as the kernel counts it.
double memoryMiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// A round of the strip's tabs, each switch measured; the first round decodes every picture.
void benchTabSwitch(const QString &folder)
{
    const QString storePath = folder + QStringLiteral("/store.sqlite");
    platform::SqliteRegistry registry(storePath.toStdString());
    if (RegFileImporter(registry).importFile(QStringLiteral(LUMBRA_BUILD_DIR "/EN.reg"))
        != RegFileImporter::Status::Imported) {
        std::printf("tab switch: the factory settings could not be imported\n");
        return;
    }
    platform::useRegistry(&registry);
    SmallScreen screen;
    platform::useScreen(&screen);
    qputenv("LUMBRA_RUNTIME_DIR", QFile::encodeName(folder));
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    theSettings = SettingStore();
    loadAllSettings(theSettings);
    const QString saved = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(LUMBRA_BUILD_DIR));
    {
        lumbra launcher;
        theLauncher = &launcher;
        launcher.initialise();
        launcher.timerStart_slot();
        QList<TabQLabel *> strip;
        for (int t = 0; t < launcher.tabCount(); ++t) {
            if (!launcher.tab(t)->tabLabel->isHidden())
                strip.append(launcher.tab(t)->tabLabel);
        }
        int next = 0;
        const auto switchTab = [&] { launcher.dispatchAction(nullptr, nullptr, strip.at(++next % strip.size())); };
        const Timing first = measure(switchTab);
        printRow("tab switch", first, "goal < 20 ms");
        std::printf("%-40s %9.1f MiB resident, %.1f MiB at the peak\n", "memory after the switches",
                    memoryMiB("VmRSS:"), memoryMiB("VmHWM:"));
        theLauncher = nullptr;
    }
    QDir::setCurrent(saved);
    platform::useScreen(nullptr);
    platform::useRegistry(nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    // Runs without a display unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1)
        runs = std::max(1, QString::fromLocal8Bit(argv[1]).toInt());
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_faces: cannot create a temporary folder\n");
        return 1;
    }
    QDir().mkpath(folder.filePath(QStringLiteral("Theme/Blue")));
    QDir().mkpath(folder.filePath(QStringLiteral("Icon/Blue")));
    const QString picture = folder.filePath(QStringLiteral("Icon/mail.png"));
    const QString mask = folder.filePath(QStringLiteral("Theme/Blue/mask.png"));
    writePicture(picture, 128, 128, qRgb(60, 140, 220));
    writePicture(mask, kIconWidth, kIconHeight, qRgb(255, 255, 255));
    writePicture(folder.filePath(QStringLiteral("Icon/Blue/default.png")), 128, 128, qRgb(128, 128, 128));
    useFolder(folder.path());

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11 + 7);
    const QString name = QStringLiteral("Electronic mail");
    APIconQLabel fitted(0, 0, kIconHeight, kIconWidth, picture, mask, font, name, 0, 94, Qt::white, 0, 1, 1);
    APIconQLabel natural(0, 0, kIconHeight, kIconWidth, picture, mask, font, name, 0, 94, Qt::white, 0, 1, 0);
    for (APIconQLabel *icon : {&fitted, &natural})
        icon->setScaledContents(true);

    std::printf("Icon faces, %dx%d icon, 128x128 picture, %d runs each, milliseconds\n", kIconWidth, kIconHeight,
                runs);
    std::printf("%-40s %9s %9s %9s\n", "operation", "median", "min", "max");
    const Timing hoverFitted = measure([&] {
        fitted.paintNormal();
        fitted.paintHighlighted();
    });
    printRow("hover repaint, picture scaled to fit", hoverFitted, "goal < 2 ms");
    const Timing hoverNatural = measure([&] {
        natural.paintNormal();
        natural.paintHighlighted();
    });
    printRow("hover repaint, picture at natural size", hoverNatural, "goal < 2 ms");
    const Timing pressed = measure([&] { fitted.paintPressed(); });
    printRow("press (mask over the face)", pressed, "");
    const Timing cold = measure([&] {
        clearPictureCache();
        fitted.paintNormal();
        fitted.paintHighlighted();
    });
    printRow("hover repaint, pictures decoded anew", cold, "");
    std::printf("\nTab switch, factory settings, 1024x600 screen, %d runs, milliseconds\n", runs);
    benchTabSwitch(folder.path());
    return 0;
}
