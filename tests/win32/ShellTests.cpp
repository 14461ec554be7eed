// Starting programs as QProcess::startDetached does, opening with the shell, and the task
// manager, each checked by what the started program finds: its folder and its arguments.

#include "Runner.h"

#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32ProgramRoles.h"
#include "platform/win32/Win32TargetLookup.h"

namespace runner {

namespace {

using namespace platform;

// The record a child writes: its folder, then one argument a line, as the C runtime and
// CommandLineToArgvW split its command line.
int recordChild(const std::vector<std::u16string> &arguments)
{
    wchar_t folder[32768] = {};
    GetCurrentDirectoryW(32768, folder);
    std::string text = "folder=" + utf8(reinterpret_cast<const char16_t *>(folder)) + "\n";
    for (std::size_t i = 1; i < arguments.size(); ++i)
        text += "arg=" + utf8(arguments[i]) + "\n";
    const std::u16string part = arguments.at(0) + u".part";
    if (!writeFile(part, text))
        return 1;
    return MoveFileExW(wide(part), wide(arguments.at(0)), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

std::string recordOf(const std::u16string &path)
{
    if (!waitFor([&] { return GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES; }))
        return "<no record>";
    return readFile(path);
}

// A stored target: the path in quotes with its backslashes doubled.
std::u16string storedTarget(const std::u16string &path)
{
    std::u16string doubled;
    for (char16_t c : path) {
        doubled.push_back(c);
        if (c == u'\\')
            doubled.push_back(c);
    }
    return u'"' + doubled + u'"';
}

std::string argumentsArriveUnchanged(const std::string &name, const std::vector<std::u16string> &given)
{
    const std::u16string record = temporaryFolder() + utf16("args " + name + ".txt");
    const std::u16string folder = temporaryFolder() + u"start folder \u00e9";
    CreateDirectoryW(wide(folder), nullptr);
    std::vector<std::u16string> arguments = childArguments("record", {record});
    arguments.insert(arguments.end(), given.begin(), given.end());
    EXPECT(Win32Shell().startDetached(storedTarget(runnerPath()), arguments, folder));
    std::string expected = "folder=" + utf8(folder) + "\n";
    for (const std::u16string &argument : given)
        expected += "arg=" + utf8(argument) + "\n";
    EXPECT_EQ(recordOf(record), expected);
    return std::string();
}

// Without a folder the program starts where the launcher is.
std::string startsInTheLaunchersFolder()
{
    const std::u16string record = temporaryFolder() + u"here.txt";
    wchar_t here[32768] = {};
    GetCurrentDirectoryW(32768, here);
    EXPECT(Win32Shell().startDetached(runnerPath(), childArguments("record", {record}), u""));
    const std::string text = recordOf(record);
    EXPECT_EQ(text.substr(0, text.find('\n')), "folder=" + utf8(reinterpret_cast<const char16_t *>(here)));
    return std::string();
}

std::string startRefused(const std::u16string &program, const std::u16string &folder)
{
    EXPECT(!Win32Shell().startDetached(program, {}, folder));
    return std::string();
}

// ShellExecuteW "open" on a command script, in the folder the launcher passes in quotes.
std::string shellOpensInTheFolder()
{
    const std::u16string folder = temporaryFolder() + u"shell folder";
    CreateDirectoryW(wide(folder), nullptr);
    const std::u16string script = folder + u"\\opened.cmd";
    EXPECT(writeFile(script, "@cd > opened.txt\r\n"));
    EXPECT(Win32Shell().shellOpen(storedTarget(script), u'"' + folder + u'"'));
    const std::u16string record = folder + u"\\opened.txt";
    EXPECT(waitFor([&] { return readFile(record).find('\n') != std::string::npos; }));
    EXPECT_EQ(readFile(record), utf8(folder) + "\r\n");
    return std::string();
}

std::string shellOpenRefused(const std::u16string &file)
{
    EXPECT(!Win32Shell().shellOpen(file, u'"' + temporaryFolder() + u'"'));
    return std::string();
}

// Windows looks for "taskmgr.exe" first in the folder of the program that starts it: a
// copy of this runner there, by that name, records that it was started instead.
std::string taskManagerIsStarted()
{
    const std::u16string folder = temporaryFolder() + u"taskmanager\\";
    CreateDirectoryW(wide(folder), nullptr);
    EXPECT(CopyFileW(wide(runnerPath()), wide(folder + u"runner.exe"), FALSE));
    EXPECT(CopyFileW(wide(runnerPath()), wide(folder + u"taskmgr.exe"), FALSE));
    const std::u16string record = folder + u"started.txt";
    EnvironmentOverride recordPath(L"LUMBRA_TEST_RECORD", wide(record));
    Child child(childArguments("task-manager"), folder + u"runner.exe");
    EXPECT(child.started());
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(recordOf(record), std::string("taskmgr.exe 1"));
    return std::string();
}

std::string programLookup(const std::u16string &program, bool expected)
{
    EXPECT_EQ(Win32TargetLookup().programExists(program), expected);
    return std::string();
}

std::string documentLookup(const std::u16string &file, const std::u16string &folder, bool expected)
{
    writeFile(temporaryFolder() + u"letter.txt", "Dear all\n");
    EXPECT_EQ(Win32TargetLookup().documentExists(file, folder), expected);
    return std::string();
}

// `expected`: how the path of the program found ends (any case); empty: nothing is found.
std::string roleLookup(const std::u16string &role, const std::u16string &expected)
{
    const RoleProgram found = Win32ProgramRoles().programFor(role);
    EXPECT_EQ(found.form == RoleProgram::Form::Program, !expected.empty());
    EXPECT(expected.empty() || (found.path.size() >= expected.size()
           && _wcsicmp(wide(found.path.substr(found.path.size() - expected.size())), wide(expected)) == 0));
    return std::string();
}

// .ods opened by `program` (in HKEY_CLASSES_ROOT: Wine's associations ignore the user's own).
std::string associatedRole(const std::u16string &program, const std::u16string &expected)
{
    const std::u16string command = u'"' + program + u"\" \"%1\"";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".ods", nullptr, REG_SZ, L"LumbraTest.Type", 32);
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"LumbraTest.Type\\shell\\open\\command", nullptr, REG_SZ, wide(command),
                    DWORD((command.size() + 1) * 2));
    const std::string outcome = roleLookup(u"spreadsheet", expected);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".ods");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"LumbraTest.Type");
    return outcome;
}

