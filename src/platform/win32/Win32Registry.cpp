#include "Win32Registry.h"

#include "Win32Text.h"

#include <windows.h>

#include <algorithm>

namespace platform {

namespace {

HKEY predefinedKey(RegKey key)
{
    switch (key) {
    case kClassesRoot:
        return HKEY_CLASSES_ROOT;
    case kCurrentUser:
        return HKEY_CURRENT_USER;
    case kLocalMachine:
        return HKEY_LOCAL_MACHINE;
    case kUsers:
        return HKEY_USERS;
    default:
        return nullptr;
    }
}

// The path as Windows takes it: empty components (a leading, doubled or trailing backslash)
// are dropped, as the POSIX store drops them, and a path beyond the registry's limits is
// refused before it reaches Windows, whose own answers to such names differ by version.
bool normalisedPath(const std::u16string &path, std::u16string *result)
{
    result->clear();
    if (holdsNul(path))
        return false;
    std::size_t depth = 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos)
            end = path.size();
        if (end > start) {
            if (end - start > kMaxKeyNameLength || ++depth > kMaxKeyDepth)
                return false;
            if (!result->empty())
                result->push_back(u'\\');
            result->append(path, start, end - start);
        }
        start = end + 1;
    }
    return true;
}

bool valueNameValid(const std::u16string &name)
{
    return name.size() <= kMaxValueNameLength && !holdsNul(name);
}

// Answers that describe the registry's contents rather than a failure of the store.
bool isAnswer(long status)
{
    switch (status) {
    case kErrorSuccess:
    case kErrorFileNotFound:
    case kErrorMoreData:
    case kErrorNoMoreItems:
    case kErrorKeyDeleted:
    case kErrorInvalidHandle:
    case kErrorInvalidParameter:
        return true;
    default:
        return false;
    }
}

long subKeyNames(HKEY key, std::vector<std::u16string> *names)
{
    // A key name is at most 255 characters; the buffer holds one more for the NUL.
    wchar_t name[kMaxKeyNameLength + 1];
    for (DWORD index = 0;; ++index) {
        DWORD length = kMaxKeyNameLength + 1;
        const LONG status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return kErrorSuccess;
        if (status != ERROR_SUCCESS)
            return status;
        names->push_back(fromWide(name, length));
    }
}

// One value by its index; the buffers grow when the value grew since they were sized.
long valueAt(HKEY key, DWORD index, std::vector<wchar_t> *name, std::vector<BYTE> *data, RegValue *value)
{
    for (;;) {
        DWORD nameLength = static_cast<DWORD>(name->size());
        DWORD size = static_cast<DWORD>(data->size());
        DWORD type = REG_NONE;
        const LONG status = RegEnumValueW(key, index, name->data(), &nameLength, nullptr, &type,
                                          data->data(), &size);
        if (status == ERROR_MORE_DATA) {
            name->resize(kMaxValueNameLength + 1);
            data->resize(std::max<std::size_t>(data->size() * 2, size));
            continue;
        }
        if (status != ERROR_SUCCESS)
            return status;
        value->name = fromWide(name->data(), nameLength);
        value->type = type;
        value->data.assign(data->begin(), data->begin() + size);
        return kErrorSuccess;
    }
}

// RegCreateKeyW makes at most 32 levels in one call: a deeper path is made in parts.
long createNative(HKEY parent, const std::u16string &path, HKEY *result)
{
    constexpr std::size_t kLevelsPerCall = 32;
    HKEY current = parent;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        for (std::size_t levels = 0; levels < kLevelsPerCall && end != std::u16string::npos; ++levels)
            end = path.find(u'\\', end == start ? start : end + 1);
        const std::u16string part = path.substr(start, end == std::u16string::npos ? end : end - start);
        HKEY next = nullptr;
        const LONG status = RegCreateKeyW(current, wide(part), &next);
        if (current != parent)
            RegCloseKey(current);
        if (status != ERROR_SUCCESS)
            return status;
        current = next;
        if (end == std::u16string::npos) {
            *result = current;
            return kErrorSuccess;
        }
        start = end + 1;
    }
}

// RegSetValueExW counts a terminating NUL that a text's size leaves out, when the character
// right after the data is one (Wine's advapi32 does the same: "yes NT does this"): it reads
// past the caller's buffer, and stores a byte count the caller did not give. A copy that
// ends in a character other than NUL keeps the bytes exactly as given.
std::vector<BYTE> exactBytes(std::uint32_t type, const std::uint8_t *data, std::uint32_t size)
{
    std::vector<BYTE> bytes(data, data + size);
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)
        bytes.insert(bytes.end(), 4, 0xff);
    // Windows reads no byte of a zero-length value, but wants a pointer all the same.
    if (bytes.empty())
        bytes.push_back(0);
    return bytes;
}

