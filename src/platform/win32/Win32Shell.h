#pragma once

#include "platform/Shell.h"

namespace platform {

// CreateProcessW as QProcess::startDetached calls it, and ShellExecuteW with "open".
class Win32Shell : public Shell
{
public:
    bool startDetached(const std::u16string &program, const std::vector<std::u16string> &arguments,
                       const std::u16string &workingDirectory) override;
    bool shellOpen(const std::u16string &file, const std::u16string &directory) override;
    bool startTaskManager() override;
    // Windows has no desktop entries: its shortcuts (.lnk) are opened by the shell.
    DesktopEntry readDesktopEntry(const std::u16string &path, const std::u16string &locale) override;

    // The command line QProcess builds: the program as given (quoted when it holds a blank
    // and is not quoted already, forward slashes turned round), then each argument quoted
    // so that CommandLineToArgvW and the C runtime give it back unchanged.
    static std::u16string commandLine(const std::u16string &program, const std::vector<std::u16string> &arguments);

    // ShellExecuteW is handed at most this many characters of the file and of the folder.
    static constexpr std::size_t kMaxShellText = 1023;
};

} // namespace platform
