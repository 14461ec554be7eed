#include "TargetCheck.h"

#include "lumbra.h"
#include "platform/Platform.h"
#include "platform/TargetAddress.h"
#include "platform/TargetLookup.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"

namespace {

bool quoted(const QString &text)
{
    return text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"');
}

QString unquoted(const QString &text)
{
    return quoted(text) ? text.mid(1, text.size() - 2) : text;
}

} // namespace

// Targets are stored quoted with doubled backslashes ("C:\\Tools\\a.exe"), and then the
// folder is everything up to the last doubled backslash. Any other target (single
// backslashes, forward slashes, an unquoted path such as /usr/bin/vlc) starts in the folder
// its path names; a bare program name in the launcher's own folder.
QString TargetCheck::workingDirectoryOf(const QString &target)
{
    const qsizetype doubled = target.lastIndexOf(QLatin1String("\\\\"));
    if (quoted(target) && doubled > 0)
        return target.left(doubled + 2).mid(1);
    const QString path = unquoted(target);
    const qsizetype separator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return separator < 0 ? QString() : path.left(separator + 1);
}

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
        const QString directory = u'"' + workingDirectoryOf(target) + u'"';
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
