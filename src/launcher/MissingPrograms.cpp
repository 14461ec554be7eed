#include "MissingPrograms.h"

#include "LauncherGeometry.h"
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

MissingPrograms::MissingPrograms(QObject *parent)
    : QObject(parent)
{
}

NoticeBubble *MissingPrograms::notice() const
{
    return bubble;
}

void MissingPrograms::check(const QList<APIconQLabel *> &icons)
{
    TargetCheck::markIcons(icons);
}

bool MissingPrograms::tellIfMissing(APIconQLabel *icon)
{
    TargetCheck::markIcons({icon});
    if (!icon->missing)
        return false;
    printDiagnostic(QStringLiteral("\"%1\" is not installed: %2").arg(icon->name, icon->exeLocation));
    delete bubble;
    QFont font = theSettings.getFont(FontSetting::SYSTEM_STRING_FONT);
    font.setPixelSize(std::clamp(font.pixelSize(), kMinimumTextPixels, kMaximumTextPixels));
    const QPoint cell = LauncherGeometry::cellOf(icon->position);
    bubble = new NoticeBubble(icon, QRect(cell, QSize(icon->iconWidth, icon->iconHeight)),
                              theSettings.getString(TextSetting::DIALOG_NOT_INSTALLED), font, kNoticeMilliseconds);
    return true;
}
