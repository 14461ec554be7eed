#pragma once

#include "platform/Shell.h"

namespace platform {

// Programs are started with fork and exec and opened documents go to the desktop's default
// handler (xdg-open, or what Qt finds for the session). The task manager is
// $LUMBRA_TASKMANAGER, else the first desktop task manager found on PATH, else top in a
// terminal. Desktop entries are started through GIO, as the desktop starts them.
class PosixShell : public Shell
{
public:
    bool startDetached(const std::u16string &program, const std::vector<std::u16string> &arguments,
                       const std::u16string &workingDirectory) override;
    bool shellOpen(const std::u16string &file, const std::u16string &directory) override;
    bool startTaskManager() override;
    DesktopEntry readDesktopEntry(const std::u16string &path, const std::u16string &locale) override;
};

} // namespace platform
