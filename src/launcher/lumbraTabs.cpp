// The launcher's tab strip, its pages and the navigation between them.

#include "lumbra.h"

#include "HighlightReporter.h"
#include "TabEntry.h"
#include "platform/Diagnostic.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/FaceRecipes.h"
#include "widgets/IconQLabel.h"
#include "widgets/TabQLabel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QImage>
#include <QPixmap>

#include <algorithm>

namespace {

// A tab shows the icons of the first this many places of its list. Every icon keeps its
// painted faces, so a broken store listing tens of thousands would take the memory of a
// small machine and minutes to build; no one pages through more than this.
constexpr int kMaxPlacesPerTab = 1000;

// The places of tab t that are shown, and that a label's position is counted over.
int shownPlaces(int t)
{
    return std::min(std::max(0, theSettings.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t)), kMaxPlacesPerTab);
}

int subTabCount()
{
    return std::max(0, theSettings.getInt(IntSetting::SUB_TAB_COUNT));
}

// The wait cursor while pages are built or an icon is taken off; what was showing before
// comes back afterwards.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

void lumbra::buildTabStrip()
{
    const int count = theSettings.getInt(IntSetting::TAB_COUNT);
    printDiagnostic(QStringLiteral("tabCount  %1").arg(count));
    const int separatorWidth = pixels(theSettings.getThemeInt(ThemeIntSetting::SEPARATE_PNG_WIDTH));
    const int tabWidth = pixels(theSettings.getInt(IntSetting::TABINFO_ITEM_WIDTH));
    const int tabHeight = pixels(theSettings.getInt(IntSetting::TABINFO_ITEM_HIGHT));
    const QPixmap separatorPicture = QPixmap::fromImage(
        loadPicture(theSettings.getString(TextSetting::SEPARATE_PNG_NAME)));
    auto addSeparator = [&](int x) {
        auto *separator = new QLabel(tabArea);
        separator->setGeometry(x, 0, separatorWidth, tabHeight);
        separator->setScaledContents(true);
        separator->setPixmap(separatorPicture);
        separator->show();
        separators.append(separator);
    };
    for (int i = 0; i < count; ++i) {
        QString name = theSettings.getTabString(TabTextSetting::TAB_ITEM_NAME, i);
        const int pictureSize = pixels(theSettings.getTabInt(TabIntSetting::TAB_ITEM_ICON_WIDTH, i));
        auto *label = new TabQLabel(QRect(separatorWidth + i * (tabWidth + separatorWidth), 0, tabWidth, tabHeight),
                                    theSettings.getColor(ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR),
                                    QRect(0, 0, pictureSize, pictureSize),
                                    theSettings.getTabString(TabTextSetting::TAB_ITEM_ICON_PNG_FILE_NAME, i), name,
                                    theSettings.getFont(FontSetting::TAB_NAME_FONT),
                                    theSettings.getColor(ColourSetting::THEME_TAB_ITEM_PEN_COLOR));
        if (i == 0)
            addSeparator(separatorWidth);
        addSeparator((i + 1) * (tabWidth + separatorWidth));
        if (i == count - 1)
            addSeparator((i + 1) * (tabWidth + separatorWidth));
        label->setAttribute(Qt::WA_MouseTracking);
        connect(label, &TabQLabel::activated, this, [this, label] { chooseTab(label); });
        label->setParent(tabArea);
        label->show();
        // Tabs are found by their place in the list; an identifier that names no place
        // would send a click nowhere.
        const int id = theSettings.getTabInt(TabIntSetting::TAB_ITEM_ID, i) - 1;
        label->tabIndex = id >= 0 && id < count ? id : i;
        label->kind = ActionKind::Tab;
        auto *entry = new TabEntry;
        entry->tabLabel = label;
        tabs.append(entry);
    }
    tabArea->show();
    hideSubTabLabels();
}

void lumbra::hideSubTabLabels()
{
    const int subTabs = std::min<int>(subTabCount(), tabs.size());
    for (int i = tabs.size() - subTabs; i < tabs.size(); ++i)
        tabs.at(i)->tabLabel->hide();
    for (int i = std::max<int>(0, separators.size() - subTabs - 1); i < separators.size(); ++i)
        separators.at(i)->hide();
}

int lumbra::topLevelTabCount() const
{
    return std::max(0, int(tabs.size()) - std::min<int>(subTabCount(), tabs.size()));
}

