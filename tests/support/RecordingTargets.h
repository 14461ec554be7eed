#pragma once

#include "platform/ProgramRoles.h"
#include "platform/TargetLookup.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// Answers whether programs and documents exist from a list instead of the disk, and records
// what it was asked; installed as the process's lookup for the lifetime of the object.
// Everything exists unless it is listed in `missing` (the target exactly as asked), or
// `missing` holds "*".
class RecordingTargets : public platform::TargetLookup, public platform::ProgramRoles
{
public:
    RecordingTargets();
    ~RecordingTargets() override;
    RecordingTargets(const RecordingTargets &) = delete;
    RecordingTargets &operator=(const RecordingTargets &) = delete;

    bool programExists(const std::u16string &program) override;
    bool documentExists(const std::u16string &file, const std::u16string &directory) override;
    platform::RoleProgram programFor(const std::u16string &role) override;
    std::vector<platform::InstalledProgram> programsOfCategory(const std::u16string &category, const std::u16string &,
                                                               std::size_t) override;

    QSet<QString> missing;
    QStringList programsAsked;
    QStringList documentsAsked;
    QHash<QString, platform::RoleProgram> roles;
    QHash<QString, std::vector<platform::InstalledProgram>> categories;
    QStringList rolesAsked; // roles and categories, answered from the two above

private:
    platform::TargetLookup *previous;
    platform::ProgramRoles *previousRoles;
};
