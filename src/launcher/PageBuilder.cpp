// A tab's page with its icons, built when it is first asked for, and the places of its icons.

#include "PageBuilder.h"

#include "LauncherGeometry.h"
#include "TabEntry.h"
#include "platform/CodeUnits.h"
#include "platform/Diagnostic.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"

#include <QFont>
#include <QPixmap>
#include <QSet>

namespace {

using G = LauncherGeometry;

// The file name of the program a target starts, to match it with an installed program.
QString programNameOf(const QString &target)
{
    QString path = target;
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
        path = path.mid(1, path.size() - 2);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

PageBuilder::PageBuilder(QWidget *window)
    : QObject(window),
      window(window)
{
}

DragIconPage *PageBuilder::build(int t, TabEntry *entry)
{
    auto *page = new DragIconPage;
    page->setParent(window);
    page->setScaledContents(true);
    page->setGeometry(0, G::tabAreaHeight(), G::screenWidth(), G::screenHeight() - G::tabAreaHeight());
    connect(page, &DragIconPage::applicationDropped, this, &PageBuilder::applicationDropped);
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
        if (!tabPlaces.isLabelled(t, part))
            continue;
        APIconQLabel *icon = makeIcon(t, part, int(entry->icons.size()));
        icon->setParent(page);
        icon->setVisible(icon->position < G::iconsPerPage());
        entry->icons.append(icon);
    }
    page->hide();
    entry->page = page;
    addInstalledIcons(t, entry);
    return page;
}

APIconQLabel *PageBuilder::makeIcon(int t, int part, int position)
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
        theSettings.getTabIconInt(TabIconIntSetting::ICON_IS_DEFAULT_APP, t, part), APIconQLabel::FaceTime::WhenShown);
    tabPlaces.startOf(t, part, &icon->kind, &icon->exeLocation);
    icon->arguments.append(QString());
    icon->position = position;
    connectIcon(icon);
    return icon;
}

// The programs of the tab's category follow its own icons, up to the places a tab shows. A
// program one of its own icons starts already is left out: that icon shows it, in our art.
// Its own icons whose program is not installed have no label (TabPlaces), so what the
// computer has comes first.
void PageBuilder::addInstalledIcons(int t, TabEntry *entry)
{
    const QString category = theSettings.getTabString(TabTextSetting::TAB_ITEM_CATEGORY, t);
    if (category.isEmpty() || category == QLatin1String("NULL"))
        return;
    QSet<QString> shown;
    for (const APIconQLabel *icon : std::as_const(entry->icons))
        shown.insert(programNameOf(icon->exeLocation));
    for (const platform::InstalledProgram &program : programs.ofCategory(category, TabEntry::kMaxPlaces)) {
        if (entry->icons.size() >= TabEntry::kMaxPlaces)
            break;
        if (shown.contains(platform::fromCodeUnits(program.program)))
            continue;
        APIconQLabel *icon = makeInstalledIcon(t, program, int(entry->icons.size()));
        icon->setParent(entry->page);
        icon->setVisible(icon->position < G::iconsPerPage());
        entry->icons.append(icon);
    }
}

APIconQLabel *PageBuilder::makeInstalledIcon(int t, const platform::InstalledProgram &program, int position)
{
    const QPoint cell = G::cellOf(position);
    const QString name = platform::fromCodeUnits(program.name);
    const QString picture = program.picture.empty() ? theSettings.getString(TextSetting::DEFAULT_ICON_PNG_NAME)
                                                    : platform::fromCodeUnits(program.picture);
    auto *icon = new APIconQLabel(
        cell.x(), cell.y(), G::pixels(theSettings.getInt(IntSetting::ICON_HEIGHT)),
        G::pixels(theSettings.getInt(IntSetting::ICON_WIDTH)), picture, theSettings.getString(TextSetting::MASK_PNG_NAME),
        theSettings.getFont(FontSetting::ICON_AP_NAME_FONT), name, theSettings.getInt(IntSetting::ICON_AP_NAME_X_POSITION),
        theSettings.getInt(IntSetting::ICON_AP_NAME_Y_POSITION), theSettings.getColor(ColourSetting::THEME_ICON_AP_NAME_COLOR),
        -1, t + 1, 0, APIconQLabel::FaceTime::WhenShown);
    icon->fitPictureAboveName();
    icon->ownToolTip = name;
    icon->setToolTip(name);
    icon->kind = ActionKind::OpenWithShell;
    icon->exeLocation = platform::fromCodeUnits(program.entry);
    icon->arguments.append(QString());
    icon->position = position;
    connectIcon(icon);
    return icon;
}

void PageBuilder::connectIcon(APIconQLabel *icon)
{
    icon->setScaledContents(true);
    icon->setAttribute(Qt::WA_MouseTracking);
    connect(icon, &APIconQLabel::activated, this, [this, icon] { emit iconActivated(icon); });
    connect(icon, &APIconQLabel::hovered, this, [this, icon](bool entered) { emit iconHovered(icon, entered); });
}

void PageBuilder::insertLabel(TabEntry *entry, APIconQLabel *icon, int position, int pageShown)
{
    QList<APIconQLabel *> &icons = entry->icons;
    icons.insert(position, icon);
    // A label pushed onto the next page leaves the page on the screen, one from the page
    // before comes onto it.
    const int perPage = G::iconsPerPage();
    for (int p = position; p < icons.size(); ++p) {
        APIconQLabel *label = icons.at(p);
        label->position = p;
        const QPoint cell = G::cellOf(p);
        label->moveTo(cell.x(), cell.y());
        if (p > position && p % perPage == 0)
            label->setVisible(p / perPage == pageShown);
    }
}

void PageBuilder::showIconRange(const TabEntry *entry, int first, int last)
{
    for (APIconQLabel *icon : std::as_const(entry->icons))
        icon->setVisible(icon->position >= first && icon->position <= last);
}

void PageBuilder::layOut(const QList<TabEntry *> &tabs)
{
    const int width = G::sizeOf(IntSetting::ICON_WIDTH);
    const int height = G::sizeOf(IntSetting::ICON_HEIGHT);
    const int nameX = G::offset(theSettings.getInt(IntSetting::ICON_AP_NAME_X_POSITION));
    const int nameY = G::offset(theSettings.getInt(IntSetting::ICON_AP_NAME_Y_POSITION));
    const QFont font = G::font(FontSetting::ICON_AP_NAME_FONT);
    for (const TabEntry *entry : tabs) {
        for (APIconQLabel *icon : entry->icons) {
            const QPoint cell = G::cellOf(icon->position);
            icon->moveTo(cell.x(), cell.y());
            icon->resizeCell(width, height, nameX, nameY, font);
        }
    }
}

// A page or theme image that does not exist leaves the page empty. The picture is kept at
// the page's own size: the label then draws it as it is, instead of keeping a scaled copy
// beside the decoded original.
void PageBuilder::showPicture(int t, const TabEntry *entry)
{
    DragIconPage *page = entry ? entry->page : nullptr;
    if (!page)
        return;
    // CURRENT_THEME may be the lowest int: no theme, rather than an overflow.
    const int current = theSettings.getInt(IntSetting::CURRENT_THEME);
    const int theme = current > 0 ? current - 1 : -1;
    const QString path = theSettings.getThemeImagePath(ThemeSetting::IMAGE_FILE_PATH, theme, t);
    const QSize size(G::screenWidth(), G::screenHeight() - G::tabAreaHeight());
    page->setPixmap(path == QLatin1String("NULL") ? QPixmap() : pictures.picture(path, theme, size));
}
