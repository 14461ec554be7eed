#include "InstalledPrograms.h"

#include "TabEntry.h"
#include "i18n/LanguageChoice.h"
#include "platform/CodeUnits.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"

#include <QSet>
#include <QStringList>

namespace {

// A role in a message is cut here, and so many are named at most: a broken tree may hold
// roles of any length and any number.
constexpr int kShownRoleLength = 60;
constexpr int kShownRoles = 20;

QString lackingRolesMessage(const QStringList &lacking)
{
    QStringList named;
    for (const QString &role : lacking.mid(0, kShownRoles))
        named.append(u'"' + role.left(kShownRoleLength) + u'"');
    if (lacking.size() > kShownRoles)
        named.append(QStringLiteral("and %1 more").arg(lacking.size() - kShownRoles));
    if (lacking.size() == 1)
        return QStringLiteral("nothing on this computer takes the role %1; its icons start their own target")
            .arg(named.first());
    return QStringLiteral("nothing on this computer takes the roles %1; their icons start their own targets")
        .arg(named.join(QStringLiteral(", ")));
}

} // namespace

bool InstalledPrograms::startFor(const QString &role, int *kind, QString *target)
{
    if (role.isEmpty())
        return false;
    if (!roles.contains(role))
        lookUpRoles(role);
    const platform::RoleProgram &known = roles[role];
    const QString path = platform::fromCodeUnits(known.path);
    switch (known.form) {
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

// The first role asked for brings every role the tabs' pages will ask for that is not known
// yet, so that what this computer lacks is said in one line rather than a line for each role
// at every start.
void InstalledPrograms::lookUpRoles(const QString &asked)
{
    QStringList wanted{asked};
    QSet<QString> seen{asked};
    for (int t = 0; t < theSettings.tabs.size(); ++t) {
        for (int part = 0; part < TabEntry::shownPlaces(t); ++part) {
            const QString role = theSettings.getTabIconString(TabIconTextSetting::ICON_AP_ROLE, t, part);
            if (role != QLatin1String("NULL") && !role.isEmpty() && !roles.contains(role) && !seen.contains(role)) {
                seen.insert(role);
                wanted.append(role);
            }
        }
    }
    QStringList lacking;
    for (const QString &role : std::as_const(wanted)) {
        const platform::RoleProgram found = platform::roles().programFor(role.toStdU16String());
        roles.insert(role, found);
        if (found.form == platform::RoleProgram::Form::None)
            lacking.append(role);
    }
    if (!lacking.isEmpty())
        printDiagnostic(lackingRolesMessage(lacking));
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
