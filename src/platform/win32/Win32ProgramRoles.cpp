#include "Win32ProgramRoles.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>
#include <string>

namespace platform {

namespace {

struct Role
{
    const char16_t *name;
    const wchar_t *association; // a scheme ("http") or a file type (".txt"), or nullptr
    bool isScheme;
    const wchar_t *program;     // a program of Windows' own, or nullptr
};

const Role kRoles[] = {
    {u"web-browser", L"http", true, nullptr},
    {u"e-mail", L"mailto", true, nullptr},
    {u"files", nullptr, false, L"explorer.exe"},
    {u"text-editor", L".txt", false, L"notepad.exe"},
    {u"word-processor", L".odt", false, L"write.exe"},
    {u"spreadsheet", L".ods", false, nullptr},
    {u"presentation", L".odp", false, nullptr},
    {u"pdf-viewer", L".pdf", false, nullptr},
    {u"pictures", L".png", false, nullptr},
    {u"music", L".mp3", false, nullptr},
    {u"videos", L".mp4", false, nullptr},
    {u"terminal", nullptr, false, L"cmd.exe"},
    {u"calculator", nullptr, false, L"calc.exe"},
    {u"settings", nullptr, false, L"control.exe"},
    {u"software", nullptr, false, nullptr},
    {u"system-monitor", nullptr, false, L"taskmgr.exe"},
};

const Role *roleNamed(const std::u16string &name)
{
    for (const Role &role : kRoles) {
        if (name == role.name)
            return &role;
    }
    return nullptr;
}

bool isFile(const wchar_t *path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

RoleProgram programAt(const wchar_t *path, DWORD length)
{
    RoleProgram found;
    if (length == 0 || length >= MAX_PATH || !isFile(path))
        return found;
    found.form = RoleProgram::Form::Program;
    found.path.assign(reinterpret_cast<const char16_t *>(path), length);
    return found;
}

// An association may name a program that was uninstalled since; it counts only when the
// program is there.
RoleProgram associated(const Role &role)
{
    if (!role.association)
        return RoleProgram();
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    const ASSOCF flags = ASSOCF_NOTRUNCATE | (role.isScheme ? ASSOCF_IS_PROTOCOL : ASSOCF_NONE);
    if (AssocQueryStringW(flags, ASSOCSTR_EXECUTABLE, role.association, L"open", path, &length) != S_OK)
        return RoleProgram();
    // The length given back is not to be trusted (Wine leaves it as it was): the text ends at
    // its NUL.
    return programAt(path, DWORD(wcsnlen(path, MAX_PATH)));
}

RoleProgram ownProgram(const Role &role)
{
    if (!role.program)
        return RoleProgram();
    wchar_t path[MAX_PATH] = {};
    const DWORD length = SearchPathW(nullptr, role.program, nullptr, MAX_PATH, path, nullptr);
    return programAt(path, length);
}

} // namespace

RoleProgram Win32ProgramRoles::programFor(const std::u16string &name)
{
    const Role *role = roleNamed(name);
    if (!role)
        return RoleProgram();
    const RoleProgram found = associated(*role);
    return found.form != RoleProgram::Form::None ? found : ownProgram(*role);
}

std::vector<InstalledProgram> Win32ProgramRoles::programsOfCategory(const std::u16string &, const std::u16string &,
                                                                     std::size_t)
{
    return {};
}

} // namespace platform
