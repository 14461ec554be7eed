#include "UndoOffer.h"

#include "LauncherGeometry.h"
#include "lumbra.h"
#include "platform/Diagnostic.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/UndoBar.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

constexpr int kOfferMilliseconds = 10000;
constexpr int kBarMargin = 16;
constexpr int kMinimumTextPixels = 24;
// A font size from the settings beyond this would push the bar off the screen.
constexpr int kMaximumTextPixels = 72;

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

UndoOffer::UndoOffer(lumbra *launcher)
    : QObject(launcher),
      launcher(launcher)
{
}

void UndoOffer::offer(const RemovalOffer &offered)
{
    removal = offered;
    if (!undoBar) {
        undoBar = new UndoBar(launcher);
        connect(undoBar, &UndoBar::undoClicked, this, &UndoOffer::undo);
    }
    undoBar->offer(removedMessage(removal.name, LauncherGeometry::screenWidth()),
                   theSettings.getString(TextSetting::DIALOG_UNDO), barFont(), kOfferMilliseconds);
    place();
}

void UndoOffer::place()
{
    if (!undoBar)
        return;
    using G = LauncherGeometry;
    const int height = std::min(undoBar->preferredHeight(), std::max(0, G::screenHeight() - G::tabAreaHeight()));
    undoBar->setGeometry(kBarMargin, G::screenHeight() - height - kBarMargin,
                         std::max(0, G::screenWidth() - 2 * kBarMargin), height);
    undoBar->raise();
}

bool UndoOffer::undo()
{
    if (!undoBar || !undoBar->isOffering())
        return false;
    const RemovalOffer offered = removal;
    undoBar->withdraw();
    const int t = offered.tab;
    if (t < 0 || t >= launcher->tabCount() || t >= theSettings.tabs.size())
        return false;
    QString &list = theSettings.tabs[t].TAB_ITEM_ALL_ICONS;
    const QString listNow = list;
    int part = 0;
    list = offered.restoredList(listNow, &part);
    if (!saveAllSettings(theSettings)) {
        list = listNow;
        printDiagnostic(QStringLiteral("putting the icon \"%1\" back could not be stored").arg(offered.name));
        launcher->tellNotSaved(
            tr("\"%1\" could not be put back: Lumbra could not save its settings.").arg(offered.name));
        return false;
    }
    emit restored(offered, part);
    return true;
}
