// Building the tab strip and the pages with their icons: the first page at once, the others
// 100 ms after the window is shown.

#include "lumbra.h"

#include "DropQueue.h"
#include "HighlightReporter.h"
#include "InstalledPrograms.h"
#include "LauncherGeometry.h"
#include "MissingPrograms.h"
#include "PagePictures.h"
#include "TabEntry.h"
#include "TitleBar.h"
#include "WaitCursor.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/FaceRecipes.h"
#include "widgets/TabQLabel.h"

#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QSet>

#include <algorithm>
#include <functional>

namespace {

using G = LauncherGeometry;

TabTree tabTreeOfSettings()
{
    QList<int> parents;
    for (int t = 0; t < theSettings.getInt(IntSetting::TAB_COUNT); ++t)
        parents.append(theSettings.getTabInt(TabIntSetting::TAB_ITEM_PARENT, t));
    return TabTree(parents);
}

// When the benchmark asks for them, the moments the first frame is painted and every page
// is built are written to stderr.
void benchMarker(const char *moment)
{
    static const bool wanted = [] {
        for (const std::u16string &entry : platform::system().environmentStrings()) {
            if (entry.rfind(u"LUMBRA_BENCH_MARKERS=", 0) == 0)
                return true;
        }
        return false;
    }();
    if (wanted)
        printDiagnostic(moment);
}

// Runs a task once the widget's first frame has been painted and flushed to the screen,
// which happens right after its first paint event, in the same pass of the event loop.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *widget, std::function<void()> task)
        : QObject(widget),
          task(std::move(task))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, std::move(task));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> task;
};

// The first page shows its icons on the theme's page colour at once and gets its picture
// right after: decoding a screen-sized picture would double the time to the first frame.
void showPictureAfterFirstFrame(QWidget *page, std::function<void()> showPicture)
{
    const QColor colour = theSettings.getColor(ColourSetting::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR);
    if (colour.isValid()) {
        QPalette palette = page->palette();
        palette.setColor(QPalette::Window, colour);
        page->setPalette(palette);
        page->setAutoFillBackground(true);
    }
    new AfterFirstPaint(page, [showPicture = std::move(showPicture)] {
        benchMarker("first-frame");
        showPicture();
    });
}