constexpr wchar_t kGenerationName[] = L"STORE_GENERATION";

// A start no other store is likely to have had: the counter, the clock and the process,
// mixed (splitmix64).
std::uint64_t freshGeneration()
{
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    std::uint64_t mixed = static_cast<std::uint64_t>(counter.QuadPart) ^ (GetTickCount64() << 20)
        ^ (static_cast<std::uint64_t>(GetCurrentProcessId()) << 40);
    mixed += 0x9e3779b97f4a7c15ull;
    mixed = (mixed ^ (mixed >> 30)) * 0xbf58476d1ce4e5b9ull;
    mixed = (mixed ^ (mixed >> 27)) * 0x94d049bb133111ebull;
    return mixed ^ (mixed >> 31);
}

// The stored generation, or 0 when there is none (or something else under its name).
LONG readGeneration(HKEY key, std::uint64_t *value)
{
    DWORD type = REG_NONE;
    DWORD size = sizeof *value;
    const LONG status = RegQueryValueExW(key, kGenerationName, nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
    if (status != ERROR_SUCCESS || type != REG_QWORD || size != sizeof *value)
        *value = 0;
    return status == ERROR_MORE_DATA ? ERROR_SUCCESS : status;
}

} // namespace

Win32Registry::Win32Registry(const std::u16string &scopeLockName, RegKey generationRoot,
                             const std::u16string &generationPath)
    : scopeLockName(scopeLockName)
    , generationRoot(generationRoot)
    , generationPath(generationPath)
{
}

Win32Registry::~Win32Registry()
{
    for (RegKey key : handles)
        RegCloseKey(reinterpret_cast<HKEY>(key));
    if (scopeLockOwned)
        ReleaseMutex(scopeLock);
    if (scopeLock)
        CloseHandle(scopeLock);
}

// A write outside a scope is a scope of its own.
template <class Write>
long Win32Registry::alone(Write write)
{
    const long begun = openScope(true);
    const long status = begun == kErrorSuccess ? write() : begun;
    const long committed = commitScope();
    return status != kErrorSuccess ? status : committed;
}

// Only handles this object gave out are passed on: a stray number could be a handle of
// something else in the process.
long Win32Registry::nativeKey(RegKey key, void **hkey) const
{
    if (HKEY root = predefinedKey(key)) {
        *hkey = root;
        return kErrorSuccess;
    }
    if (!handles.count(key))
        return kErrorInvalidHandle;
    *hkey = reinterpret_cast<HKEY>(key);
    return kErrorSuccess;
}

RegKey Win32Registry::remember(void *hkey)
{
    const auto key = reinterpret_cast<RegKey>(hkey);
    handles.insert(key);
    return key;
}

// RegOpenKeyExW with an empty path opens a new handle to the key itself, where
// RegCreateKeyW would hand back the very handle it was given.
long Win32Registry::openNative(void *parent, const std::u16string &path, RegKey *result)
{
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(static_cast<HKEY>(parent), wide(path), 0, KEY_ALL_ACCESS, &opened);
    if (status == ERROR_SUCCESS)
        *result = remember(opened);
    return status;
}

long Win32Registry::openKey(RegKey parent, const std::u16string &path, RegKey *result)
{
    if (!result)
        return kErrorInvalidParameter;
    *result = kNoKey;
    std::u16string normalised;
    if (!normalisedPath(path, &normalised))
        return kErrorInvalidParameter;
    void *parentKey = nullptr;
    const long status = nativeKey(parent, &parentKey);
    return endRead(status == kErrorSuccess ? openNative(parentKey, normalised, result) : status);
}

long Win32Registry::createKey(RegKey parent, const std::u16string &path, RegKey *result)
{
    if (scopeDepth == 0)
        return alone([&] { return createKey(parent, path, result); });
    if (!result)
        return kErrorInvalidParameter;
    *result = kNoKey;
    std::u16string normalised;
    if (!normalisedPath(path, &normalised))
        return endWrite(kErrorInvalidParameter);
    void *parentKey = nullptr;
    long status = nativeKey(parent, &parentKey);
    if (status != kErrorSuccess)
        return endWrite(status);
    // A key that exists already is opened, not written: a reader may do that too.
    status = openNative(parentKey, normalised, result);
    if (status != kErrorFileNotFound)
        return endWrite(status);
    status = writeRefused();
    if (status != kErrorSuccess)
        return status;
    status = moveGeneration();
    if (status != kErrorSuccess)
        return endWrite(status);
    HKEY created = nullptr;
    status = createNative(static_cast<HKEY>(parentKey), normalised, &created);
    if (status == ERROR_SUCCESS)
        *result = remember(created);
    return endWrite(status);
}

