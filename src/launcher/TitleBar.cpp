#include "TitleBar.h"

#include "LauncherGeometry.h"
#include "TitleBarLayout.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/FaceRecipes.h"
#include "widgets/IconQLabel.h"
#include "widgets/LauncherAccessible.h"

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <algorithm>

namespace {

QPixmap themePicture(int id)
{
    return QPixmap::fromImage(loadPicture(theSettings.getString(id)));
}

IconQLabel *pictureButton(const QRect &place, int normalPicture, int pressedPicture)
{
    return new IconQLabel(place.x(), place.y(), place.height(), place.width(), theSettings.getString(normalPicture),
                          theSettings.getString(pressedPicture));
}

} // namespace

TitleBar::TitleBar(QWidget *window)
    : QObject(window)
{
    using namespace TextSetting;
    const TitleBarLayout layout = TitleBarLayout::current();
    area = new QLabel(window);
    area->setScaledContents(true);
    area->show();
    place();
    paintTabAreaColour();

    back = new QLabel;
    back->setScaledContents(true);
    back->setGeometry(layout.backBar);

    const QRect &b = layout.backButton;
    backButton = new IconQLabel(b.x(), b.y(), b.height(), b.width(), theSettings.getString(BACKBUTTON_NOR_PNG_NAME),
                                theSettings.getString(BACKBUTTON_HI_PNG_NAME), backCaptionFont(),
                                theSettings.getString(DIALOG_RETURN_TO_PREV_TAB), 0, LauncherGeometry::offset(-5),
                                theSettings.getColor(ColourSetting::THEME_SYSTEM_PEN_REVERSE_COLOR));
    setUp(backButton, ActionKind::Back, back);
    upButton = pictureButton(layout.upButton, UPBUTTON_NOR_PNG_NAME, UPBUTTON_HI_PNG_NAME);
    setUp(upButton, ActionKind::PageUp, nullptr);
    downButton = pictureButton(layout.downButton, DOWNBUTTON_NOR_PNG_NAME, DOWNBUTTON_HI_PNG_NAME);
    setUp(downButton, ActionKind::PageDown, nullptr);
    houseButton = pictureButton(layout.houseButton, HOUSE_PNG_NAME, HOUSE_PNG_NAME);
    setUp(houseButton, ActionKind::House, area);
    speakerButton = pictureButton(layout.speakerButton, SPEAKER_OFF_PNG_NAME, SPEAKER_ON_PNG_NAME);
    setUp(speakerButton, ActionKind::Music, area);
}

// The paging buttons and the back bar change parents as pages are shown; when they are on no
// page nobody else deletes them.
TitleBar::~TitleBar()
{
    for (QWidget *floating :
         {static_cast<QWidget *>(upButton), static_cast<QWidget *>(downButton), static_cast<QWidget *>(back)}) {
        if (floating && !floating->parent())
            delete floating;
    }
}

void TitleBar::setUp(IconQLabel *button, int kind, QWidget *parent)
{
    button->kind = kind;
    button->setAccessibleName(LauncherAccessible::buttonName(kind));
    button->setScaledContents(true);
    button->setAttribute(Qt::WA_MouseTracking);
    connect(button, &IconQLabel::activated, this, [this, button] { emit buttonActivated(button); });
    if (parent) {
        button->setParent(parent);
        button->show();
    }
}

void TitleBar::place()
{
    const TitleBarLayout layout = TitleBarLayout::current();
    area->setMaximumSize(layout.tabArea.size());
    area->setMinimumSize(layout.tabArea.size());
    area->setGeometry(layout.tabArea);
    if (!back)
        return;
    back->setGeometry(layout.backBar);
    const std::pair<IconQLabel *, QRect> places[] = {
        {speakerButton, layout.speakerButton}, {backButton, layout.backButton},   {upButton, layout.upButton},
        {downButton, layout.downButton},       {houseButton, layout.houseButton},
    };
    for (const auto &[button, place] : places)
        button->placeAt(place.x(), place.y(), place.height(), place.width());
    backButton->setCaptionFont(backCaptionFont(), LauncherGeometry::offset(-5));
}

// Both at the screen's scale; the icon-name font is drawn bold.
QFont TitleBar::backCaptionFont() const
{
    if (themed)
        return LauncherGeometry::font(FontSetting::SYSTEM_STRING_FONT);
    QFont font = LauncherGeometry::font(FontSetting::ICON_AP_NAME_FONT);
    font.setWeight(QFont::Bold);
    return font;
}

// Right after start the tab area is the theme's flat colour; a theme change puts the theme's
// title bar picture there instead.
void TitleBar::paintTabAreaColour()
{
    const QRect place = TitleBarLayout::current().tabArea;
    QImage colour(std::max(1, place.width()), std::max(1, place.height()), QImage::Format_ARGB32_Premultiplied);
    const QColor background = theSettings.getColor(ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR);
    colour.fill(background.isValid() ? background : QColor(Qt::black));
    area->setPixmap(QPixmap::fromImage(colour));
}

void TitleBar::applyTheme()
{
    using namespace TextSetting;
    themed = true;
    area->setPixmap(themePicture(TITLEBAR_PNG_NAME));
    back->setPixmap(themePicture(BACKTITLEBAR_PNG_NAME));
    backButton->reloadImagesWithText(
        theSettings.getString(BACKBUTTON_HI_PNG_NAME), theSettings.getString(BACKBUTTON_NOR_PNG_NAME),
        theSettings.getColor(ColourSetting::THEME_SYSTEM_PEN_COLOR),
        theSettings.getColor(ColourSetting::THEME_SYSTEM_PEN_REVERSE_COLOR),
        backCaptionFont(), 0, LauncherGeometry::offset(-5), theSettings.getString(DIALOG_RETURN_TO_PREV_TAB));
    downButton->reloadImages(theSettings.getString(DOWNBUTTON_HI_PNG_NAME),
                             theSettings.getString(DOWNBUTTON_NOR_PNG_NAME));
    upButton->reloadImages(theSettings.getString(UPBUTTON_HI_PNG_NAME), theSettings.getString(UPBUTTON_NOR_PNG_NAME));
}

IconQLabel *TitleBar::button(int kind) const
{
    switch (kind) {
    case ActionKind::Back:
        return backButton;
    case ActionKind::PageUp:
        return upButton;
    case ActionKind::PageDown:
        return downButton;
    case ActionKind::House:
        return houseButton;
    case ActionKind::Music:
        return speakerButton;
    default:
        return nullptr;
    }
}

void TitleBar::showPagingButtons(QWidget *page, bool shown)
{
    for (IconQLabel *button : {upButton, downButton}) {
        if (shown) {
            button->setParent(page);
            button->show();
            button->raise();
        } else {
            button->hide();
        }
    }
}

// The back bar's picture is decoded when a folder is first opened: the first page never
// shows it.
void TitleBar::showBackBar(QWidget *page)
{
    if (back->pixmap().isNull())
        back->setPixmap(themePicture(TextSetting::BACKTITLEBAR_PNG_NAME));
    back->setParent(page);
    back->show();
    back->raise();
}

void TitleBar::hideBackBar()
{
    back->hide();
    back->setParent(nullptr);
}
