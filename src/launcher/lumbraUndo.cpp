// Taking back a Delete: the bar that offers it and putting the icon back where it was.

#include "lumbra.h"

#include "TabEntry.h"
#include "TargetCheck.h"
#include "platform/Diagnostic.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/TabQLabel.h"
#include "widgets/UndoBar.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int kOfferMilliseconds = 10000;
constexpr int kBarMargin = 16;
constexpr int kMinimumTextPixels = 24;
// A font size from the settings beyond this would push the bar off the screen.
constexpr int kMaximumTextPixels = 72;

QStringList entriesOf(const QString &list)
{
    return list.isEmpty() ? QStringList() : list.split(u'.', Qt::KeepEmptyParts);
}

// The list as it was before the removal when nothing has changed it since; else the entry
// goes back at its old place among what the list holds now (at its end when the list has
// become shorter). `part` answers where it went.
QString restoredList(const QString &now, const RemovalOffer &offer, int *part)
{
    if (now == offer.listAfter) {
        *part = offer.part;
        return offer.listBefore;
    }
    QStringList entries = entriesOf(now);
    *part = std::clamp(offer.part, 0, int(entries.size()));
    entries.insert(*part, offer.entry);
    return entries.join(u'.');
}

// Large enough for older eyes whatever the system font size says.
QFont barFont()
{
    QFont font = theSettings.getFont(FontSetting::SYSTEM_STRING_FONT);
    font.setPixelSize(std::clamp(font.pixelSize(), kMinimumTextPixels, kMaximumTextPixels));
    return font;
}

// A name of any length leaves room for the rest of the sentence and the button.
QString removedMessage(const QString &name, int barWidth)
{
    const QString text = theSettings.getString(TextSetting::DIALOG_ICON_REMOVED);
    if (!text.contains(QLatin1String("%1")))
        return text;
    const int room = std::max(kMinimumTextPixels * 4, barWidth / 3);
    return text.arg(QFontMetrics(barFont()).elidedText(name, Qt::ElideMiddle, room));
}

} // namespace

void lumbra::offerUndo(const RemovalOffer &offer)
{
    removalOffer = offer;
    if (!undoBar) {
        undoBar = new UndoBar(this);
        connect(undoBar, &UndoBar::undoClicked, this, [this] { undoRemoval(); });
    }
    undoBar->offer(removedMessage(offer.name, screenWidth()), theSettings.getString(TextSetting::DIALOG_UNDO),
                   barFont(), kOfferMilliseconds);
    placeUndoBar();
}

void lumbra::placeUndoBar()
{
    if (!undoBar)
        return;
    const int height = std::min(undoBar->preferredHeight(), std::max(0, screenHeight() - tabAreaHeight()));
    undoBar->setGeometry(kBarMargin, screenHeight() - height - kBarMargin, std::max(0, screenWidth() - 2 * kBarMargin),
                         height);
    undoBar->raise();
}

bool lumbra::undoRemoval()
{
    if (!undoBar || !undoBar->isOffering())
        return false;
    const RemovalOffer offer = removalOffer;
    undoBar->withdraw();
    const int t = offer.tab;
    if (t < 0 || t >= tabs.size() || t >= theSettings.tabs.size())
        return false;
    QString &list = theSettings.tabs[t].TAB_ITEM_ALL_ICONS;
    const QString listNow = list;
    int part = 0;
    list = restoredList(listNow, offer, &part);
    if (!saveAllSettings(theSettings)) {
        list = listNow;
        printDiagnostic(QStringLiteral("putting the icon \"%1\" back could not be stored").arg(offer.name));
        tellNotSaved(tr("\"%1\" could not be put back: Lumbra could not save its settings.").arg(offer.name));
        return false;
    }
    putBackLabel(offer, part);
    markSelection();
    return true;
}

// Labels stand for the valid entries of the list in order, so the label goes where the
// valid entries before its part end.
void lumbra::putBackLabel(const RemovalOffer &offer, int part)
{
    const int t = offer.tab;
    TabEntry *entry = tabs.at(t);
    if (!entry->page) {
        // A page built from now on is built from the restored list.
        showRestoredIcon(t, 0);
        return;
    }
    int position = 0;
    for (int p = 0; p < part; ++p) {
        if (theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, p) >= 0)
            ++position;
    }
    position = std::min(position, int(entry->icons.size()));
    APIconQLabel *icon = makeIcon(t, part, position);
    icon->setParent(entry->page);
    entry->icons.insert(position, icon);
    for (int p = position; p < entry->icons.size(); ++p) {
        APIconQLabel *label = entry->icons.at(p);
        label->position = p;
        const QPoint cell = cellOf(p);
        label->moveTo(cell.x(), cell.y());
    }
    markSelection();
    TargetCheck::markIcons({icon});
    showRestoredIcon(t, position);
}

// The tab of the icon is shown, at the page that holds it, with the icon highlighted.
void lumbra::showRestoredIcon(int t, int position)
{
    if (t != currentTab) {
        if (t < topLevelTabCount()) {
            backTitleBar->hide();
            showTabLabels(t);
        }
        currentTab = t;
        switchToTab(t);
    }
    const QList<APIconQLabel *> &icons = tabs.at(t)->icons;
    if (position < 0 || position >= icons.size())
        return;
    const int perPage = iconsPerPage();
    const int page = position / perPage;
    showIconRange(t, page * perPage, (page + 1) * perPage - 1);
    for (APIconQLabel *icon : icons)
        icon->refreshFace(true);
    selectedIcon = previousSelectedIcon = position;
    highlight(icons.at(position));
    refreshPagingButtons();
}
