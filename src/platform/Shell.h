#pragma once

#include "DesktopEntry.h"

#include <string>
#include <vector>

namespace platform {

// Starting programs and opening documents, as kernel32 and shell32 offer it.
class Shell
{
public:
    virtual ~Shell() = default;

    // QProcess::startDetached / CreateProcessW: starts `program` detached, with `arguments`,
    // in `workingDirectory` (empty: the launcher's own folder). Nothing is waited for or
    // watched. False, with one line on stderr naming the program, when it cannot be started.
    virtual bool startDetached(const std::u16string &program,
                               const std::vector<std::u16string> &arguments,
                               const std::u16string &workingDirectory) = 0;

    // ShellExecuteW(no owner, "open", file, "", directory, SW_SHOWNORMAL): opens a document,
    // a folder or a URL with the handler the desktop has for it. False when nothing could
    // be asked to open it.
    virtual bool shellOpen(const std::u16string &file, const std::u16string &directory) = 0;

    // Starts the system's task manager ("taskmgr.exe" on Windows), detached.
    virtual bool startTaskManager() = 0;

    // IShellLinkW::GetDescription and GetIconLocation on a shortcut: what the desktop entry
    // at `path` says of itself, its name in `locale` (a POSIX locale name such as "de" or
    // "pt_BR") where it has one. Nothing is started. shellOpen starts such an entry the way
    // the desktop does.
    virtual DesktopEntry readDesktopEntry(const std::u16string &path, const std::u16string &locale) = 0;
};

} // namespace platform
