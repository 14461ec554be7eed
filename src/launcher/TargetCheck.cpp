#include "TargetCheck.h"

#include "lumbra.h"
#include "platform/Platform.h"
#include "platform/TargetAddress.h"
#include "platform/TargetLookup.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"

namespace {

constexpr int kStartProgram = 1;
constexpr int kOpenWithShell = 3;
constexpr int kNotInstalledText = 1436;

} // namespace

// A document is looked for where the shell would open it: in the folder its own path names,
// as the launcher hands it over.
int TargetCheck::startKind(int kind, const QString &target)
{
    return kind == kStartProgram && platform::isAddress(target.toStdU16String()) ? kOpenWithShell : kind;
}

bool TargetCheck::isMissing(int kind, const QString &target)
{
    kind = startKind(kind, target);
    if (kind == kStartProgram)
        return !platform::targets().programExists(target.toStdU16String());
    if (kind == kOpenWithShell) {
        const QString directory = u'"' + lumbra::workingDirectoryOf(target) + u'"';
        return !platform::targets().documentExists(target.toStdU16String(), directory.toStdU16String());
    }
    return false;
}

void TargetCheck::markIcons(const QList<APIconQLabel *> &icons)
{
    const QString notice = theSettings.getString(kNotInstalledText);
    for (APIconQLabel *icon : icons) {
        if (icon)
            icon->setMissing(isMissing(icon->kind, icon->exeLocation), notice);
    }
}
