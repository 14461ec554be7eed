#pragma once

#include "platform/ProgramRoles.h"

namespace platform {

// Roles as the desktop answers them through GIO: the default application of the role's
// content type (mimeapps.list), else the first usable of a list of desktop entries, else a
// Debian alternative (x-www-browser, x-terminal-emulator). A desktop entry counts only when
// it could be started: a default pointing at a missing, hidden or broken entry is passed by.
class GioProgramRoles : public ProgramRoles
{
public:
    RoleProgram programFor(const std::u16string &role) override;
    std::vector<InstalledProgram> programsOfCategory(const std::u16string &category, const std::u16string &locale,
                                                     std::size_t limit) override;
};

} // namespace platform
