#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The kernel32 services the launcher uses: the language, the process's own files and
// folders, its environment and sleeping.
class SystemServices
{
public:
    virtual ~SystemServices() = default;

    // GetSystemDefaultLangID: (sublanguage << 10) | primary language.
    virtual std::uint16_t systemDefaultLangId() = 0;
    // GetModuleFileNameW of the running executable: its full path.
    virtual std::u16string executablePath() = 0;
    virtual std::u16string currentDirectory() = 0;
    // SHGetFolderPathW(CSIDL_LOCAL_APPDATA) + "\Lumbra": the folder of this person's own files
    // of the launcher, for what the program's folder cannot take (an installation the
    // administrator owns). Not created here; empty when no such folder is known.
    virtual std::u16string userDataDirectory() = 0;
    virtual bool setCurrentDirectory(const std::u16string &path) = 0;
    // The process environment as NAME=VALUE entries.
    virtual std::vector<std::u16string> environmentStrings() = 0;
    virtual void sleep(unsigned milliseconds) = 0;
};

} // namespace platform