DragIconPage *lumbra::buildTabPage(int t)
{
    auto *page = new DragIconPage;
    page->setParent(this);
    page->setScaledContents(true);
    page->setGeometry(0, tabAreaHeight(), screenWidth(), screenHeight() - tabAreaHeight());
    connect(page, &DragIconPage::applicationDropped, this, &lumbra::applicationDropped);
    TabEntry *entry = tabs.at(t);
    const int positions = shownPlaces(t);
    if (positions < theSettings.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t))
        printDiagnostic(QStringLiteral("tab %1 lists %2 icons; only the first %3 places are shown")
                            .arg(t + 1)
                            .arg(theSettings.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t))
                            .arg(kMaxPlacesPerTab));
    for (int part = 0; part < positions; ++part) {
        if (theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, part) < 0) {
            printDiagnostic(QStringLiteral("tab %1: its icon list names icon %2, which does not exist; left out")
                                .arg(t + 1)
                                .arg(iconNumbersOf(theSettings.tabs.at(t).TAB_ITEM_ALL_ICONS).value(part)));
            continue;
        }
        APIconQLabel *icon = makeIcon(t, part, int(entry->icons.size()));
        icon->setParent(page);
        icon->setVisible(icon->position < iconsPerPage());
        entry->icons.append(icon);
    }
    page->hide();
    entry->page = page;
    checkTargets(t);
    return page;
}

APIconQLabel *lumbra::makeIcon(int t, int part, int position)
{
    const QPoint cell = cellOf(position);
    auto *icon = new APIconQLabel(cell.x(), cell.y(), pixels(theSettings.getInt(IntSetting::ICON_HEIGHT)),
                                  pixels(theSettings.getInt(IntSetting::ICON_WIDTH)),
                                  theSettings.getTabIconString(TabIconTextSetting::ICON_AP_PNG_FILE_NAME, t, part),
                                  theSettings.getString(TextSetting::MASK_PNG_NAME),
                                  theSettings.getFont(FontSetting::ICON_AP_NAME_FONT),
                                  theSettings.getTabIconString(TabIconTextSetting::ICON_AP_NAME, t, part),
                                  theSettings.getInt(IntSetting::ICON_AP_NAME_X_POSITION),
                                  theSettings.getInt(IntSetting::ICON_AP_NAME_Y_POSITION),
                                  theSettings.getColor(ColourSetting::THEME_ICON_AP_NAME_COLOR), part, t + 1,
                                  theSettings.getTabIconInt(TabIconIntSetting::ICON_IS_DEFAULT_APP, t, part));
    icon->kind = theSettings.getTabIconInt(TabIconIntSetting::ICON_DATA_TYPE, t, part);
    icon->exeLocation = theSettings.getTabIconString(TabIconTextSetting::ICON_AP_EXE_LOCATION, t, part);
    icon->arguments.append(QString());
    icon->position = position;
    icon->setScaledContents(true);
    icon->setAttribute(Qt::WA_MouseTracking);
    connect(icon, &APIconQLabel::activated, this, [this, icon] { dispatchAction(icon, nullptr, nullptr); });
    connect(icon, &APIconQLabel::hovered, this, [this, icon](bool entered) { iconHovered(icon, entered); });
    return icon;
}

// A tab chosen before the page-build timer ran gets its page at once.
DragIconPage *lumbra::pageOf(int t)
{
    if (t < 0 || t >= tabs.size())
        return nullptr;
    if (!tabs.at(t)->page)
        buildTabPage(t);
    return tabs.at(t)->page;
}

void lumbra::showFirstPage()
{
    if (tabs.isEmpty()) {
        showWindow();
        return;
    }
    DragIconPage *page = pageOf(0);
    tabs.at(0)->tabLabel->paintSelected();
    page->show();
    if (APIconQLabel *icon = iconAt(0, 0))
        highlight(icon);
    reporter->tabShown(tabs.at(0)->tabLabel->accessibleName());
    showPictureAfterFirstFrame(page);
    updatePagingButtons(0);
    showWindow();
}

void lumbra::showWindow()
{
    setVisible(true);
    activateWindow();
    showNormal();
}

void lumbra::timerStart_slot()
{
    pageBuildTimer.stop();
    {
        WaitCursor wait;
        for (int t = 1; t < tabs.size(); ++t)
            pageOf(t);
    }
    markAllBuilt();
}

