#pragma once

#include "platform/ProgramRoles.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// Answers roles and categories from the tables a test fills, not from what this machine has,
// and records what it was asked; installed as the process's for the lifetime of the object.
class RecordingRoles : public platform::ProgramRoles
{
public:
    RecordingRoles();
    ~RecordingRoles() override;
    RecordingRoles(const RecordingRoles &) = delete;
    RecordingRoles &operator=(const RecordingRoles &) = delete;

    platform::RoleProgram programFor(const std::u16string &role) override;
    std::vector<platform::InstalledProgram> programsOfCategory(const std::u16string &category,
                                                               const std::u16string &locale,
                                                               std::size_t limit) override;

    QHash<QString, platform::RoleProgram> programs;
    QHash<QString, std::vector<platform::InstalledProgram>> categories;
    QStringList asked;

private:
    platform::ProgramRoles *previous;
};
