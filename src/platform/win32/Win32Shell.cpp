#include "Win32Shell.h"

#include "Win32Text.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

namespace {

// CreateProcessW takes at most 32767 characters of command line, its NUL included.
constexpr std::size_t kMaxCommandLine = 32766;

bool isQuoted(const std::u16string &text)
{
    return text.size() >= 2 && text.front() == u'"' && text.back() == u'"';
}

std::u16string unquoted(const std::u16string &text)
{
    return isQuoted(text) ? text.substr(1, text.size() - 2) : text;
}

// The MSVC runtime's rules: a quote is escaped with a backslash, and the backslashes right
// before a quote (an escaped one or the closing one) are doubled.
std::u16string quotedArgument(const std::u16string &argument)
{
    std::u16string escaped;
    std::size_t backslashes = 0;
    for (char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
        } else {
            if (c == u'"')
                escaped.append(backslashes + 1, u'\\');
            backslashes = 0;
        }
        escaped.push_back(c);
    }
    if (!escaped.empty() && escaped.find_first_of(u" \t") == std::u16string::npos)
        return escaped;
    escaped.append(backslashes, u'\\');
    return u'"' + escaped + u'"';
}

void reportFailure(const char *action, const std::u16string &name, const std::string &reason)
{
    reportLine(std::string("lumbra: cannot ") + action + " \"" + utf8(name) + "\": " + reason);
}

std::u16string cut(const std::u16string &text)
{
    return text.substr(0, Win32Shell::kMaxShellText);
}

} // namespace

std::u16string Win32Shell::commandLine(const std::u16string &program, const std::vector<std::u16string> &arguments)
{
    std::u16string line = program;
    if (line.front() != u'"' && line.back() != u'"' && line.find(u' ') != std::u16string::npos)
        line = u'"' + line + u'"';
    for (char16_t &c : line) {
        if (c == u'/')
            c = u'\\';
    }
    for (const std::u16string &argument : arguments)
        line += u' ' + quotedArgument(argument);
    return line;
}

bool Win32Shell::startDetached(const std::u16string &program, const std::vector<std::u16string> &arguments,
                               const std::u16string &workingDirectory)
{
    if (unquoted(program).empty()) {
        reportFailure("start", program, "no program given");
        return false;
    }
    bool nul = holdsNul(program) || holdsNul(workingDirectory);
    for (const std::u16string &argument : arguments)
        nul = nul || holdsNul(argument);
    if (nul) {
        reportFailure("start", program, "the command holds a NUL character");
        return false;
    }
    std::u16string line = commandLine(program, arguments);
    if (line.size() > kMaxCommandLine) {
        reportFailure("start", program, "the command line is longer than Windows takes");
        return false;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // As Qt does it: no console of its own for a console program started from a GUI one.
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (GetConsoleWindow() ? 0 : CREATE_NO_WINDOW);
    const std::u16string folder = unquoted(workingDirectory);
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t *>(&line[0]), nullptr, nullptr, FALSE, flags, nullptr,
                        wideOrNull(folder), &startup, &process)) {
        reportFailure("start", program, errorText(GetLastError()));
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// The launcher passes the folder in quotes, as a command line would; a folder name never
// holds one, so the pair is taken off before Windows looks the folder up.
bool Win32Shell::shellOpen(const std::u16string &file, const std::u16string &directory)
{
    const std::u16string target = cut(file);
    const std::u16string folder = cut(unquoted(directory));
    if (unquoted(target).empty() || holdsNul(target) || holdsNul(folder)) {
        reportFailure("open", file, "nothing to open");
        return false;
    }
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide(target), L"", wideOrNull(folder), SW_SHOWNORMAL));
    // Values up to 32 are errors; most of them are Win32 codes too.
    if (result <= 32) {
        reportFailure("open", file, errorText(result == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION
                                                                       : static_cast<DWORD>(result)));
        return false;
    }
    return true;
}

bool Win32Shell::startTaskManager()
{
    return startDetached(u"taskmgr.exe", {}, std::u16string());
}

DesktopEntry Win32Shell::readDesktopEntry(const std::u16string &, const std::u16string &)
{
    return DesktopEntry{};
}

} // namespace platform