// The file name of the program a target starts, to match it with an installed program.
QString programNameOf(const QString &target)
{
    QString path = target;
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
        path = path.mid(1, path.size() - 2);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

void lumbra::buildTabStrip()
{
    const int count = theSettings.getInt(IntSetting::TAB_COUNT);
    printDiagnostic(QStringLiteral("tabCount  %1").arg(count));
    tree = tabTreeOfSettings();
    for (const QString &problem : tree.problems())
        printDiagnostic(problem);
    const int separatorWidth = G::themeInt(ThemeIntSetting::SEPARATE_PNG_WIDTH);
    const int tabWidth = G::sizeOf(IntSetting::TABINFO_ITEM_WIDTH);
    const int tabHeight = G::sizeOf(IntSetting::TABINFO_ITEM_HIGHT);
    const QPixmap separatorPicture = QPixmap::fromImage(
        loadPicture(theSettings.getString(TextSetting::SEPARATE_PNG_NAME)));
    QLabel *tabArea = bar->tabArea();
    auto addSeparator = [&](int x) {
        auto *separator = new QLabel(tabArea);
        separator->setGeometry(x, 0, separatorWidth, tabHeight);
        separator->setScaledContents(true);
        separator->setPixmap(separatorPicture);
        separator->show();
        separators.append(separator);
        return separator;
    };
    // Folders have no label in the strip: the tabs of the strip stand side by side, a
    // separator after each, wherever the folders lie in the list.
    int place = 0;
    for (int i = 0; i < count; ++i) {
        QString name = theSettings.getTabString(TabTextSetting::TAB_ITEM_NAME, i);
        const int pictureSize = G::scaled(theSettings.getTabInt(TabIntSetting::TAB_ITEM_ICON_WIDTH, i));
        auto *label = new TabQLabel(QRect(separatorWidth + place * (tabWidth + separatorWidth), 0, tabWidth, tabHeight),
                                    theSettings.getColor(ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR),
                                    QRect(0, 0, pictureSize, pictureSize),
                                    theSettings.getTabString(TabTextSetting::TAB_ITEM_ICON_PNG_FILE_NAME, i), name,
                                    G::font(FontSetting::TAB_NAME_FONT),
                                    theSettings.getColor(ColourSetting::THEME_TAB_ITEM_PEN_COLOR));
        if (i == 0)
            addSeparator(separatorWidth);
        addSeparator((place + 1) * (tabWidth + separatorWidth));
        if (tree.isSubTab(i))
            separators.last()->hide();
        else
            ++place;
        // The trailing separator lies under the last one and is never shown.
        if (i == count - 1)
            addSeparator(place * (tabWidth + separatorWidth))->hide();
        label->setAttribute(Qt::WA_MouseTracking);
        connect(label, &TabQLabel::activated, this, [this, label] { chooseTab(label); });
        label->setParent(tabArea);
        label->setVisible(!tree.isSubTab(i));
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
    // The strip fits the screen: labels that would run under the title-bar buttons shrink.
    placeTabStrip();
}

int lumbra::topLevelTabCount() const
{
    return int(tree.stripTabs().size());
}

// A tab's page is built when it is first asked for: a tab chosen before the page-build timer
// ran gets its page at once.
DragIconPage *lumbra::pageOf(int t)
{
    if (t < 0 || t >= tabs.size())
        return nullptr;
    TabEntry *entry = tabs.at(t);
    if (entry->page)
        return entry->page;
    auto *page = new DragIconPage;
    page->setParent(this);
    page->setScaledContents(true);
    page->setGeometry(0, G::tabAreaHeight(), G::screenWidth(), G::screenHeight() - G::tabAreaHeight());
    connect(page, &DragIconPage::applicationDropped, drops, &DropQueue::add);
    const int positions = TabEntry::shownPlaces(t);
    const int listed = theSettings.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t);
    if (positions < listed)
        printDiagnostic(QStringLiteral("tab %1 lists %2 icons; only the first %3 places are shown")
                            .arg(t + 1)
                            .arg(listed)
                            .arg(TabEntry::kMaxPlaces));
    for (int part = 0; part < positions; ++part) {
        if (theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, part) < 0) {
            printDiagnostic(QStringLiteral("tab %1: its icon list names icon %2, which does not exist; left out")
                                .arg(t + 1)
                                .arg(iconNumbersOf(theSettings.tabs.at(t).TAB_ITEM_ALL_ICONS).value(part)));
            continue;
        }
        APIconQLabel *icon = makeIcon(t, part, int(entry->icons.size()));
        icon->setParent(page);
        icon->setVisible(icon->position < G::iconsPerPage());
        entry->icons.append(icon);
    }
    page->hide();
    entry->page = page;
    addInstalledIcons(t);
    checkTargets(t);
    return page;
}

APIconQLabel *lumbra::makeIcon(int t, int part, int position)
{
    using namespace TabIconTextSetting;
    const QPoint cell = G::cellOf(position);
    auto *icon = new APIconQLabel(
        cell.x(), cell.y(), G::sizeOf(IntSetting::ICON_HEIGHT), G::sizeOf(IntSetting::ICON_WIDTH),
        theSettings.getTabIconString(ICON_AP_PNG_FILE_NAME, t, part), theSettings.getString(TextSetting::MASK_PNG_NAME),
        G::font(FontSetting::ICON_AP_NAME_FONT), theSettings.getTabIconString(ICON_AP_NAME, t, part),
        G::offset(theSettings.getInt(IntSetting::ICON_AP_NAME_X_POSITION)),
        G::offset(theSettings.getInt(IntSetting::ICON_AP_NAME_Y_POSITION)),
        theSettings.getColor(ColourSetting::THEME_ICON_AP_NAME_COLOR), part, t + 1,
        theSettings.getTabIconInt(TabIconIntSetting::ICON_IS_DEFAULT_APP, t, part));
    icon->kind = theSettings.getTabIconInt(TabIconIntSetting::ICON_DATA_TYPE, t, part);
    icon->exeLocation = theSettings.getTabIconString(ICON_AP_EXE_LOCATION, t, part);
    // Programs and documents may name a role; what this computer has for it is started.
    if (icon->kind == ActionKind::StartProgram || icon->kind == ActionKind::OpenWithShell)
        programs->startFor(theSettings.getTabIconString(ICON_AP_ROLE, t, part), &icon->kind, &icon->exeLocation);
    icon->arguments.append(QString());
    icon->position = position;
    icon->setScaledContents(true);
    icon->setAttribute(Qt::WA_MouseTracking);
    connect(icon, &APIconQLabel::activated, this, [this, icon] { dispatchAction(icon, nullptr, nullptr); });
    connect(icon, &APIconQLabel::hovered, this, [this, icon](bool entered) { iconHovered(icon, entered); });
    return icon;
}

