#include "TabQLabel.h"

#include "FaceRecipes.h"
#include "settings/SettingStore.h"

#include <QFontMetrics>
#include <QPixmap>

TabQLabel::TabQLabel(const QRect &tabRect, const QColor &background, const QRect &pictureRect,
                     const QString &pictureFile, QString &name, const QFont &font, const QColor &pen)
    : tabRect(tabRect), pictureRect(pictureRect), pictureFile(pictureFile), fullName(name), nameFont(font)
{
    setGeometry(tabRect);
    setAttribute(Qt::WA_MouseTracking);
    canvas = makeCanvas(tabRect.width(), tabRect.height());
    useLauncherToolTipFont();
    setToolTip(name);
    // The strip may show the name shortened; the screen reader and the voice get all of it.
    setAccessibleName(name);
    layOut();
    name = this->name;
    paintFace(background, pen);
}

void TabQLabel::setPlace(const QRect &tabRect, const QRect &pictureRect, const QFont &font)
{
    if (tabRect == this->tabRect && pictureRect.size() == this->pictureRect.size() && font == nameFont)
        return;
    this->tabRect = tabRect;
    this->pictureRect = pictureRect;
    nameFont = font;
    setGeometry(tabRect);
    layOut();
    if (showsSelectedFace)
        paintSelected();
    else
        paintUnselected();
}

void TabQLabel::layOut()
{
    name = elideName(fullName, nameFont, tabRect, pictureRect);
    const QFontMetrics metrics(nameFont);
    if (name != fullName && metrics.horizontalAdvance(name) > tabRect.width() - pictureRect.width())
        name.clear();
    const TabFaceLayout layout =
        layoutTabFace(tabRect, pictureRect, metrics.horizontalAdvance(name), metrics.height());
    pictureX = layout.pictureX;
    pictureY = layout.pictureY;
    textX = layout.textX;
    textY = layout.textY;
}

void TabQLabel::paintSelected()
{
    showsSelectedFace = true;
    paintFace(theSettings.getColor(ColourSetting::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR),
              theSettings.getColor(ColourSetting::THEME_TAB_ITEM_PEN_REVERSE_COLOR));
}

void TabQLabel::paintUnselected()
{
    showsSelectedFace = false;
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
    picture = loadPicture(pictureFile, pictureRect.size() * deviceScale());
    const QRect pictureBox(pictureX, pictureY, pictureRect.width(), pictureRect.height());
    const QRect textBox(textX, textY, metrics.horizontalAdvance(name), metrics.height());
    canvas = paintTabFace(tabRect.size(), background, picture, pictureBox, name, nameFont, pen, textBox);
    setPixmap(QPixmap::fromImage(canvas));
}
