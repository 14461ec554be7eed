#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER kept in one SQLite file. Names are stored as their
// exact UTF-16 code units beside a case-folded copy that lookups use, so a name keeps the case
// it was created with while any spelling finds it. The file runs in WAL mode with a busy
// timeout, so a second launcher or an import may use it at the same time: writers take turns,
// readers read a snapshot and wait for nobody. Key ids are never reused, so a handle to a
// deleted key answers kErrorKeyDeleted for ever instead of reaching a newer key.
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

private:
    class Statement;

    bool ensureOpen();
    void reopenIfMoved();
    void closeStore();
    std::string prepareSchema();
    std::string upgradeSchema();
    bool tablesUsable();
    bool execute(const char *sql);
    sqlite3_stmt *prepared(const char *sql);
    long failed(int sqliteResult);
    long keyIdOf(RegKey key, std::int64_t *id);
    long keyCallParent(RegKey parent, RegKey *result, std::int64_t *parentId);
    long resolveKey(std::int64_t parent, const std::u16string &path, bool create, std::int64_t *id);
    long childKey(std::int64_t parent, const std::u16string &name, bool create, std::int64_t *id);
    bool keyExists(std::int64_t id);
    bool scopeHoldsStore() const;
    void remember(std::int64_t parent, const std::u16string &folded, std::int64_t id);
    void forgetKeys();
    RegKey newHandle(std::int64_t id);
    long openScope(bool write);
    long writeRefused();
    void spoilScope(long status);
    void forgetVanishedKeys();
    long beginWrite(bool *ownTransaction);
    long endWrite(bool ownTransaction, long status);

    std::string databasePath;
    sqlite3 *db = nullptr;
    bool openFailed = false;
    std::map<const char *, sqlite3_stmt *> statements;
    std::map<RegKey, std::int64_t> handles;
    RegKey nextHandle = 0x1000;
    int scopeDepth = 0;
    bool readScope = false;
    // The first refusal inside the current scope; kErrorSuccess while it is sound.
    long scopeFailure = 0;
    std::map<std::pair<std::int64_t, std::u16string>, std::int64_t> keyCache;
    std::set<std::int64_t> knownKeys;
};

} // namespace platform