// The programs of the tab's category follow its own icons, up to the places a tab shows. A
// program one of its own icons starts already is left out: that icon shows it, in our art.
void lumbra::addInstalledIcons(int t)
{
    const QString category = theSettings.getTabString(TabTextSetting::TAB_ITEM_CATEGORY, t);
    if (category.isEmpty() || category == QLatin1String("NULL"))
        return;
    TabEntry *entry = tabs.at(t);
    QSet<QString> shown;
    for (const APIconQLabel *icon : std::as_const(entry->icons))
        shown.insert(programNameOf(icon->exeLocation));
    for (const platform::InstalledProgram &program : programs->ofCategory(category, TabEntry::kMaxPlaces)) {
        if (entry->icons.size() >= TabEntry::kMaxPlaces)
            break;
        if (shown.contains(QString::fromStdU16String(program.program)))
            continue;
        APIconQLabel *icon = makeInstalledIcon(t, program, int(entry->icons.size()));
        icon->setParent(entry->page);
        icon->setVisible(icon->position < G::iconsPerPage());
        entry->icons.append(icon);
        ++entry->installed;
    }
}

APIconQLabel *lumbra::makeInstalledIcon(int t, const platform::InstalledProgram &program, int position)
{
    const QPoint cell = G::cellOf(position);
    const QString name = QString::fromStdU16String(program.name);
    const QString picture = program.picture.empty() ? theSettings.getString(TextSetting::DEFAULT_ICON_PNG_NAME)
                                                    : QString::fromStdU16String(program.picture);
    auto *icon = new APIconQLabel(
        cell.x(), cell.y(), G::pixels(theSettings.getInt(IntSetting::ICON_HEIGHT)),
        G::pixels(theSettings.getInt(IntSetting::ICON_WIDTH)), picture, theSettings.getString(TextSetting::MASK_PNG_NAME),
        theSettings.getFont(FontSetting::ICON_AP_NAME_FONT), name, theSettings.getInt(IntSetting::ICON_AP_NAME_X_POSITION),
        theSettings.getInt(IntSetting::ICON_AP_NAME_Y_POSITION), theSettings.getColor(ColourSetting::THEME_ICON_AP_NAME_COLOR),
        -1, t + 1, 0);
    icon->fitPictureAboveName();
    icon->ownToolTip = name;
    icon->setToolTip(name);
    icon->kind = ActionKind::OpenWithShell;
    icon->exeLocation = QString::fromStdU16String(program.entry);
    icon->arguments.append(QString());
    icon->position = position;
    icon->setScaledContents(true);
    icon->setAttribute(Qt::WA_MouseTracking);
    connect(icon, &APIconQLabel::activated, this, [this, icon] { dispatchAction(icon, nullptr, nullptr); });
    connect(icon, &APIconQLabel::hovered, this, [this, icon](bool entered) { iconHovered(icon, entered); });
    return icon;
}

void lumbra::showFirstPage()
{
    const auto showWindow = [this] {
        setVisible(true);
        activateWindow();
        showNormal();
    };
    if (tabs.isEmpty())
        return showWindow();
    // The first tab of the strip: a folder first in the list is no place to start from.
    const int first = tree.stripTabs().value(0, 0);
    selection.currentTab = selection.returnTab = first;
    DragIconPage *page = pageOf(first);
    tabs.at(first)->tabLabel->paintSelected();
    page->show();
    if (APIconQLabel *icon = iconAt(first, 0))
        highlight(icon);
    reporter->tabShown(tabs.at(first)->tabLabel->accessibleName());
    showPictureAfterFirstFrame(page, [this] { showPagePicture(selection.currentTab); });
    showPagingButtons(first, true);
    showWindow();
}

void lumbra::timerStart_slot()
{
    pageBuildTimer.stop();
    {
        WaitCursor wait;
        for (int t = 0; t < tabs.size(); ++t)
            pageOf(t);
    }
    benchMarker("all-built");
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
    const QSize size(G::screenWidth(), G::screenHeight() - G::tabAreaHeight());
    page->setPixmap(path == QLatin1String("NULL") ? QPixmap() : pagePictures->picture(path, theme, size));
}

// Dims the icons of tab t whose program or document is not on this computer, and shows again
// those that have come back.
void lumbra::checkTargets(int t)
{
    // A missing icon under the highlight is drawn highlighted again.
    markSelection();
    if (t >= 0 && t < tabs.size())
        missing->check(tabs.at(t)->icons);
}
