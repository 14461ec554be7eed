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
//
// The store's generation is a REG_QWORD of its own, STORE_GENERATION under the key given
// (beside the language trees, so no export carries it). It moves on before the first write
// of each scope, so that a write that lands is never unseen, not even when its process dies
// right after it; a write outside a scope is a scope of its own, taking its turn like the
// others. A missing value starts again from a random number. Writes by other programs
// (regedit, reg.exe) do not move it.
class Win32Registry : public Registry
{
public:
    // `scopeLockName` names the mutex the scopes take turns with; the generation is kept
    // under `generationRoot`\`generationPath`.
    explicit Win32Registry(const std::u16string &scopeLockName = u"Local\\lumbra-registry-scope",
                           RegKey generationRoot = kLocalMachine,
                           const std::u16string &generationPath = u"Software\\ORTAN\\Lumbra");
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
    long generation(std::uint64_t *value) override;
    // The registry's own structure is Windows' to keep: there is nothing to check here.
    long checkStore(std::string *problem) override;

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
    long moveGeneration();
    template <class Write>
    long alone(Write write);

    std::u16string scopeLockName;
    RegKey generationRoot;
    std::u16string generationPath;
    // The generation was moved on in the current scope.
    bool generationMoved = false;
    void *scopeLock = nullptr;
    bool scopeLockOwned = false;
    std::set<RegKey> handles;
    int scopeDepth = 0;
    bool readScope = false;
    // The first refusal inside the current scope; kErrorSuccess while it is sound.
    long scopeFailure = 0;
};

} // namespace platform
