#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A small test runner without Qt, for the Windows backends of the platform seam: cases by
// name, each answering an empty text when it passed, "SKIP: why" when it could not run here,
// and what went wrong otherwise.
namespace runner {

using Check = std::function<std::string()>;

void add(const std::string &name, Check check);

std::string failure(const char *file, int line, const std::string &what);
std::string skip(const std::string &reason);

std::string shown(long long value);
std::string shown(unsigned long long value);
std::string shown(const std::string &value);
std::string shown(const std::u16string &value);
std::string shown(const char *value);
inline std::string shown(int value) { return shown(static_cast<long long>(value)); }
inline std::string shown(long value) { return shown(static_cast<long long>(value)); }
inline std::string shown(unsigned value) { return shown(static_cast<unsigned long long>(value)); }
inline std::string shown(unsigned long value) { return shown(static_cast<unsigned long long>(value)); }
inline std::string shown(bool value) { return value ? "true" : "false"; }

std::string utf8(const std::u16string &text);
std::u16string utf16(const std::string &text);
// The text as the wide string of the Windows calls, valid while the text is.
inline const wchar_t *wide(const std::u16string &text) { return reinterpret_cast<const wchar_t *>(text.c_str()); }

// Running under Wine rather than Windows: Wine's ntdll exports wine_get_version.
bool underWine();
// This run's own temporary folder, ending in a backslash; removed when the run ends.
const std::u16string &temporaryFolder();
std::u16string runnerPath();

std::string readFile(const std::u16string &path);
bool writeFile(const std::u16string &path, const std::string &bytes);
// Asks `ready` every 20 ms until it answers true or `limitMs` have passed.
bool waitFor(const std::function<bool()> &ready, unsigned limitMs = 30000);

// This runner (or its copy at `program`) started again as a child (`--child ROLE ...`),
// ended when the object goes.
class Child
{
public:
    explicit Child(const std::vector<std::u16string> &arguments, const std::u16string &program = runnerPath());
    ~Child();
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    bool started() const { return process != nullptr; }
    // The exit code, or -1 when the child did not end in time (it is then ended).
    int wait(unsigned limitMs = 60000);
    void kill();

private:
    HANDLE process = nullptr;
};

// Runs a child to its end and answers its exit code (-1: it did not end in time).
int runChild(const std::vector<std::u16string> &arguments, unsigned limitMs = 60000);

// Sets (or, with null, removes) an environment variable until the object goes.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const wchar_t *name, const wchar_t *value);
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    std::wstring name;
    std::wstring saved;
    bool wasSet = false;
};

// A part a child plays (`--child NAME ARGUMENTS...`), given the arguments after its name and
// answering the child's exit code; added beside the tests that start it.
using Role = std::function<int(const std::vector<std::u16string> &arguments)>;
void addRole(const std::string &name, Role role);
// The arguments that start this runner as a child in `role`.
std::vector<std::u16string> childArguments(const std::string &role, const std::vector<std::u16string> &more = {});

// The language cases, one per run of the runner (see SystemTests.cpp).
void listLanguageCases();
int checkLanguageCase(std::size_t index);

void addRegistryTests();
void addSystemTests();
void addShellTests();
void addWindowTests();

} // namespace runner

#define EXPECT(condition)                                                                      \
    do {                                                                                       \
        if (!(condition))                                                                      \
            return runner::failure(__FILE__, __LINE__, #condition);                            \
    } while (0)

#define EXPECT_EQ(actual, expected)                                                            \
    do {                                                                                       \
        const auto &actual_ = (actual);                                                        \
        const auto &expected_ = (expected);                                                    \
        if (!(actual_ == expected_))                                                           \
            return runner::failure(__FILE__, __LINE__,                                         \
                                   std::string(#actual) + ": expected " + runner::shown(expected_) \
                                       + ", got " + runner::shown(actual_));                    \
    } while (0)
