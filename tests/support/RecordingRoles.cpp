#include "RecordingRoles.h"

#include "platform/Platform.h"

RecordingRoles::RecordingRoles()
    : previous(&platform::roles())
{
    platform::useRoles(this);
}

RecordingRoles::~RecordingRoles()
{
    platform::useRoles(previous);
}

platform::RoleProgram RecordingRoles::programFor(const std::u16string &role)
{
    asked.append(QString::fromStdU16String(role));
    return programs.value(QString::fromStdU16String(role));
}

std::vector<platform::InstalledProgram> RecordingRoles::programsOfCategory(const std::u16string &category,
                                                                           const std::u16string &, std::size_t limit)
{
    asked.append(QString::fromStdU16String(category));
    std::vector<platform::InstalledProgram> found = categories.value(QString::fromStdU16String(category));
    if (found.size() > limit)
        found.resize(limit);
    return found;
}
