#include "TabQLabel.h"

#include "FaceRecipes.h"
#include "settings/SettingStore.h"

#include <QFontMetrics>
#include <QPixmap>

TabQLabel::TabQLabel(const QRect &tabRect, const QColor &background, const QRect &pictureRect,
                     const QString &pictureFile, QString &name, const QFont &font, const QColor &pen)
    : tabRect(tabRect), pictureRect(pictureRect), pictureFile(pictureFile), nameFont(font)
{
    setGeometry(tabRect);
    setAttribute(Qt::WA_MouseTracking);
    canvas = makeCanvas(tabRect.width(), tabRect.height());
    useLauncherToolTipFont();
    setToolTip(name);
    // The strip may show the name shortened; the screen reader and the voice get all of it.
    setAccessibleName(name);
    name = elideName(name, font, tabRect, pictureRect);
    this->name = name;

    const QFontMetrics metrics(nameFont);
    const TabFaceLayout layout =
        layoutTabFace(tabRect, pictureRect, metrics.horizontalAdvance(this->name), metrics.height());
    pictureX = layout.pictureX;
    pictureY = layout.pictureY;
    textX = layout.textX;
    textY = layout.textY;
    paintFace(background, pen);
}

void TabQLabel::paintSelected()
{
    paintFace(theSettings.getColor(ColourSetting::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR),
              theSettings.getColor(ColourSetting::THEME_TAB_ITEM_PEN_REVERSE_COLOR));
}

void TabQLabel::paintUnselected()
{
    paintFace(theSettings.getColor(ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR),
              theSettings.getColor(ColourSetting::THEME_TAB_ITEM_PEN_COLOR));
}

void TabQLabel::mousePressEvent(QMouseEvent *)
{
    emit activated();
}

void TabQLabel::enterEvent(QEnterEvent *)
{
    replaceOverrideCursor(Qt::PointingHandCursor);
}

void TabQLabel::leaveEvent(QEvent *)
{
    replaceOverrideCursor(Qt::ArrowCursor);
}

void TabQLabel::paintFace(const QColor &background, const QColor &pen)
{
    const QFontMetrics metrics(nameFont);
    picture = loadPicture(pictureFile);
    const QRect pictureBox(pictureX, pictureY, pictureRect.width(), pictureRect.height());
    const QRect textBox(textX, textY, metrics.horizontalAdvance(name), metrics.height());
    canvas = paintTabFace(tabRect.size(), background, picture, pictureBox, name, nameFont, pen, textBox);
    setPixmap(QPixmap::fromImage(canvas));
}
