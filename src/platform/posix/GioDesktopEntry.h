#pragma once

#include "platform/DesktopEntry.h"

#include <string>

namespace platform {

// Desktop entries through GIO: read with GKeyFile, started with GDesktopAppInfo, which
// handles Exec's field codes, Path and Terminal as freedesktop.org's desktop entry format
// defines them.
// Paths are in the file system's encoding.
class GioDesktopEntry
{
public:
    static DesktopEntry read(const std::string &path, const std::string &locale);
    // Starts the entry with no files. False, with the reason, when it could not be started.
    static bool launch(const std::string &path, std::string *reason);
};

} // namespace platform
