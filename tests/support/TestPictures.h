#pragma once

#include <QColor>
#include <QRect>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <functional>

// Pictures drawn for a test in a temporary folder, and a theme whose mask and default icon
// lie in it.
class TestPictures
{
public:
    // A folder with the theme "Plain": its mask (opaque blue, 100 x 100) and its default
    // icon picture (opaque green, 100 x 100).
    TestPictures();

    // Writes a picture of one colour and answers its path.
    QString write(const QString &name, const QSize &size, const QColor &colour);
    QString path(const QString &name) const;
    QString maskPath() const;
    QString defaultIconPath() const;

    // theSettings starts over with the theme of this folder as its only and current theme,
    // 100 x 100 icons five to a row, and grid cells 100 apart from (200, 150).
    void resetSettings() const;

    static const QColor maskColour;
    static const QColor defaultColour;

private:
    QTemporaryDir folder;
};

// The pixmap a label shows, as an image in the canvas format.
class QLabel;
QImage shownImage(const QLabel &label);

// Whether `widget` looks as the picture kept as tests/pictures/NAME.png shows it: no channel
// of a pixel off by more than the edge of a letter can be. Where it doesn't, what it shows is
// left in the temporary folder to look at. LUMBRA_KEEP_PICTURES=1 keeps it as the new picture.
class QWidget;
bool looksAsKept(QWidget &widget, const QString &name);

// The smallest rectangle holding every pixel of `image` that `chosen` takes.
QRect pixelsWhere(const QImage &image, const std::function<bool(QRgb)> &chosen);
