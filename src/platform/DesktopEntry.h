#pragma once

#include <string>

namespace platform {

// What a desktop entry (a .desktop file, the shortcut of Linux desktops) says of itself, and
// whether it can be started. The entries that cannot are told apart so that the person can
// be told why.
struct DesktopEntry
{
    enum class Status {
        Usable,
        Unreadable,     // missing, not a desktop entry, or not an application's
        Hidden,         // Hidden=true: the entry counts as deleted
        NoProgram,      // no Exec line
        ProgramMissing, // its TryExec or Exec program is not installed
    };

    Status status = Status::Unreadable;
    // Name, in the language asked for where the entry has it.
    std::u16string name;
    // Icon: a name in the desktop's icon theme, or the path of a picture.
    std::u16string icon;
};

} // namespace platform
