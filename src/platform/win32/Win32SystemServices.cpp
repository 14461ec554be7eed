#include "Win32SystemServices.h"

#include "Win32Text.h"

#include <windows.h>

#include <shlobj.h>

#include <cwchar>

namespace platform {

std::uint16_t Win32SystemServices::systemDefaultLangId()
{
    return GetSystemDefaultLangID();
}

// GetModuleFileNameW fills the buffer to the brim and answers its size when the path is
// longer; long paths can be up to 32767 characters.
std::u16string Win32SystemServices::executablePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::u16string();
        if (length < buffer.size())
            return fromWide(buffer.data(), length);
        if (buffer.size() >= 32768)
            return std::u16string();
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string Win32SystemServices::currentDirectory()
{
    for (;;) {
        const DWORD needed = GetCurrentDirectoryW(0, nullptr);
        if (needed == 0)
            return std::u16string();
        std::vector<wchar_t> buffer(needed);
        const DWORD length = GetCurrentDirectoryW(needed, buffer.data());
        // Another thread may have changed it in between to a longer path: ask again.
        if (length < needed)
            return fromWide(buffer.data(), length);
    }
}

std::u16string Win32SystemServices::userDataDirectory()
{
    wchar_t folder[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK || !*folder)
        return std::u16string();
    return fromWide(folder) + u"\\Lumbra";
}

bool Win32SystemServices::setCurrentDirectory(const std::u16string &path)
{
    if (path.empty() || holdsNul(path))
        return false;
    return SetCurrentDirectoryW(wide(path)) != 0;
}

std::vector<std::u16string> Win32SystemServices::environmentStrings()
{
    std::vector<std::u16string> entries;
    wchar_t *block = GetEnvironmentStringsW();
    if (!block)
        return entries;
    for (const wchar_t *entry = block; *entry; entry += std::wcslen(entry) + 1) {
        if (*entry != L'=')
            entries.push_back(fromWide(entry));
    }
    FreeEnvironmentStringsW(block);
    return entries;
}

void Win32SystemServices::sleep(unsigned milliseconds)
{
    Sleep(milliseconds);
}

} // namespace platform
