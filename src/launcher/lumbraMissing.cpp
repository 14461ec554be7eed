// Programs and documents that are not on this computer: marked on their pages, and said in
// a bubble when they are clicked.

#include "lumbra.h"

#include "TabEntry.h"
#include "TargetCheck.h"
#include "platform/Diagnostic.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/NoticeBubble.h"

#include <algorithm>

namespace {

constexpr int kNoticeMilliseconds = 6000;
constexpr int kMinimumTextPixels = 24;
// A font size from the settings beyond this would make a bubble larger than the page.
constexpr int kMaximumTextPixels = 72;

} // namespace

void lumbra::checkTargets(int t)
{
    // A missing icon under the highlight is drawn highlighted again.
    markSelection();
    if (t >= 0 && t < tabs.size())
        TargetCheck::markIcons(tabs.at(t)->icons);
}

// Looked up again at the click: a program installed since the page was shown starts at once.
bool lumbra::tellIfMissing(APIconQLabel *icon)
{
    TargetCheck::markIcons({icon});
    if (!icon->missing)
        return false;
    printDiagnostic(QStringLiteral("\"%1\" is not installed: %2").arg(icon->name, icon->exeLocation));
    delete notInstalledNotice;
    QFont font = theSettings.getFont(FontSetting::SYSTEM_STRING_FONT);
    font.setPixelSize(std::clamp(font.pixelSize(), kMinimumTextPixels, kMaximumTextPixels));
    const QPoint cell = cellOf(icon->position);
    notInstalledNotice = new NoticeBubble(icon, QRect(cell, QSize(icon->iconWidth, icon->iconHeight)),
                                          theSettings.getString(TextSetting::DIALOG_NOT_INSTALLED), font,
                                          kNoticeMilliseconds);
    return true;
}

void lumbra::onLauncherShownAgain()
{
    checkTargets(currentTab);
}