long Win32Registry::closeKey(RegKey key)
{
    if (predefinedKey(key))
        return kErrorSuccess;
    if (!handles.erase(key))
        return kErrorInvalidHandle;
    return RegCloseKey(reinterpret_cast<HKEY>(key));
}

long Win32Registry::setValue(RegKey key, const std::u16string &name, std::uint32_t type,
                             const std::uint8_t *data, std::uint32_t size)
{
    if (scopeDepth == 0)
        return alone([&] { return setValue(key, name, type, data, size); });
    if (!valueNameValid(name) || (size > 0 && !data))
        return endWrite(kErrorInvalidParameter);
    void *hkey = nullptr;
    long status = nativeKey(key, &hkey);
    if (status == kErrorSuccess)
        status = writeRefused();
    if (status != kErrorSuccess)
        return status == kErrorWriteFault ? status : endWrite(status);
    status = moveGeneration();
    if (status != kErrorSuccess)
        return endWrite(status);
    return endWrite(RegSetValueExW(static_cast<HKEY>(hkey), wide(name), 0, type, exactBytes(type, data, size).data(),
                                   size));
}

long Win32Registry::queryValue(RegKey key, const std::u16string &name, std::uint32_t *type,
                               std::uint8_t *data, std::uint32_t *size)
{
    if (data && !size)
        return kErrorInvalidParameter;
    if (holdsNul(name))
        return kErrorFileNotFound;
    void *hkey = nullptr;
    const long status = nativeKey(key, &hkey);
    if (status != kErrorSuccess)
        return status;
    DWORD nativeType = REG_NONE;
    DWORD nativeSize = size ? *size : 0;
    const LONG result = RegQueryValueExW(static_cast<HKEY>(hkey), wide(name), nullptr, &nativeType, data,
                                         size ? &nativeSize : nullptr);
    if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        if (type)
            *type = nativeType;
        if (size)
            *size = nativeSize;
    }
    return endRead(result);
}

