#include "UndoOffer.h"

#include "LauncherGeometry.h"
#include "lumbra.h"
#include "settings/SettingStore.h"
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
    const int width = std::max(0, G::screenWidth() - 2 * kBarMargin);
    const int height = std::min(undoBar->preferredHeight(width), std::max(0, G::screenHeight() - G::tabAreaHeight()));
    undoBar->setGeometry(kBarMargin, G::screenHeight() - height - kBarMargin, width, height);
    undoBar->raise();
}

bool UndoOffer::undo()
{
    if (!undoBar || !undoBar->isOffering() || !removal.putBack)
        return false;
    const RemovalOffer offered = removal;
    undoBar->withdraw();
    int part = -1;
    const SettingsChange::Outcome outcome = offered.putBack->applyTo(theSettings, &part);
    if (!launcher->afterChange(
            outcome, tr("\"%1\" could not be put back: Lumbra could not save its settings.").arg(offered.name)))
        return false;
    emit restored(offered, part, SettingsChange::redrawNeeded(outcome));
    return true;
}

void UndoOffer::review()
{
    if (undoBar && undoBar->isOffering() && removal.putBack && !removal.putBack->fits(theSettings))
        undoBar->withdraw();
}
