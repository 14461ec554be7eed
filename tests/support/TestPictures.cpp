#include "TestPictures.h"

#include "settings/SettingStore.h"
#include "widgets/FaceRecipes.h"

#include <QDir>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

const QColor TestPictures::maskColour = QColor(0, 0, 255);
const QColor TestPictures::defaultColour = QColor(0, 255, 0);

TestPictures::TestPictures()
{
    write(QStringLiteral("theme/Plain/mask.png"), QSize(100, 100), maskColour);
    write(QStringLiteral("icon/Plain/default.png"), QSize(100, 100), defaultColour);
}

QString TestPictures::write(const QString &name, const QSize &size, const QColor &colour)
{
    const QString file = path(name);
    QDir().mkpath(file.section(u'/', 0, -2));
    QImage picture(size, QImage::Format_ARGB32);
    picture.fill(colour);
    picture.save(file, "PNG");
    return file;
}

QString TestPictures::path(const QString &name) const
{
    return folder.filePath(name);
}

QString TestPictures::maskPath() const
{
    return path(QStringLiteral("theme/Plain/mask.png"));
}

QString TestPictures::defaultIconPath() const
{
    return path(QStringLiteral("icon/Plain/default.png"));
}

void TestPictures::resetSettings() const
{
    theSettings = SettingStore();
    clearPictureCache();
    MySystem &system = theSettings.mySystem;
    system.CURRENT_THEME = 1;
    system.THEME_DIR = path(QStringLiteral("theme/"));
    system.ICON_DIR = path(QStringLiteral("icon/"));
    system.TAB_DIR = path(QStringLiteral("tab/"));
    system.NUMBER_OF_ICON_PER_ROW = 5;
    system.ICON_DISABLE_CLICK_TIMER = 1000000;
    ThemeInfo theme;
    theme.THEME_NAME = QStringLiteral("Plain");
    theme.MASK_PNG_NAME = QStringLiteral("mask.png");
    theme.DEFAULT_ICON_PNG_NAME = QStringLiteral("default.png");
    theSettings.themes.append(theme);
    IconLayout &layout = theSettings.iconLayout;
    layout.ICON_WIDTH = 100;
    layout.ICON_HEIGHT = 100;
    layout.ICON_EFFICACY_PIXEL = 10;
    layout.ICON_EFFICACY_COUNTER = 2;
    // Long enough that no tick comes by itself while a test drives the animation.
    layout.ICON_EFFICACY_INTERVAL = 1000000;
    theSettings.gridLeft = 200;
    theSettings.gridTop = 150;
}

QImage shownImage(const QLabel &label)
{
    return label.pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QRect pixelsWhere(const QImage &image, const std::function<bool(QRgb)> &chosen)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            bounds |= chosen(image.pixel(x, y)) ? QRect(x, y, 1, 1) : QRect();
    }
    return bounds;
}

bool looksAsKept(QWidget &widget, const QString &name)
{
    const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString kept = QStringLiteral(LUMBRA_TEST_PICTURES "/%1.png").arg(name);
    if (qEnvironmentVariableIntValue("LUMBRA_KEEP_PICTURES"))
        return shown.save(kept);
    const QImage before = QImage(kept).convertToFormat(QImage::Format_RGB32);
    QRect differs = shown.size() == before.size() ? QRect() : shown.rect();
    for (int y = 0; y < shown.height() && differs.isEmpty(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y), b = before.pixel(x, y);
            if (std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))}) > 24)
                differs |= QRect(x, y, 1, 1);
        }
    }
    if (differs.isEmpty())
        return true;
    const QString left = QDir::temp().filePath(name + QStringLiteral(".png"));
    shown.save(left);
    qWarning("%s differs from the kept picture first at (%d, %d); it is in %s", qPrintable(name),
             differs.x(), differs.y(), qPrintable(left));
    return false;
}
