#include "TargetCheck.h"

#include "lumbra.h"
#include "platform/Platform.h"
#include "platform/TargetAddress.h"
#include "platform/TargetLookup.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"

// A document is looked for where the shell would open it: in the folder its own path names,
// as the launcher hands it over.
int TargetCheck::startKind(int kind, const QString &target)
{
    return kind == ActionKind::StartProgram && platform::isAddress(target.toStdU16String()) ? int(ActionKind::OpenWithShell) : kind;
}

bool TargetCheck::isMissing(int kind, const QString &target)
{
    kind = startKind(kind, target);
    if (kind == ActionKind::StartProgram)
        return !platform::targets().programExists(target.toStdU16String());
    if (kind == ActionKind::OpenWithShell) {
        const QString directory = u'"' + lumbra::workingDirectoryOf(target) + u'"';
        return !platform::targets().documentExists(target.toStdU16String(), directory.toStdU16String());
    }
    return false;
}

void TargetCheck::markIcons(const QList<APIconQLabel *> &icons)
{
    const QString notice = theSettings.getString(TextSetting::DIALOG_NOT_INSTALLED);
    for (APIconQLabel *icon : icons) {
        if (icon)
            icon->setMissing(isMissing(icon->kind, icon->exeLocation), notice);
    }
}