// A page or theme image that does not exist leaves the page empty. The picture is kept at
// the page's own size: the label then draws it as it is, instead of keeping a scaled copy
// beside the decoded original.
void lumbra::showPagePicture(int t)
{
    DragIconPage *page = t >= 0 && t < tabs.size() ? tabs.at(t)->page : nullptr;
    if (!page)
        return;
    // CURRENT_THEME may be the lowest int: no theme, rather than an overflow.
    const int current = theSettings.getInt(IntSetting::CURRENT_THEME);
    const int theme = current > 0 ? current - 1 : -1;
    const QString path = theSettings.getThemeImagePath(ThemeSetting::IMAGE_FILE_PATH, theme, t);
    QImage picture;
    if (path != QLatin1String("NULL") && isPictureFile(path))
        picture.load(path);
    const QSize size(screenWidth(), screenHeight() - tabAreaHeight());
    if (!picture.isNull() && picture.size() != size && !size.isEmpty())
        picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    page->setPixmap(QPixmap::fromImage(std::move(picture)));
}

void lumbra::switchToTab(int t)
{
    DragIconPage *shown = pageOf(t);
    if (!shown)
        return;
    for (int i = 0; i < tabs.size(); ++i) {
        DragIconPage *page = tabs.at(i)->page;
        if (i == t || !page)
            continue;
        // Only the page on the screen keeps its picture in memory.
        page->setPixmap(QPixmap());
        page->hide();
    }
    updateBackTitleBar(t);
    resetIconHighlight(t);
    showPagePicture(t);
    shown->setGeometry(0, tabAreaHeight(), screenWidth(), screenHeight() - tabAreaHeight());
    shown->show();
    updatePagingButtons(t);
    checkTargets(t);
    placeUndoBar();
}

void lumbra::updatePagingButtons(int t)
{
    const int count = int(tabs.at(t)->icons.size());
    const int perPage = iconsPerPage();
    if (count > perPage) {
        for (IconQLabel *button : {upButton, downButton}) {
            button->setParent(tabs.at(t)->page);
            button->show();
            button->raise();
        }
        showIconRange(t, 0, perPage - 1);
    } else {
        upButton->hide();
        downButton->hide();
        showIconRange(t, 0, count - 1);
    }
}

void lumbra::showIconRange(int t, int first, int last)
{
    for (APIconQLabel *icon : std::as_const(tabs.at(t)->icons))
        icon->setVisible(icon->position >= first && icon->position <= last);
}

void lumbra::updateBackTitleBar(int t)
{
    if (theSettings.getTabInt(TabIntSetting::TAB_ITEM_PARENT, t) != 0) {
        backTitleBar->setParent(tabs.at(t)->page);
        backTitleBar->setGeometry(0, 0, screenWidth(), themeBarHeight());
        backTitleBar->show();
        backTitleBar->raise();
    } else {
        backTitleBar->hide();
        backTitleBar->setParent(nullptr);
    }
}

int lumbra::themeBarHeight()
{
    return pixels(theSettings.getThemeInt(ThemeIntSetting::BACKTITLEBAR_PNG_HEIGHT));
}

void lumbra::resetIconHighlight(int t)
{
    const QList<APIconQLabel *> &icons = tabs.at(t)->icons;
    if (icons.isEmpty())
        return;
    for (APIconQLabel *icon : icons)
        icon->refreshFace(true);
    highlight(icons.first());
    selectedIcon = previousSelectedIcon = 0;
}

APIconQLabel *lumbra::iconAt(int t, int position) const
{
    if (t < 0 || t >= tabs.size())
        return nullptr;
    const QList<APIconQLabel *> &icons = tabs.at(t)->icons;
    return position >= 0 && position < icons.size() ? icons.at(position) : nullptr;
}

// The mask goes under the normal face, never under an earlier highlight.
void lumbra::highlight(APIconQLabel *icon)
{
    icon->refreshFace(true);
    icon->refreshFace(false);
    reporter->highlighted(icon, icon->name);
}

void lumbra::selectIcon(int position)
{
    APIconQLabel *icon = iconAt(currentTab, position);
    if (!icon)
        return;
    if (APIconQLabel *previous = iconAt(currentTab, selectedIcon))
        previous->refreshFace(true);
    selectedIcon = previousSelectedIcon = position;
    highlight(icon);
    markSelection();
}

void lumbra::chooseTab(TabQLabel *tab)
{
    returnTab = currentTab;
    dispatchAction(nullptr, nullptr, tab);
}