int taskManagerChild(const std::vector<std::u16string> &)
{
    return Win32Shell().startTaskManager() ? 0 : 1;
}

} // namespace

void addShellTests()
{
    const struct
    {
        const char *name;
        std::vector<std::u16string> arguments;
    } rows[] = {
        {"plain", {u"one", u"two"}},
        {"blanks", {u"with blank", u"tab\there"}},
        {"quotes", {u"say \"hi\"", u"\"", u"a\\\"b"}},
        {"backslashes", {u"C:\\Program Files\\", u"end\\\\", u"\\\\server\\share"}},
        {"empty", {u"", u"after empty"}},
        {"beyond ASCII", {u"\u00dcmlaut", u"\u65e5\u672c", u"\U0001F600"}},
        {"shell characters", {u"a&b|c<d>e^f%PATH%"}},
    };
    for (const auto &row : rows)
        add(std::string("shell: arguments arrive unchanged: ") + row.name,
            [name = std::string(row.name), arguments = row.arguments] {
                return argumentsArriveUnchanged(name, arguments);
            });
    add("shell: without a folder the program starts in the launcher's", startsInTheLaunchersFolder);
    add("shell: a missing program is refused", [] { return startRefused(u"\"C:\\\\no\\\\such.exe\"", u""); });
    add("shell: no program is refused", [] { return startRefused(u"\"\"", u""); });
    add("shell: a missing folder is refused",
        [] { return startRefused(runnerPath(), temporaryFolder() + u"no such folder"); });
    add("shell: open runs in the folder given", shellOpensInTheFolder);
    add("shell: opening a missing file is refused",
        [] { return shellOpenRefused(u'"' + temporaryFolder() + u"absent.txt\""); });
    add("shell: opening nothing is refused", [] { return shellOpenRefused(u""); });
    add("shell: the task manager is taskmgr.exe", taskManagerIsStarted);
    const struct
    {
        const char *name;
        std::u16string program;
        bool expected;
    } programs[] = {{"this runner", runnerPath(), true},
                    {"this runner, quoted", u'"' + runnerPath() + u'"', true},
                    {"a bare name on the search path", u"cmd", true},
                    {"a bare name found nowhere", u"no-such-program-anywhere", false},
                    {"a missing path", u"C:\\no\\such.exe", false},
                    {"a folder", temporaryFolder(), false},
                    {"nothing", u"", false},
                    {"empty quotes", u"\"\"", false}};
    for (const auto &row : programs)
        add(std::string("lookup: program, ") + row.name, [row] { return programLookup(row.program, row.expected); });
    const struct
    {
        const char *name;
        std::u16string file;
        std::u16string folder;
        bool expected;
    } documents[] = {{"in the folder given", u"letter.txt", u'"' + temporaryFolder() + u'"', true},
                     {"a full path", temporaryFolder() + u"letter.txt", u"", true},
                     {"a folder", temporaryFolder(), u"", true},
                     {"missing", u"absent.txt", temporaryFolder(), false},
                     {"a web address", u"https://example.org/", u"", true},
                     {"an address of any scheme", u"\"steam://rungameid/440\"", u"", true},
                     {"a drive is no scheme", u"c:nowhere.txt", temporaryFolder(), false},
                     {"nothing after the scheme", u"steam:", temporaryFolder(), false},
                     {"a file address", u"file:///" + temporaryFolder() + u"letter.txt", u"", true},
                     {"nothing", u"", u"", false}};
    for (const auto &row : documents)
        add(std::string("lookup: document, ") + row.name,
            [row] { return documentLookup(row.file, row.folder, row.expected); });
    const struct
    {
        const char *name;
        std::u16string role;
        std::u16string expected;
    } roles[] = {{"a terminal is Windows' own", u"terminal", u"cmd.exe"},
                 {"an unknown role", u"coffee-maker", u""},
                 {"a role of 10,000 characters", std::u16string(10000, u'w'), u""},
};
    for (const auto &row : roles)
        add(std::string("roles: ") + row.name, [row] { return roleLookup(row.role, row.expected); });
    add("roles: the program of the role's file type", [] { return associatedRole(runnerPath(), u"tests.exe"); });
    add("roles: an association to a missing program", [] { return associatedRole(u"C:\\no\\such.exe", u""); });
    addRole("record", recordChild);
    addRole("task-manager", taskManagerChild);
}

} // namespace runner
