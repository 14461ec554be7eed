// The tab strip: its labels and separators built from the settings and placed for the screen
// of now, after it is built and after every change of the display.

#include "TabStrip.h"

#include "LauncherGeometry.h"
#include "TabEntry.h"
#include "TabStripLayout.h"
#include "TitleBarLayout.h"
#include "platform/Diagnostic.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/FaceRecipes.h"
#include "widgets/TabQLabel.h"

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace {

using G = LauncherGeometry;

TabTree tabTreeOfSettings()
{
    QList<int> parents;
    for (int t = 0; t < theSettings.getInt(IntSetting::TAB_COUNT); ++t)
        parents.append(theSettings.getTabInt(TabIntSetting::TAB_ITEM_PARENT, t));
    return TabTree(parents);
}

} // namespace

TabStrip::TabStrip(QObject *parent)
    : QObject(parent)
{
}

void TabStrip::build(QLabel *tabArea, QList<TabEntry *> &tabs)
{
    const int count = theSettings.getInt(IntSetting::TAB_COUNT);
    printDiagnostic(QStringLiteral("tabCount  %1").arg(count));
    tabTree = tabTreeOfSettings();
    for (const QString &problem : tabTree.problems())
        printDiagnostic(problem);
    const int separatorWidth = G::themeInt(ThemeIntSetting::SEPARATE_PNG_WIDTH);
    const int tabWidth = G::sizeOf(IntSetting::TABINFO_ITEM_WIDTH);
    const int tabHeight = G::sizeOf(IntSetting::TABINFO_ITEM_HIGHT);
    const QPixmap separatorPicture = QPixmap::fromImage(
        loadPicture(theSettings.getString(TextSetting::SEPARATE_PNG_NAME)));
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
    int column = 0;
    for (int i = 0; i < count; ++i) {
        QString name = theSettings.getTabString(TabTextSetting::TAB_ITEM_NAME, i);
        const int pictureSize = G::scaled(theSettings.getTabInt(TabIntSetting::TAB_ITEM_ICON_WIDTH, i));
        auto *label = new TabQLabel(QRect(separatorWidth + column * (tabWidth + separatorWidth), 0, tabWidth, tabHeight),
                                    theSettings.getColor(ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR),
                                    QRect(0, 0, pictureSize, pictureSize),
                                    theSettings.getTabString(TabTextSetting::TAB_ITEM_ICON_PNG_FILE_NAME, i), name,
                                    G::font(FontSetting::TAB_NAME_FONT),
                                    theSettings.getColor(ColourSetting::THEME_TAB_ITEM_PEN_COLOR));
        if (i == 0)
            addSeparator(separatorWidth);
        addSeparator((column + 1) * (tabWidth + separatorWidth));
        if (tabTree.isSubTab(i))
            separators.last()->hide();
        else
            ++column;
        // The trailing separator lies under the last one and is never shown.
        if (i == count - 1)
            addSeparator(column * (tabWidth + separatorWidth))->hide();
        label->setAttribute(Qt::WA_MouseTracking);
        connect(label, &TabQLabel::activated, this, [this, label] { emit chosen(label); });
        label->setParent(tabArea);
        label->setVisible(!tabTree.isSubTab(i));
        // Tabs are found by their place in the list; an identifier that names no place
        // would send a click nowhere.
        const int id = theSettings.getTabInt(TabIntSetting::TAB_ITEM_ID, i) - 1;
        label->tabIndex = id >= 0 && id < count ? id : i;
        label->kind = ActionKind::Tab;
        auto *entry = new TabEntry;
        entry->tabLabel = label;
        tabs.append(entry);
    }
    // The strip fits the screen: labels that would run under the title-bar buttons shrink.
    place(tabs);
}

// The labels the strip shows stand side by side, narrower where they would reach the
// title-bar buttons; a separator before the first and after each, the others hidden.
void TabStrip::place(const QList<TabEntry *> &tabs)
{
    QList<int> shown;
    for (int t = 0; t < tabs.size(); ++t) {
        if (!tabs.at(t)->tabLabel->isHidden())
            shown.append(t);
    }
    const TabStripLayout strip = TabStripLayout::fitting(
        int(shown.size()), G::themeInt(ThemeIntSetting::SEPARATE_PNG_WIDTH), G::sizeOf(IntSetting::TABINFO_ITEM_WIDTH),
        G::sizeOf(IntSetting::TABINFO_ITEM_HIGHT), TitleBarLayout::current().tabsEnd);
    const QFont font = G::font(FontSetting::TAB_NAME_FONT);
    for (int k = 0; k < shown.size(); ++k) {
        const int pictureSize = G::scaled(theSettings.getTabInt(TabIntSetting::TAB_ITEM_ICON_WIDTH, shown.at(k)));
        tabs.at(shown.at(k))->tabLabel->setPlace(strip.tab(k), strip.picture(pictureSize), font);
    }
    for (int i = 0; i < separators.size(); ++i) {
        QLabel *separator = separators.at(i);
        separator->setVisible(i <= shown.size());
        const int x = i == 0 ? strip.leadingSeparator() : strip.separatorAfter(i - 1);
        separator->setGeometry(x, 0, strip.separatorWidth, strip.tabHeight);
    }
}

void TabStrip::applyTheme()
{
    const QPixmap separator = QPixmap::fromImage(loadPicture(theSettings.getString(TextSetting::SEPARATE_PNG_NAME)));
    for (QLabel *label : std::as_const(separators))
        label->setPixmap(separator);
}
