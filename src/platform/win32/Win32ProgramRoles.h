#pragma once

#include "platform/ProgramRoles.h"

namespace platform {

// Roles through the shell's associations: AssocQueryStringW(ASSOCSTR_EXECUTABLE) for the
// scheme (http, mailto) or file type (.txt, .odt, .pdf, ...) of the role, else a program
// Windows itself has for it, found with SearchPathW (cmd.exe, calc.exe, control.exe).
// Windows keeps no menu categories: no category lists any program.
class Win32ProgramRoles : public ProgramRoles
{
public:
    RoleProgram programFor(const std::u16string &role) override;
    std::vector<InstalledProgram> programsOfCategory(const std::u16string &category, const std::u16string &locale,
                                                     std::size_t limit) override;
};

} // namespace platform
