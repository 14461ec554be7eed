#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// What this computer has for a role ("web-browser", "e-mail", "files", "terminal", ...): the
// program the desktop would take for it, and how the launcher starts that program.
struct RoleProgram
{
    enum class Form {
        None,         // nothing installed for it, or no such role
        DesktopEntry, // `path` is a desktop entry: Shell::shellOpen starts it
        Program,      // `path` is a program: Shell::startDetached starts it
    };
    Form form = Form::None;
    std::u16string path;
};

// An installed application of a menu category, as its desktop entry describes it.
struct InstalledProgram
{
    std::u16string entry;   // the desktop entry's file, which Shell::shellOpen starts
    std::u16string name;    // its Name, in the language asked for where it has one
    std::u16string picture; // the picture file of its Icon; empty when none was found
    std::u16string program; // the file name of the program its Exec line starts
};

// The programs installed for roles and menu categories. Nothing is started.
class ProgramRoles
{
public:
    virtual ~ProgramRoles() = default;

    // AssocQueryStringW(ASSOCSTR_EXECUTABLE) for the scheme or file type of the role, else a
    // program the system always has for it. Form::None for an unknown role or when nothing
    // usable is installed for it.
    virtual RoleProgram programFor(const std::u16string &role) = 0;
    // The applications shown in menus whose categories hold `category` ("Game"), ordered by
    // name, at most `limit` of them.
    virtual std::vector<InstalledProgram> programsOfCategory(const std::u16string &category,
                                                             const std::u16string &locale, std::size_t limit) = 0;
};

} // namespace platform
