#include "RecordingTargets.h"

#include "platform/Platform.h"

RecordingTargets::RecordingTargets()
    : previous(&platform::targets()), previousRoles(&platform::roles())
{
    platform::useTargets(this);
    platform::useRoles(this);
}

RecordingTargets::~RecordingTargets()
{
    platform::useTargets(previous);
    platform::useRoles(previousRoles);
}

bool RecordingTargets::programExists(const std::u16string &program)
{
    const QString name = QString::fromStdU16String(program);
    programsAsked.append(name);
    return !missing.contains(name) && !missing.contains(QStringLiteral("*"));
}

bool RecordingTargets::documentExists(const std::u16string &file, const std::u16string &)
{
    const QString name = QString::fromStdU16String(file);
    documentsAsked.append(name);
    return !missing.contains(name) && !missing.contains(QStringLiteral("*"));
}

platform::RoleProgram RecordingTargets::programFor(const std::u16string &role)
{
    rolesAsked.append(QString::fromStdU16String(role));
    return roles.value(rolesAsked.last());
}

std::vector<platform::InstalledProgram> RecordingTargets::programsOfCategory(const std::u16string &category,
                                                                             const std::u16string &, std::size_t)
{
    rolesAsked.append(QString::fromStdU16String(category));
    return categories.value(rolesAsked.last());
}
