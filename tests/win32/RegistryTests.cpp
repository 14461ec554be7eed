// The registry backend against the shared contract, and what only Windows shows: the
// predefined roots, the handles advapi32 reads, and how the scopes of two processes meet.

#include "Runner.h"

#include "RegistryContract.h"
#include "platform/win32/Win32Registry.h"

namespace runner {

namespace {

using namespace platform;

// Every key the tests make lies under this one, in the user's hive: a fresh Wine prefix is
// a temporary folder, and on Windows the key is removed again at the end.
std::u16string testKeyPath()
{
    return u"Software\\LumbraTests\\" + utf16(std::to_string(GetCurrentProcessId()));
}

// The backend with its generation kept under the test key instead of beside the settings.
class TestRegistry : public Win32Registry
{
public:
    TestRegistry()
        : Win32Registry(u"Local\\lumbra-registry-scope", kCurrentUser, testKeyPath() + u"\\Generation")
    {
    }
};

std::u16string caseKeyPath(std::size_t index)
{
    return testKeyPath() + u"\\" + utf16(std::to_string(index));
}

std::string contractCase(std::size_t index)
{
    TestRegistry registry;
    RegKey root = kNoKey;
    EXPECT_EQ(registry.createKey(kCurrentUser, caseKeyPath(index), &root), kErrorSuccess);
    // Windows gives values back in the order they were made (though it promises no order);
    // Wine keeps them sorted by name (server/registry.c), so there only the set is compared.
    const contract::Backend backend{registry, root, false, !underWine()};
    const std::string failed = contract::runCase(contract::registryCases()[index], backend);
    registry.closeKey(root);
    registry.deleteTree(kCurrentUser, caseKeyPath(index));
    return failed.empty() ? std::string() : failure(__FILE__, __LINE__, failed);
}

// kLocalMachine is 0x80000002, HKEY_LOCAL_MACHINE the same number sign-extended: a backend
// that passed the number on would reach no key at all on 64-bit Windows.
std::string predefinedRootsAreWindowsOwn()
{
    TestRegistry registry;
    for (const RegKey root : {kCurrentUser, kLocalMachine}) {
        const HKEY native = root == kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        RegKey key = kNoKey;
        const std::u16string path = testKeyPath() + u"\\Root";
        EXPECT_EQ(registry.createKey(root, path, &key), kErrorSuccess);
        const std::uint8_t bytes[] = {'L', 0, 'u', 0};
        EXPECT_EQ(registry.setValue(key, u"Name", kRegSz, bytes, 4), kErrorSuccess);
        HKEY opened = nullptr;
        EXPECT_EQ(RegOpenKeyExW(native, wide(path), 0, KEY_READ, &opened), LONG(ERROR_SUCCESS));
        DWORD type = 0;
        BYTE read[8] = {};
        DWORD size = sizeof read;
        EXPECT_EQ(RegQueryValueExW(opened, L"name", nullptr, &type, read, &size), LONG(ERROR_SUCCESS));
        RegCloseKey(opened);
        EXPECT_EQ(type, DWORD(REG_SZ));
        EXPECT_EQ(std::string(reinterpret_cast<char *>(read), size), std::string("L\0u\0", 4));
        registry.closeKey(key);
        EXPECT_EQ(registry.deleteTree(root, testKeyPath()), kErrorSuccess);
    }
    return std::string();
}

// A value written outside the backend, as reg.exe or an installer writes it, reads back
// through it byte for byte.
std::string readsWhatOthersWrote()
{
    const std::u16string path = testKeyPath() + u"\\Foreign";
    HKEY native = nullptr;
    EXPECT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, wide(path), &native), LONG(ERROR_SUCCESS));
    const wchar_t text[] = L"%WINDIR%\\system32";
    RegSetValueExW(native, L"Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(text), sizeof text);
    RegCloseKey(native);
    TestRegistry registry;
    RegKey key = kNoKey;
    EXPECT_EQ(registry.openKey(kCurrentUser, path, &key), kErrorSuccess);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(registry.queryValue(key, u"PATH", &type, nullptr, &size), kErrorSuccess);
    EXPECT_EQ(type, kRegExpandSz);
    EXPECT_EQ(size, std::uint32_t(sizeof text));
    registry.closeKey(key);
    registry.deleteTree(kCurrentUser, path);
    return std::string();
}

// A text whose size leaves out its terminating NUL is stored as given, although the NUL
// follows it in memory, where RegSetValueExW would count it in.
std::string textsKeepTheSizeGiven()
{
    TestRegistry registry;
    RegKey key = kNoKey;
    EXPECT_EQ(registry.createKey(kCurrentUser, testKeyPath() + u"\\Text", &key), kErrorSuccess);
    const char16_t text[] = u"ab";
    for (const std::uint32_t type : {kRegSz, kRegExpandSz, kRegMultiSz}) {
        EXPECT_EQ(registry.setValue(key, u"v", type, reinterpret_cast<const std::uint8_t *>(text), 4), kErrorSuccess);
        std::uint32_t size = 0;
        EXPECT_EQ(registry.queryValue(key, u"v", nullptr, nullptr, &size), kErrorSuccess);
        EXPECT_EQ(size, 4u);
    }
    registry.closeKey(key);
    return std::string();
}

constexpr wchar_t kReaderReady[] = L"Local\\lumbra-tests-reader-ready";

// A read scope in another process, begun while this one's write scope is open, sees the
// state after that scope's commit: both values, never only the first.
std::string scopesOfTwoProcessesTakeTurns()
{
    const std::u16string path = testKeyPath() + u"\\Turns";
    TestRegistry registry;
    RegKey key = kNoKey;
    EXPECT_EQ(registry.createKey(kCurrentUser, path, &key), kErrorSuccess);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kReaderReady);
    EXPECT(ready != nullptr);
    EXPECT_EQ(registry.beginScope(), kErrorSuccess);
    const std::uint8_t one = 1;
    registry.setValue(key, u"first", kRegBinary, &one, 1);
    Child reader(childArguments("read-scope", {path}));
    EXPECT(reader.started());
    const bool readerWaits = WaitForSingleObject(ready, 30000) == WAIT_OBJECT_0;
    // Time for the reader to reach its scope; should it come later, it finds the scope
    // committed and the check holds all the same.
    Sleep(300);
    registry.setValue(key, u"second", kRegBinary, &one, 1);
    EXPECT_EQ(registry.commitScope(), kErrorSuccess);
    CloseHandle(ready);
    EXPECT(readerWaits);
    EXPECT_EQ(reader.wait(), 11);
    registry.closeKey(key);
    registry.deleteTree(kCurrentUser, path);
    return std::string();
}