// The pointer selects the icon it comes onto, the way the arrow keys do; the icon paints its
// own highlight.
void lumbra::iconHovered(APIconQLabel *icon, bool entered)
{
    if (!entered) {
        reporter->pointerLeft(icon);
        return;
    }
    previousSelectedIcon = selectedIcon;
    selectedIcon = icon->position;
    if (APIconQLabel *first = iconAt(currentTab, 0))
        first->refreshFace(true);
    if (APIconQLabel *previous = iconAt(currentTab, previousSelectedIcon))
        previous->refreshFace(true);
    reporter->pointerEntered(icon, icon->name);
    markSelection();
}

void lumbra::markSelection()
{
    APIconQLabel *icon = iconAt(currentTab, selectedIcon);
    if (markedIcon != icon) {
        if (markedIcon)
            markedIcon->setSelected(false);
        markedIcon = icon;
        if (icon)
            icon->setSelected(true);
    }
    for (const TabEntry *entry : std::as_const(tabs)) {
        if (entry->tabLabel)
            entry->tabLabel->setSelected(entry->tabLabel->tabIndex == currentTab);
    }
}

void lumbra::showTabLabels(int selected)
{
    for (int i = 0; i < tabs.size(); ++i) {
        if (i == selected)
            tabs.at(i)->tabLabel->paintSelected();
        else
            tabs.at(i)->tabLabel->paintUnselected();
    }
}

void lumbra::tabClicked(TabQLabel *tab)
{
    const int t = tab->tabIndex;
    if (t < 0 || t >= tabs.size())
        return;
    backTitleBar->hide();
    showTabLabels(t);
    currentTab = t;
    switchToTab(t);
    reporter->tabShown(tab->accessibleName());
}

void lumbra::openSubTab(APIconQLabel *icon)
{
    const int iconIndex = theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, currentTab,
                                                    storePartOf(currentTab, icon->position));
    const int subTab = theSettings.getTabInt(TabIntSetting::ICON_SUB_TAB_ID, iconIndex);
    if (subTab < 1 || subTab > tabs.size()) {
        printDiagnostic(QStringLiteral("the folder icon \"%1\" opens tab %2, which does not exist")
                            .arg(icon->name)
                            .arg(subTab));
        return;
    }
    returnTab = currentTab;
    selectedIcon = previousSelectedIcon = 0;
    currentTab = subTab - 1;
    DragIconPage *page = pageOf(currentTab);
    backTitleBar->setParent(page);
    backTitleBar->setGeometry(0, 0, screenWidth(), themeBarHeight());
    backTitleBar->show();
    switchToTab(currentTab);
    reporter->tabShown(tabs.at(currentTab)->tabLabel->accessibleName());
}

void lumbra::goBack()
{
    currentTab = std::clamp(returnTab, 0, std::max(0, int(tabs.size()) - 1));
    if (tabs.isEmpty())
        return;
    backTitleBar->hide();
    showTabLabels(currentTab);
    switchToTab(currentTab);
    reporter->tabShown(tabs.at(currentTab)->tabLabel->accessibleName());
}

void lumbra::pageUp()
{
    const int perPage = iconsPerPage();
    const int page = selectedIcon / perPage;
    if (page < 1)
        return;
    showPage(page - 1);
}

void lumbra::pageDown()
{
    const int perPage = iconsPerPage();
    const int page = selectedIcon / perPage;
    if (currentTab >= tabs.size() || (page + 1) * perPage >= tabs.at(currentTab)->icons.size())
        return;
    showPage(page + 1);
}

void lumbra::showPage(int page)
{
    const int perPage = iconsPerPage();
    showIconRange(currentTab, page * perPage, (page + 1) * perPage - 1);
    selectedIcon = previousSelectedIcon = page * perPage;
    for (APIconQLabel *icon : std::as_const(tabs.at(currentTab)->icons))
        icon->refreshFace(true);
    if (APIconQLabel *icon = iconAt(currentTab, selectedIcon))
        highlight(icon);
}

// Icon labels stand for the valid entries of the tab's list, in order; an entry that names
// no icon has no label.
int lumbra::storePartOf(int t, int position) const
{
    const int parts = shownPlaces(t);
    int seen = -1;
    for (int part = 0; part < parts; ++part) {
        if (theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, part) >= 0 && ++seen == position)
            return part;
    }
    return -1;
}
