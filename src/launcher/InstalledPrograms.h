#pragma once

#include "platform/ProgramRoles.h"

#include <QHash>
#include <QString>

#include <vector>

// What icons' roles and tabs' categories stand for on this computer. The system is asked once
// per launcher for each: pages built later or built anew take the same answers, and nothing
// is asked while painting.
class InstalledPrograms
{
public:
    // Where this computer has a program for `role`, sets how the icon starts it (its action
    // kind and target) and answers true. Otherwise, or for an empty role, changes nothing: the
    // icon's own target stands.
    bool startFor(const QString &role, int *kind, QString *target);
    // The installed programs of a menu category, in name order, at most `limit`.
    const std::vector<platform::InstalledProgram> &ofCategory(const QString &category, std::size_t limit);

private:
    void lookUpRoles(const QString &asked);

    QHash<QString, platform::RoleProgram> roles;
    QHash<QString, std::vector<platform::InstalledProgram>> categories;
};
