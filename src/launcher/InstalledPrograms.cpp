#include "InstalledPrograms.h"

#include "i18n/LanguageChoice.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "settings/ActionKind.h"

namespace {

// A role in a message is cut here: a broken tree may hold one of any length.
constexpr int kShownRoleLength = 60;

platform::RoleProgram lookUp(const QString &role)
{
    const platform::RoleProgram found = platform::roles().programFor(role.toStdU16String());
    if (found.form == platform::RoleProgram::Form::None)
        printDiagnostic(QStringLiteral("nothing on this computer takes the role \"%1\"; its icons start their own target")
                            .arg(role.left(kShownRoleLength)));
    return found;
}

} // namespace

bool InstalledPrograms::startFor(const QString &role, int *kind, QString *target)
{
    if (role.isEmpty())
        return false;
    auto known = roles.constFind(role);
    if (known == roles.constEnd())
        known = roles.insert(role, lookUp(role));
    const QString path = QString::fromStdU16String(known->path);
    switch (known->form) {
    case platform::RoleProgram::Form::DesktopEntry:
        *kind = ActionKind::OpenWithShell;
        *target = path;
        return true;
    case platform::RoleProgram::Form::Program:
        // Written as stored targets are, in quotes with doubled backslashes: the working
        // folder is what comes before the last doubled backslash.
        *kind = ActionKind::StartProgram;
        *target = u'"' + QString(path).replace(u'\\', QStringLiteral("\\\\")) + u'"';
        return true;
    case platform::RoleProgram::Form::None:
        break;
    }
    return false;
}

const std::vector<platform::InstalledProgram> &InstalledPrograms::ofCategory(const QString &category,
                                                                           std::size_t limit)
{
    auto known = categories.find(category);
    if (known == categories.end())
        known = categories.insert(category, platform::roles().programsOfCategory(
                                                category.toStdU16String(),
                                                desktopLocaleFor(languageCode).toStdU16String(), limit));
    return *known;
}
