// The Windows backends' test runner: `lumbra-win32-tests` runs every case, or those whose
// name contains its one argument; `--child ROLE ...` is how the cases start it again.

#include "Runner.h"

#include "platform/win32/Win32Shell.h"

#include <shellapi.h>

#include <cstdio>
#include <map>
#include <memory>

namespace runner {

namespace {

struct Entry
{
    std::string name;
    Check check;
};

std::vector<Entry> &entries()
{
    static std::vector<Entry> list;
    return list;
}

std::map<std::string, Role> &roles()
{
    static std::map<std::string, Role> table;
    return table;
}

std::vector<std::u16string> commandLineArguments()
{
    int count = 0;
    wchar_t **list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(reinterpret_cast<const char16_t *>(list[i]));
    LocalFree(list);
    return arguments;
}

void removeTree(const std::u16string &folder)
{
    WIN32_FIND_DATAW found;
    const std::u16string pattern = folder + u"*";
    HANDLE search = FindFirstFileW(wide(pattern), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::u16string name = reinterpret_cast<const char16_t *>(found.cFileName);
            if (name == u"." || name == u"..")
                continue;
            const std::u16string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path + u"\\");
            else
                DeleteFileW(wide(path));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(wide(folder));
}

std::u16string makeTemporaryFolder()
{
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    const std::u16string folder = reinterpret_cast<const char16_t *>(base)
        + utf16("lumbra-win32-tests-" + std::to_string(GetCurrentProcessId()) + "\\");
    CreateDirectoryW(wide(folder), nullptr);
    return folder;
}

// A child plays its part in its parent's folder; only the parent removes it.
struct TemporaryFolder
{
    std::u16string path;
    bool own = false;
    ~TemporaryFolder()
    {
        if (own)
            removeTree(path);
    }
};

std::unique_ptr<TemporaryFolder> &folderHolder()
{
    static std::unique_ptr<TemporaryFolder> holder;
    return holder;
}

int runCases(const std::string &only)
{
    int passed = 0;
    int failed = 0;
    int skipped = 0;
    for (const Entry &entry : entries()) {
        if (!only.empty() && entry.name.find(only) == std::string::npos)
            continue;
        const std::string result = entry.check();
        if (result.empty()) {
            ++passed;
            std::printf("PASS   %s\n", entry.name.c_str());
        } else if (result.rfind("SKIP: ", 0) == 0) {
            ++skipped;
            std::printf("SKIP   %s: %s\n", entry.name.c_str(), result.c_str() + 6);
        } else {
            ++failed;
            std::printf("FAIL!  %s: %s\n", entry.name.c_str(), result.c_str());
        }
        std::fflush(stdout);
    }
    std::printf("Totals: %d passed, %d failed, %d skipped\n", passed, failed, skipped);
    return failed == 0 ? 0 : 1;
}

} // namespace

void add(const std::string &name, Check check)
{
    entries().push_back(Entry{name, std::move(check)});
}

void addRole(const std::string &name, Role role)
{
    roles()[name] = std::move(role);
}

std::vector<std::u16string> childArguments(const std::string &role, const std::vector<std::u16string> &more)
{
    std::vector<std::u16string> arguments{u"--child", utf16(role), temporaryFolder()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

std::string failure(const char *file, int line, const std::string &what)
{
    std::string name = file;
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    return name + ":" + std::to_string(line) + ": " + what;
}

std::string skip(const std::string &reason)
{
    return "SKIP: " + reason;
}

std::string shown(long long value)
{
    return std::to_string(value);
}

std::string shown(unsigned long long value)
{
    char hex[32];
    std::snprintf(hex, sizeof hex, "%llu (0x%llx)", value, value);
    return hex;
}

std::string shown(const std::string &value)
{
    return value.size() > 300 ? "\"" + value.substr(0, 300) + "...\"" : "\"" + value + "\"";
}

std::string shown(const std::u16string &value)
{
    return shown(utf8(value));
}

std::string shown(const char *value)
{
    return shown(std::string(value ? value : "(null)"));
}

std::string utf8(const std::u16string &text)
{
    if (text.empty())
        return std::string();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.data());
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, &result[0], needed, nullptr, nullptr);
    return result;
}

std::u16string utf16(const std::string &text)
{
    if (text.empty())
        return std::u16string();
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::u16string result(static_cast<std::size_t>(needed), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, reinterpret_cast<wchar_t *>(&result[0]), needed);
    return result;
}

bool underWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

const std::u16string &temporaryFolder()
{
    if (!folderHolder())
        folderHolder().reset(new TemporaryFolder{makeTemporaryFolder(), true});
    return folderHolder()->path;
}

std::u16string runnerPath()
{
    wchar_t path[32768] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    return std::u16string(reinterpret_cast<const char16_t *>(path), length);
}

std::string readFile(const std::u16string &path)
{
    HANDLE file = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool writeFile(const std::u16string &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
        && written == bytes.size();
    CloseHandle(file);
    return whole;
}

bool waitFor(const std::function<bool()> &ready, unsigned limitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        if (ready())
            return true;
        if (GetTickCount64() >= end)
            return false;
        Sleep(20);
    }
}

Child::Child(const std::vector<std::u16string> &arguments, const std::u16string &program)
{
    std::u16string line = platform::Win32Shell::commandLine(u'"' + program + u'"', arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information = {};
    if (CreateProcessW(nullptr, reinterpret_cast<wchar_t *>(&line[0]), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &information)) {
        CloseHandle(information.hThread);
        process = information.hProcess;
    }
}

Child::~Child()
{
    kill();
}

int Child::wait(unsigned limitMs)
{
    if (!process)
        return -1;
    if (WaitForSingleObject(process, limitMs) != WAIT_OBJECT_0) {
        kill();
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    process = nullptr;
    return static_cast<int>(code);
}

void Child::kill()
{
    if (!process)
        return;
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
    process = nullptr;
}

int runChild(const std::vector<std::u16string> &arguments, unsigned limitMs)
{
    Child child(arguments);
    return child.wait(limitMs);
}

EnvironmentOverride::EnvironmentOverride(const wchar_t *name, const wchar_t *value)
    : name(name)
{
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    wasSet = needed > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    if (needed > 0) {
        saved.assign(needed, L'\0');
        saved.resize(GetEnvironmentVariableW(name, &saved[0], needed));
    }
    SetEnvironmentVariableW(name, value);
}

EnvironmentOverride::~EnvironmentOverride()
{
    SetEnvironmentVariableW(name.c_str(), wasSet ? saved.c_str() : nullptr);
}

} // namespace runner

// Started by the name of the system's task manager, the runner only says that it was.
bool standsInForTheTaskManager()
{
    const std::u16string path = runner::runnerPath();
    const std::size_t slash = path.find_last_of(u'\\');
    std::u16string name = path.substr(slash == std::u16string::npos ? 0 : slash + 1);
    for (char16_t &c : name)
        c = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return name == u"taskmgr.exe";
}

int main()
{
    if (standsInForTheTaskManager()) {
        wchar_t record[MAX_PATH * 4] = {};
        if (!GetEnvironmentVariableW(L"LUMBRA_TEST_RECORD", record, MAX_PATH * 4))
            return 2;
        // Written aside and moved in, so the test never reads the file half written.
        const std::u16string path = reinterpret_cast<const char16_t *>(record);
        const std::u16string part = path + u".part";
        if (!runner::writeFile(part, "taskmgr.exe " + std::to_string(__argc)))
            return 3;
        return MoveFileExW(runner::wide(part), runner::wide(path), MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
    }
    // As in every POSIX test process: no power action may reach the machine from here.
    SetEnvironmentVariableW(L"LUMBRA_POWER_FORBIDDEN", L"1");
    runner::addRegistryTests();
    runner::addSystemTests();
    runner::addShellTests();
    runner::addWindowTests();

    const std::vector<std::u16string> arguments = runner::commandLineArguments();
    if (arguments.size() >= 4 && arguments[1] == u"--child") {
        runner::folderHolder().reset(new runner::TemporaryFolder{arguments[3], false});
        const auto role = runner::roles().find(runner::utf8(arguments[2]));
        if (role == runner::roles().end())
            return 120;
        return role->second(std::vector<std::u16string>(arguments.begin() + 4, arguments.end()));
    }
    if (arguments.size() == 2 && arguments[1] == u"--list-languages") {
        runner::listLanguageCases();
        return 0;
    }
    if (arguments.size() == 3 && arguments[1] == u"--language")
        return runner::checkLanguageCase(std::stoul(runner::utf8(arguments[2])));
    const int result = runner::runCases(arguments.size() > 1 ? runner::utf8(arguments[1]) : std::string());
    runner::folderHolder().reset();
    return result;
}