int readScope(const std::vector<std::u16string> &arguments)
{
    TestRegistry registry;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, kReaderReady);
    if (!ready)
        return 100;
    SetEvent(ready);
    CloseHandle(ready);
    if (registry.beginReadScope() != kErrorSuccess)
        return 101;
    RegKey key = kNoKey;
    registry.openKey(kCurrentUser, arguments.at(0), &key);
    std::uint32_t size = 0;
    const bool first = registry.queryValue(key, u"first", nullptr, nullptr, &size) == kErrorSuccess;
    const bool second = registry.queryValue(key, u"second", nullptr, nullptr, &size) == kErrorSuccess;
    if (registry.commitScope() != kErrorSuccess)
        return 102;
    return (first ? 10 : 0) + (second ? 1 : 0);
}

// The holder of a scope died without ending it: the next scope begins all the same.
std::string scopeOfADeadProcessIsTakenOver()
{
    EXPECT_EQ(runChild(childArguments("abandon-scope")), 0);
    TestRegistry registry;
    EXPECT_EQ(registry.beginScope(), kErrorSuccess);
    EXPECT_EQ(registry.commitScope(), kErrorSuccess);
    return std::string();
}

int abandonScope(const std::vector<std::u16string> &)
{
    static TestRegistry registry;
    if (registry.beginScope() != kErrorSuccess)
        return 1;
    ExitProcess(0);
}

std::string testKeysAreRemoved()
{
    TestRegistry registry;
    const long status = registry.deleteTree(kCurrentUser, testKeyPath());
    EXPECT(status == kErrorSuccess || status == kErrorFileNotFound);
    RegKey key = kNoKey;
    EXPECT_EQ(registry.openKey(kCurrentUser, testKeyPath(), &key), kErrorFileNotFound);
    return std::string();
}

} // namespace

void addRegistryTests()
{
    const std::vector<contract::Case> &cases = contract::registryCases();
    for (std::size_t index = 0; index < cases.size(); ++index)
        add(std::string("registry contract: ") + cases[index].name, [index] { return contractCase(index); });
    add("registry: the predefined roots are Windows' own", predefinedRootsAreWindowsOwn);
    add("registry: values others wrote read back", readsWhatOthersWrote);
    add("registry: texts keep the size given", textsKeepTheSizeGiven);
    add("registry: scopes of two processes take turns", scopesOfTwoProcessesTakeTurns);
    add("registry: the scope of a dead process is taken over", scopeOfADeadProcessIsTakenOver);
    add("registry: the test keys are removed", testKeysAreRemoved);
    addRole("read-scope", readScope);
    addRole("abandon-scope", abandonScope);
}

} // namespace runner