long Win32Registry::deleteValue(RegKey key, const std::u16string &name)
{
    if (scopeDepth == 0)
        return alone([&] { return deleteValue(key, name); });
    if (holdsNul(name))
        return endWrite(kErrorFileNotFound);
    void *hkey = nullptr;
    long status = nativeKey(key, &hkey);
    if (status == kErrorSuccess)
        status = writeRefused();
    if (status != kErrorSuccess)
        return status == kErrorWriteFault ? status : endWrite(status);
    // A value that is not there is no change: the generation stays.
    if (RegQueryValueExW(static_cast<HKEY>(hkey), wide(name), nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND)
        return endWrite(kErrorFileNotFound);
    status = moveGeneration();
    if (status != kErrorSuccess)
        return endWrite(status);
    return endWrite(RegDeleteValueW(static_cast<HKEY>(hkey), wide(name)));
}

long Win32Registry::deleteTree(RegKey parent, const std::u16string &path)
{
    if (scopeDepth == 0)
        return alone([&] { return deleteTree(parent, path); });
    std::u16string normalised;
    if (!normalisedPath(path, &normalised))
        return endWrite(kErrorInvalidParameter);
    void *parentKey = nullptr;
    long status = nativeKey(parent, &parentKey);
    if (status == kErrorSuccess)
        status = writeRefused();
    if (status != kErrorSuccess)
        return status == kErrorWriteFault ? status : endWrite(status);
    HKEY tree = nullptr;
    status = RegOpenKeyExW(static_cast<HKEY>(parentKey), wide(normalised), 0, KEY_READ, &tree);
    if (status != ERROR_SUCCESS)
        return endWrite(status);
    RegCloseKey(tree);
    status = moveGeneration();
    if (status != kErrorSuccess)
        return endWrite(status);
    // Without a subkey RegDeleteTreeW empties the key and keeps it, as for a root.
    return endWrite(RegDeleteTreeW(static_cast<HKEY>(parentKey), wideOrNull(normalised)));
}

long Win32Registry::enumKeys(RegKey key, std::vector<std::u16string> *names)
{
    if (!names)
        return kErrorInvalidParameter;
    names->clear();
    void *hkey = nullptr;
    long status = nativeKey(key, &hkey);
    if (status != kErrorSuccess)
        return status;
    // RegEnumKeyExW on a deleted key answers "no more items"; the count says what it is.
    status = RegQueryInfoKeyW(static_cast<HKEY>(hkey), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        status = subKeyNames(static_cast<HKEY>(hkey), names);
    if (status != kErrorSuccess)
        names->clear();
    return endRead(status);
}

long Win32Registry::enumValues(RegKey key, std::vector<RegValue> *values)
{
    if (!values)
        return kErrorInvalidParameter;
    values->clear();
    void *hkey = nullptr;
    long status = nativeKey(key, &hkey);
    if (status != kErrorSuccess)
        return status;
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD largestData = 0;
    status = RegQueryInfoKeyW(static_cast<HKEY>(hkey), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              &count, &longestName, &largestData, nullptr, nullptr);
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(std::max<DWORD>(largestData, 1));
    for (DWORD index = 0; status == ERROR_SUCCESS; ++index) {
        RegValue value;
        status = valueAt(static_cast<HKEY>(hkey), index, &name, &data, &value);
        if (status == ERROR_SUCCESS)
            values->push_back(std::move(value));
    }
    if (status == ERROR_NO_MORE_ITEMS)
        status = kErrorSuccess;
    if (status != kErrorSuccess)
        values->clear();
    return endRead(status);
}

long Win32Registry::beginScope()
{
    return openScope(true);
}

long Win32Registry::beginReadScope()
{
    return openScope(false);
}

// A scope that cannot begin is still open, spoilt, until its one commit.
long Win32Registry::openScope(bool write)
{
    if (scopeDepth++ > 0) {
        if (write && readScope)
            spoilScope(kErrorAccessDenied);
        return scopeFailure;
    }
    readScope = !write;
    scopeFailure = kErrorSuccess;
    generationMoved = false;
    if (!scopeLock)
        scopeLock = CreateMutexW(nullptr, FALSE, wide(scopeLockName));
    if (!scopeLock) {
        spoilScope(static_cast<long>(GetLastError()));
        return scopeFailure;
    }
    // An abandoned mutex is ours all the same: its holder died, and what it wrote stays.
    switch (WaitForSingleObject(scopeLock, kScopeWaitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
        scopeLockOwned = true;
        break;
    case WAIT_TIMEOUT:
        spoilScope(kErrorBusy);
        break;
    default:
        spoilScope(static_cast<long>(GetLastError()));
        break;
    }
    return scopeFailure;
}

long Win32Registry::commitScope()
{
    if (scopeDepth == 0)
        return kErrorInvalidParameter;
    if (--scopeDepth > 0)
        return scopeFailure;
    if (scopeLockOwned)
        ReleaseMutex(scopeLock);
    scopeLockOwned = false;
    const long status = scopeFailure;
    scopeFailure = kErrorSuccess;
    readScope = false;
    return status;
}

void Win32Registry::spoilScope(long status)
{
    if (scopeDepth > 0 && scopeFailure == kErrorSuccess)
        scopeFailure = status;
}

// Inside a spoilt scope nothing more may land, and a scope for readers takes no writes.
long Win32Registry::writeRefused()
{
    if (scopeDepth == 0)
        return kErrorSuccess;
    if (scopeFailure != kErrorSuccess)
        return kErrorWriteFault;
    if (readScope) {
        spoilScope(kErrorAccessDenied);
        return kErrorAccessDenied;
    }
    return kErrorSuccess;
}

// A key or value that is not there is an answer, not a refusal.
long Win32Registry::endWrite(long status)
{
    if (status != kErrorSuccess && status != kErrorFileNotFound)
        spoilScope(status);
    return status;
}

// A read the store itself failed spoils a scope: what it read is no longer one state.
long Win32Registry::endRead(long status)
{
    if (!isAnswer(status))
        spoilScope(status);
    return status;
}

// Before the first write of a scope.
long Win32Registry::moveGeneration()
{
    if (generationMoved)
        return kErrorSuccess;
    HKEY key = nullptr;
    LONG status = RegCreateKeyW(predefinedKey(generationRoot), wide(generationPath), &key);
    if (status != ERROR_SUCCESS)
        return status;
    std::uint64_t value = 0;
    readGeneration(key, &value);
    value = value == 0 ? freshGeneration() : value + 1;
    status = RegSetValueExW(key, kGenerationName, 0, REG_QWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
    RegCloseKey(key);
    generationMoved = status == ERROR_SUCCESS;
    return status;
}

long Win32Registry::generation(std::uint64_t *value)
{
    if (!value)
        return kErrorInvalidParameter;
    *value = 0;
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(predefinedKey(generationRoot), wide(generationPath), 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return kErrorSuccess;
    if (status == ERROR_SUCCESS) {
        status = readGeneration(key, value);
        RegCloseKey(key);
    }
    return endRead(status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status);
}

long Win32Registry::checkStore(std::string *problem)
{
    if (!problem)
        return kErrorInvalidParameter;
    problem->clear();
    return kErrorSuccess;
}

} // namespace platform
