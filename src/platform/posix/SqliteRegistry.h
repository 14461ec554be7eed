#pragma once

#include "ValueMirror.h"
#include "platform/Registry.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER kept in one SQLite file. Names are stored as their
// exact UTF-16 code units beside a case-folded copy that lookups use, so a name keeps the case
// it was created with while any spelling finds it. The file runs in WAL mode with a busy
// timeout, so a second launcher or an import may use it at the same time: writers take turns,
// readers read a snapshot and wait for nobody. Key ids are never reused, so a handle to a
// deleted key answers kErrorKeyDeleted for ever instead of reaching a newer key.
//
// No connection is held between scopes: each scope (and each call outside one) opens the
// file at its path and closes it again, and the last connection to close folds the WAL back
// into the file and removes it. A store copied or moved over the file while a launcher runs
// is then simply the store from the next scope on, for every process, never a mix of the
// two files. Reading never creates, upgrades or converts anything: a missing file reads as
// an empty store, and a store in a folder or on a file system that cannot be written is read
// without the WAL's shared memory (as an immutable file). A store in memory (":memory:") is
// this object's alone and stays open.
class SqliteRegistry : public Registry
{
public:
    explicit SqliteRegistry(const std::string &databasePath);
    ~SqliteRegistry() override;
    SqliteRegistry(const SqliteRegistry &) = delete;
    SqliteRegistry &operator=(const SqliteRegistry &) = delete;

    long openKey(RegKey parent, const std::u16string &path, RegKey *result) override;
    long createKey(RegKey parent, const std::u16string &path, RegKey *result) override;
    long closeKey(RegKey key) override;
    // Handles opened and not closed yet: one forgotten on a path taken again and again grows
    // a launcher that runs for months.
    std::size_t openKeyCount() const { return handles.size(); }
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
    long checkStore(std::string *problem) override;

    // A store in memory made empty again, as a new one would be, on the same connection and
    // its prepared statements: a fuzzer starts every input from one. Every handle is closed.
    // A store in a file, or one inside a scope, is left as it is (kErrorInvalidParameter).
    long emptyMemoryStore();

private:
    class Statement;

    template <class Call>
    long inScope(bool write, Call call);
    long openStore(bool write);
    bool inMemory() const;
    bool openFile(const std::string &name, int flags);
    bool openImmutable();
    long openEmptyFile();
    long openStandIn();
    void closeStore();
    std::string prepareSchema(bool write, bool *layoutProblem);
    std::string upgradeSchema(int version);
    bool tablesUsable(int version);
    void followStoreIdentity();
    void reportOnce(const std::string &line);
    bool execute(const char *sql);
    bool run(const char *sql);
    sqlite3_stmt *prepared(const char *sql);
    long failed(int sqliteResult);
    long keyIdOf(RegKey key, std::int64_t *id);
    long keyCallParent(RegKey parent, RegKey *result, std::int64_t *parentId);
    long resolveKey(std::int64_t parent, const std::u16string &path, bool create, std::int64_t *id);
    std::size_t sharedComponents(const std::u16string &path) const;
    long childKey(std::int64_t parent, const std::u16string &name, bool create, std::int64_t *id);
    bool keyExists(std::int64_t id);
    long loadChildren(std::int64_t parent);
    bool scopeHoldsStore() const;
    void remember(std::int64_t parent, const std::u16string &folded, std::int64_t id);
    void forgetKeys();
    long mirrorValues(std::int64_t key);
    long mirrorAllValues();
    RegKey newHandle(std::int64_t id);
    long openScope(bool write);
    long writeRefused();
    void spoilScope(long status);
    void forgetVanishedKeys();
    long endWrite(long status);
    long noteChange(bool changed);
    long openKeyInScope(RegKey parent, const std::u16string &path, RegKey *result);
    long createKeyInScope(RegKey parent, const std::u16string &path, RegKey *result);
    long setValueInScope(RegKey key, const std::u16string &name, std::uint32_t type,
                         const std::uint8_t *data, std::uint32_t size);
    long queryValueInScope(RegKey key, const std::u16string &name, std::uint32_t *type,
                           std::uint8_t *data, std::uint32_t *size);
    long deleteValueInScope(RegKey key, const std::u16string &name);
    long deleteTreeInScope(RegKey parent, const std::u16string &path);
    long enumKeysInScope(RegKey key, std::vector<std::u16string> *names);
    long enumValuesInScope(RegKey key, std::vector<RegValue> *values);
    long generationInScope(std::uint64_t *value);
    long checkStoreInScope(std::string *problem);

    std::string databasePath;
    // Open only while a scope is.
    sqlite3 *db = nullptr;
    // The layout version of the open file; the stand-in for a missing file has the current one.
    int layoutVersion = 0;
    // No file at the path: the scope reads an empty store kept in memory.
    bool standIn = false;
    std::map<const char *, sqlite3_stmt *> statements;
    std::map<RegKey, std::int64_t> handles;
    RegKey nextHandle = 0x1000;
    int scopeDepth = 0;
    bool readScope = false;
    // The first refusal inside the current scope; kErrorSuccess while it is sound.
    long scopeFailure = 0;
    // The generation was moved on in the current scope.
    bool generationMoved = false;
    // The identity of the store file the handles belong to (0 while none was seen).
    std::int64_t storeIdentity = 0;
    // A check of this store failed: nothing is written into it.
    bool failedCheck = false;
    std::string lastReport;
    // What this scope has read of the store, kept until the scope ends, its own writes
    // included: the keys found by parent and folded name, every key known to exist, the
    // parents whose every child is in keyCache, and the values read.
    struct ChildHash
    {
        std::size_t operator()(const std::pair<std::int64_t, std::u16string> &child) const
        {
            return std::hash<std::u16string>()(child.second) ^ std::hash<std::int64_t>()(child.first) * 31;
        }
    };
    // Hashed: a large tree is looked up once per component of every path it is read along.
    std::unordered_map<std::pair<std::int64_t, std::u16string>, std::int64_t, ChildHash> keyCache;
    std::unordered_set<std::int64_t> knownKeys;
    std::unordered_set<std::int64_t> listedParents;
    ValueMirror mirror;
    // The path resolved last, its components and their keys: a tree is read and written in
    // order, and the next path mostly differs from it in its last component only.
    std::int64_t cursorParent = 0;
    std::u16string cursorPath;
    std::vector<std::pair<std::size_t, std::size_t>> cursorSpans;
    std::vector<std::int64_t> cursorIds;
    // The keys whose values this scope read one by one.
    int keysMirrored = 0;
    // Room for the folded name a read looks for.
    std::u16string nameScratch;
};

} // namespace platform
