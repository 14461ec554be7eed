#pragma once

#include "platform/Registry.h"

#include <set>
#include <string>

namespace platform {

// The Windows registry through advapi32, handle for handle: a RegKey is the HKEY itself,
// and the predefined roots are advapi32's own. Paths are checked against the registry's
// limits here, so that every system refuses the same names with the same code.
//
// Windows has no transactions for the registry that a program may rely on, so a scope is
// weaker here than on POSIX (see Registry::beginScope): each write lands when it is made.
// What a scope keeps: a refused write spoils it and nothing more is written in it; scopes
// of every Lumbra process on the desktop take turns through one named mutex, so that no
// launcher loads the settings half-way through another one's save or import.
class Win32Registry : public Registry
{
public:
    // `scopeLockName` names the mutex the scopes take turns with.
    explicit Win32Registry(const std::u16string &scopeLockName = u"Local\\lumbra-registry-scope");
    ~Win32Registry() override;
    Win32Registry(const Win32Registry &) = delete;
    Win32Registry &operator=(const Win32Registry &) = delete;

    long openKey(RegKey parent, const std::u16string &path, RegKey *result) override;
    long createKey(RegKey parent, const std::u16string &path, RegKey *result) override;
    long closeKey(RegKey key) override;
    long setValue(RegKey key, const std::u16string &name, std::uint32_t type,
                  const std::uint8_t *data, std::uint32_t size) override;
    long queryValue(RegKey key, const std::u16string &name, std::uint32_t *type,
                    std::uint8_t *data, std::uint32_t *size) override;
    long deleteValue(RegKey key, const std::u16string &name) override;
    long deleteTree(RegKey parent, const std::u16string &path) override;
    long enumKeys(RegKey key, std::vector<std::u16string> *names) override;
    long enumValues(RegKey key, std::vector<RegValue> *values) override;
    long beginScope() override;
    long beginReadScope() override;
    long commitScope() override;

    // How long a scope waits for another process's scope before it answers kErrorBusy.
    static constexpr unsigned kScopeWaitMs = 10000;

private:
    long nativeKey(RegKey key, void **hkey) const;
    long openNative(void *parent, const std::u16string &path, RegKey *result);
    RegKey remember(void *hkey);
    long openScope(bool write);
    long writeRefused();
    long endWrite(long status);
    long endRead(long status);
    void spoilScope(long status);

    std::u16string scopeLockName;
    void *scopeLock = nullptr;
    bool scopeLockOwned = false;
    std::set<RegKey> handles;
    int scopeDepth = 0;
    bool readScope = false;
    // The first refusal inside the current scope; kErrorSuccess while it is sound.
    long scopeFailure = 0;
};

} // namespace platform
