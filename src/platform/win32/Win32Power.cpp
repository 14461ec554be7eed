#include "Win32Power.h"

#include "Win32Text.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace platform {

namespace {

enum class Action { Suspend, Reboot, PowerOff };

const char *nameOf(Action action)
{
    switch (action) {
    case Action::Suspend:
        return "suspend";
    case Action::Reboot:
        return "reboot";
    case Action::PowerOff:
        return "poweroff";
    }
    return "";
}

// A variable that is set, even to nothing; null when it is not set at all.
const wchar_t *variable(const wchar_t *name, std::wstring *value)
{
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0)
        return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? nullptr : L"";
    value->assign(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, &(*value)[0], needed);
    value->resize(length < needed ? length : 0);
    return value->c_str();
}

void reportFailure(const char *action, const std::string &reason)
{
    reportLine(std::string("lumbra: cannot ") + action + ": " + reason);
}

// One write of the whole line to a file opened for appending only, so that lines of
// several processes never mix.
bool appendToLog(const std::wstring &path, const char *action)
{
    HANDLE file = path.empty() ? INVALID_HANDLE_VALUE
                               : CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = path.empty() ? ERROR_INVALID_NAME : GetLastError();
        reportFailure(action, "cannot write to LUMBRA_POWER_LOG \"" + utf8(fromWide(path.c_str())) + "\": "
                                  + errorText(error));
        return false;
    }
    const std::string line = std::string(action) + "\n";
    DWORD written = 0;
    const bool whole = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)
        && written == line.size();
    CloseHandle(file);
    if (!whole)
        reportFailure(action, "cannot write to LUMBRA_POWER_LOG");
    return whole;
}

bool callWindows(Action action)
{
    BOOL done = FALSE;
    switch (action) {
    case Action::Suspend:
        done = SetSystemPowerState(TRUE, TRUE);
        break;
    case Action::Reboot:
        done = ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0);
        break;
    case Action::PowerOff:
        done = ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0);
        break;
    }
    if (!done)
        reportFailure(nameOf(action), errorText(GetLastError()));
    return done != FALSE;
}

bool act(Action action)
{
    std::wstring log;
    std::wstring forbidden;
    if (variable(L"LUMBRA_POWER_LOG", &log))
        return appendToLog(log, nameOf(action));
    if (variable(L"LUMBRA_POWER_FORBIDDEN", &forbidden)) {
        reportLine(std::string("lumbra: refusing to ") + nameOf(action)
                   + " for real: LUMBRA_POWER_FORBIDDEN is set and LUMBRA_POWER_LOG is not");
        std::abort();
    }
    return callWindows(action);
}

} // namespace

// Only the token of this process changes, so this is safe to call anywhere, tests included.
bool Win32Power::enableShutdownPrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
    return true;
}

bool Win32Power::suspend()
{
    return act(Action::Suspend);
}

bool Win32Power::reboot()
{
    return act(Action::Reboot);
}

bool Win32Power::powerOff()
{
    return act(Action::PowerOff);
}

} // namespace platform
