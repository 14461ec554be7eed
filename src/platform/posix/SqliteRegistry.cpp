#include "SqliteRegistry.h"

#include <QString>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {

constexpr std::int64_t kLocalMachineId = 1;
constexpr std::int64_t kCurrentUserId = 2;
// Version 2 never reuses a key id (AUTOINCREMENT); version 1 stores are brought up to it.
constexpr int kSchemaVersion = 2;
constexpr int kBusyTimeoutMs = 10000;

// Unicode simple case folding, as Windows compares names without regard to case for every
// script and not for A-Z alone.
std::u16string folded(const std::u16string &name)
{
    // Nearly every name is ASCII: fold those without a trip through Qt.
    std::u16string ascii(name);
    bool onlyAscii = true;
    for (char16_t &c : ascii) {
        if (c >= 0x80) {
            onlyAscii = false;
            break;
        }
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + (u'a' - u'A'));
    }
    if (onlyAscii)
        return ascii;
    const QString text = QString(reinterpret_cast<const QChar *>(name.data()),
                                 static_cast<qsizetype>(name.size())).toCaseFolded();
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

std::vector<std::u16string> pathComponents(const std::u16string &path)
{
    std::vector<std::u16string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos)
            end = path.size();
        if (end > start)
            components.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return components;
}

bool componentsValid(const std::vector<std::u16string> &components)
{
    if (components.size() > kMaxKeyDepth)
        return false;
    for (const std::u16string &component : components) {
        if (component.size() > kMaxKeyNameLength)
            return false;
    }
    return true;
}

void report(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

long statusOf(int sqliteResult)
{
    switch (sqliteResult & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return kErrorSuccess;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return kErrorBusy;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return kErrorAccessDenied;
    case SQLITE_NOMEM:
        return kErrorNotEnoughMemory;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return kErrorRegistryCorrupt;
    default:
        return kErrorRegistryIoFailed;
    }
}

const char *const kCreateTables[] = {
    "CREATE TABLE reg_keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
    " name BLOB NOT NULL, folded BLOB NOT NULL, UNIQUE(parent, folded))",
    "CREATE TABLE reg_values("
    " id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name BLOB NOT NULL,"
    " folded BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL,"
    " UNIQUE(key, folded))",
};

const char kInsertRoots[] =
    "INSERT OR IGNORE INTO reg_keys(id, parent, name, folded) VALUES"
    " (1, 0, CAST('HKEY_LOCAL_MACHINE' AS BLOB), CAST('hkey_local_machine' AS BLOB)),"
    " (2, 0, CAST('HKEY_CURRENT_USER' AS BLOB), CAST('hkey_current_user' AS BLOB))";

// Version 1 gave a new key the id of the last one deleted, and an import could leave keys and
// values that no path reaches. Only what the roots reach is carried over; the id counter
// starts past every id the old store ever handed out, orphans included.
const char *const kUpgradeFrom1[] = {
    "ALTER TABLE reg_keys RENAME TO reg_keys_v1",
    kCreateTables[0],
    "INSERT INTO reg_keys(id, parent, name, folded)"
    " WITH RECURSIVE reachable(id) AS (SELECT id FROM reg_keys_v1 WHERE id IN (1, 2) UNION"
    "  SELECT k.id FROM reg_keys_v1 k JOIN reachable r ON k.parent = r.id)"
    " SELECT id, parent, name, folded FROM reg_keys_v1 WHERE id IN reachable",
    kInsertRoots,
    "UPDATE sqlite_sequence SET seq = max(seq, (SELECT ifnull(max(id), 0) FROM reg_keys_v1),"
    " (SELECT ifnull(max(key), 0) FROM reg_values)) WHERE name = 'reg_keys'",
    "DELETE FROM reg_values WHERE key NOT IN (SELECT id FROM reg_keys)",
    "DROP TABLE reg_keys_v1",
};

} // namespace

// A cached prepared statement, reset and unbound when it goes out of use.
class SqliteRegistry::Statement
{
public:
    Statement(SqliteRegistry &registry, const char *sql)
        : handle(registry.prepared(sql))
    {
    }
    ~Statement()
    {
        if (handle) {
            sqlite3_reset(handle);
            sqlite3_clear_bindings(handle);
        }
    }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool valid() const { return handle != nullptr; }
    void bind(int index, std::int64_t value) { sqlite3_bind_int64(handle, index, value); }
    void bind(int index, const std::u16string &text)
    {
        bindBytes(index, text.data(), text.size() * sizeof(char16_t));
    }
    void bindBytes(int index, const void *data, std::size_t size)
    {
        // A zero-length blob must still be a blob, not NULL: the bytes of a value are exact.
        static const char empty = 0;
        sqlite3_bind_blob64(handle, index, size ? data : &empty, size, SQLITE_TRANSIENT);
    }
    int step() { return sqlite3_step(handle); }
    std::int64_t integer(int column) { return sqlite3_column_int64(handle, column); }
    std::u16string text(int column)
    {
        const auto *bytes = static_cast<const char16_t *>(sqlite3_column_blob(handle, column));
        const int size = sqlite3_column_bytes(handle, column);
        return bytes ? std::u16string(bytes, static_cast<std::size_t>(size) / sizeof(char16_t))
                     : std::u16string();
    }
    std::vector<std::uint8_t> bytes(int column)
    {
        const auto *data = static_cast<const std::uint8_t *>(sqlite3_column_blob(handle, column));
        const int size = sqlite3_column_bytes(handle, column);
        return data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>();
    }

private:
    sqlite3_stmt *handle;
};

SqliteRegistry::SqliteRegistry(const std::string &databasePath)
    : databasePath(databasePath)
{
}

SqliteRegistry::~SqliteRegistry()
{
    if (scopeDepth > 0 && db)
        execute("ROLLBACK");
    for (auto &entry : statements)
        sqlite3_finalize(entry.second);
    if (db)
        sqlite3_close_v2(db);
}

// The file is opened on first use, so that a process which never touches the registry
// never creates it, and a store that cannot be opened is reported once, not per call.
bool SqliteRegistry::ensureOpen()
{
    if (db)
        return true;
    if (openFailed)
        return false;
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(databasePath).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, ignored);
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(databasePath.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        report("registry: cannot open the settings store " + databasePath + ": "
               + (db ? sqlite3_errmsg(db) : "out of memory"));
        sqlite3_close_v2(db);
        db = nullptr;
        openFailed = true;
        return false;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    const std::string problem = prepareSchema();
    if (!problem.empty()) {
        report("registry: " + databasePath + " is not a usable settings store: " + problem);
        closeStore();
        openFailed = true;
        return false;
    }
    return true;
}

// A file deleted or replaced while the program runs would take every later write into a
// file nobody can open again, and report it stored. Between scopes the store follows its
// path instead: the next write makes the file anew there. Handles of the old file's keys
// are dropped, since the new file may give their ids to other keys.
void SqliteRegistry::reopenIfMoved()
{
    int moved = 0;
    if (!db || sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || !moved)
        return;
    report("registry: the settings store " + databasePath + " was deleted or replaced; using the file at that path now");
    closeStore();
    handles.clear();
    forgetKeys();
}

void SqliteRegistry::closeStore()
{
    for (auto &entry : statements)
        sqlite3_finalize(entry.second);
    statements.clear();
    sqlite3_close_v2(db);
    db = nullptr;
}

namespace {

int integerOf(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return -1;
    const int value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_finalize(statement);
    return value;
}

// The layout version and the number of schema objects, read as one snapshot: another process
// may be creating the tables at this very moment.
bool readLayout(sqlite3 *db, int *version, int *objects)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT (SELECT user_version FROM pragma_user_version),"
                           " (SELECT count(*) FROM sqlite_master)",
                           -1, &statement, nullptr) != SQLITE_OK)
        return false;
    const bool read = sqlite3_step(statement) == SQLITE_ROW;
    if (read) {
        *version = sqlite3_column_int(statement, 0);
        *objects = sqlite3_column_int(statement, 1);
    }
    sqlite3_finalize(statement);
    return read;
}

} // namespace

// Answers what makes the file unusable, or nothing. The layout is looked at before anything
// is written, so that a file of another kind is left exactly as it was.
std::string SqliteRegistry::prepareSchema()
{
    int version = 0;
    int objects = 0;
    if (!readLayout(db, &version, &objects))
        return sqlite3_errmsg(db);
    if (version > kSchemaVersion)
        return "it has an unknown layout (version " + std::to_string(version) + ")";
    if (version == 0 && objects != 0)
        return "it is a database of another kind";
    if (version > 0 && !tablesUsable())
        return "its tables are missing or damaged";
    // WAL lets readers go on while another process writes; FULL makes a committed save
    // survive a power cut, not only a killed process.
    if (!execute("PRAGMA journal_mode=WAL") || !execute("PRAGMA synchronous=FULL"))
        return sqlite3_errmsg(db);
    return version == kSchemaVersion ? std::string() : upgradeSchema();
}

// Creates the tables, or brings a version 1 store up to date, in one transaction: a second
// process that opens the store at the same moment waits and then finds it done.
std::string SqliteRegistry::upgradeSchema()
{
    if (!execute("BEGIN IMMEDIATE")) {
        // A version 1 store we may only read reads the same as a current one.
        if ((sqlite3_errcode(db) & 0xff) == SQLITE_READONLY && tablesUsable())
            return std::string();
        return sqlite3_errmsg(db);
    }
    bool done = true;
    switch (integerOf(db, "PRAGMA user_version")) {
    case 0:
        for (const char *sql : kCreateTables)
            done = done && execute(sql);
        done = done && execute(kInsertRoots);
        break;
    case 1:
        for (const char *sql : kUpgradeFrom1)
            done = done && execute(sql);
        break;
    default:
        break; // another process was quicker
    }
    const std::string setVersion = "PRAGMA user_version=" + std::to_string(kSchemaVersion);
    done = done && execute(setVersion.c_str()) && execute("COMMIT");
    if (done)
        return std::string();
    const std::string problem = sqlite3_errmsg(db);
    if (!sqlite3_get_autocommit(db))
        execute("ROLLBACK");
    return problem;
}

bool SqliteRegistry::tablesUsable()
{
    for (const char *sql : {"SELECT id, parent, name, folded FROM reg_keys LIMIT 0",
                            "SELECT id, key, name, folded, type, data FROM reg_values LIMIT 0"}) {
        sqlite3_stmt *statement = nullptr;
        const int result = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        sqlite3_finalize(statement);
        if (result != SQLITE_OK)
            return false;
    }
    return true;
}

bool SqliteRegistry::execute(const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

sqlite3_stmt *SqliteRegistry::prepared(const char *sql)
{
    auto found = statements.find(sql);
    if (found != statements.end())
        return found->second;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    statements.emplace(sql, statement);
    return statement;
}

// A failure of the store itself: whatever scope is open can no longer be whole.
long SqliteRegistry::failed(int sqliteResult)
{
    const long status = statusOf(sqliteResult);
    if (status != kErrorSuccess)
        spoilScope(status);
    return status;
}

long SqliteRegistry::keyIdOf(RegKey key, std::int64_t *id)
{
    if (scopeDepth == 0)
        reopenIfMoved();
    if (!ensureOpen())
        return kErrorRegistryIoFailed;
    if (key == kLocalMachine) {
        *id = kLocalMachineId;
        return kErrorSuccess;
    }
    if (key == kCurrentUser) {
        *id = kCurrentUserId;
        return kErrorSuccess;
    }
    const auto found = handles.find(key);
    if (found == handles.end())
        return kErrorInvalidHandle;
    *id = found->second;
    return kErrorSuccess;
}

bool SqliteRegistry::keyExists(std::int64_t id)
{
    if (id == kLocalMachineId || id == kCurrentUserId || knownKeys.count(id))
        return true;
    Statement query(*this, "SELECT 1 FROM reg_keys WHERE id = ?1");
    if (!query.valid()) {
        failed(sqlite3_errcode(db));
        return false;
    }
    query.bind(1, id);
    const int result = query.step();
    if (result != SQLITE_ROW && result != SQLITE_DONE)
        failed(result);
    return result == SQLITE_ROW;
}

long SqliteRegistry::childKey(std::int64_t parent, const std::u16string &name, bool create,
                              std::int64_t *id)
{
    const std::u16string key = folded(name);
    const bool cached = scopeHoldsStore();
    if (cached) {
        const auto found = keyCache.find({parent, key});
        if (found != keyCache.end()) {
            *id = found->second;
            return kErrorSuccess;
        }
    }
    Statement query(*this, "SELECT id FROM reg_keys WHERE parent = ?1 AND folded = ?2");
    if (!query.valid())
        return failed(sqlite3_errcode(db));
    query.bind(1, parent);
    query.bind(2, key);
    const int result = query.step();
    if (result == SQLITE_ROW) {
        *id = query.integer(0);
        if (cached)
            remember(parent, key, *id);
        return kErrorSuccess;
    }
    if (result != SQLITE_DONE)
        return failed(result);
    if (!create)
        return kErrorFileNotFound;
    Statement insert(*this, "INSERT INTO reg_keys(parent, name, folded) VALUES (?1, ?2, ?3)");
    if (!insert.valid())
        return failed(sqlite3_errcode(db));
    insert.bind(1, parent);
    insert.bind(2, name);
    insert.bind(3, key);
    const int inserted = insert.step();
    if (inserted != SQLITE_DONE)
        return failed(inserted);
    *id = sqlite3_last_insert_rowid(db);
    if (cached)
        remember(parent, key, *id);
    return kErrorSuccess;
}

// Inside a sound scope nobody else changes what this connection sees (a writer holds the
// write lock, a reader its snapshot), so what a lookup found stays true until the scope ends
// or this process deletes a tree.
bool SqliteRegistry::scopeHoldsStore() const
{
    return scopeDepth > 0 && scopeFailure == kErrorSuccess;
}

void SqliteRegistry::remember(std::int64_t parent, const std::u16string &folded, std::int64_t id)
{
    keyCache.emplace(std::make_pair(parent, folded), id);
    knownKeys.insert(id);
}

void SqliteRegistry::forgetKeys()
{
    keyCache.clear();
    knownKeys.clear();
}

long SqliteRegistry::resolveKey(std::int64_t parent, const std::u16string &path, bool create,
                                std::int64_t *id)
{
    const std::vector<std::u16string> components = pathComponents(path);
    if (!componentsValid(components))
        return kErrorInvalidParameter;
    if (!keyExists(parent))
        return kErrorKeyDeleted;
    std::int64_t current = parent;
    for (const std::u16string &component : components) {
        const long status = childKey(current, component, create, &current);
        if (status != kErrorSuccess)
            return status;
    }
    *id = current;
    return kErrorSuccess;
}

RegKey SqliteRegistry::newHandle(std::int64_t id)
{
    const RegKey handle = nextHandle;
    nextHandle += 4;
    handles.emplace(handle, id);
    return handle;
}

void SqliteRegistry::spoilScope(long status)
{
    if (scopeDepth == 0 || scopeFailure != kErrorSuccess)
        return;
    scopeFailure = status;
    // SQLite may have rolled the transaction back by itself (disk full, I/O error): what
    // was remembered in it may be gone.
    forgetKeys();
}

// Inside a spoilt scope nothing more may land, and a scope for readers takes no writes.
long SqliteRegistry::writeRefused()
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

// Keys created in a scope that was rolled back are gone, and their ids may be handed out
// again: handles to them must not come to address someone else's key.
void SqliteRegistry::forgetVanishedKeys()
{
    for (auto &entry : handles) {
        if (entry.second != 0 && !keyExists(entry.second))
            entry.second = 0; // no key has id 0
    }
}

// Outside a scope, a call that writes more than one row runs in a transaction of its own,
// so that it too lands whole or not at all.
long SqliteRegistry::beginWrite(bool *ownTransaction)
{
    *ownTransaction = false;
    if (scopeDepth > 0)
        return writeRefused();
    if (!execute("BEGIN IMMEDIATE"))
        return statusOf(sqlite3_errcode(db));
    *ownTransaction = true;
    return kErrorSuccess;
}

long SqliteRegistry::endWrite(bool ownTransaction, long status)
{
    // A key or value that is not there is an answer, not a refusal.
    if (status != kErrorSuccess && status != kErrorFileNotFound)
        spoilScope(status);
    if (!ownTransaction)
        return status;
    if (status == kErrorSuccess && execute("COMMIT"))
        return kErrorSuccess;
    const long failure = status != kErrorSuccess ? status : statusOf(sqlite3_errcode(db));
    if (!sqlite3_get_autocommit(db))
        execute("ROLLBACK");
    return failure;
}

// The common start of openKey and createKey: no handle yet, and the parent's key.
long SqliteRegistry::keyCallParent(RegKey parent, RegKey *result, std::int64_t *parentId)
{
    if (!result)
        return kErrorInvalidParameter;
    *result = kNoKey;
    return keyIdOf(parent, parentId);
}

long SqliteRegistry::openKey(RegKey parent, const std::u16string &path, RegKey *result)
{
    std::int64_t parentId = 0;
    long status = keyCallParent(parent, result, &parentId);
    std::int64_t id = 0;
    if (status == kErrorSuccess)
        status = resolveKey(parentId, path, false, &id);
    if (status == kErrorSuccess)
        *result = newHandle(id);
    return status;
}

long SqliteRegistry::createKey(RegKey parent, const std::u16string &path, RegKey *result)
{
    std::int64_t parentId = 0;
    long status = keyCallParent(parent, result, &parentId);
    std::int64_t id = 0;
    if (status == kErrorSuccess)
        status = resolveKey(parentId, path, false, &id);
    // Most keys exist already: look first, and take the write lock only to create one.
    if (status == kErrorFileNotFound) {
        bool own = false;
        status = beginWrite(&own);
        if (status == kErrorSuccess)
            status = resolveKey(parentId, path, true, &id);
        status = endWrite(own, status);
    } else if (status != kErrorSuccess) {
        status = endWrite(false, status);
    }
    if (status == kErrorSuccess)
        *result = newHandle(id);
    return status;
}

long SqliteRegistry::closeKey(RegKey key)
{
    if (key == kLocalMachine || key == kCurrentUser)
        return kErrorSuccess;
    return handles.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

long SqliteRegistry::setValue(RegKey key, const std::u16string &name, std::uint32_t type,
                              const std::uint8_t *data, std::uint32_t size)
{
    if (name.size() > kMaxValueNameLength || (size > 0 && !data))
        return endWrite(false, kErrorInvalidParameter);
    std::int64_t id = 0;
    long status = keyIdOf(key, &id);
    if (status == kErrorSuccess)
        status = writeRefused();
    if (status == kErrorSuccess && !keyExists(id))
        status = kErrorKeyDeleted;
    if (status != kErrorSuccess)
        return endWrite(false, status);
    // An unchanged value is not written again: re-importing the same file leaves the store
    // file as it was, byte for byte. The name keeps the case it was first created with.
    Statement upsert(*this,
                     "INSERT INTO reg_values(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5)"
                     " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data"
                     " WHERE type IS NOT excluded.type OR data IS NOT excluded.data");
    if (!upsert.valid())
        return endWrite(false, statusOf(sqlite3_errcode(db)));
    upsert.bind(1, id);
    upsert.bind(2, name);
    upsert.bind(3, folded(name));
    upsert.bind(4, static_cast<std::int64_t>(type));
    upsert.bindBytes(5, data, size);
    return endWrite(false, statusOf(upsert.step()));
}

long SqliteRegistry::queryValue(RegKey key, const std::u16string &name, std::uint32_t *type,
                                std::uint8_t *data, std::uint32_t *size)
{
    if (data && !size)
        return kErrorInvalidParameter;
    std::int64_t id = 0;
    const long status = keyIdOf(key, &id);
    if (status != kErrorSuccess)
        return status;
    Statement query(*this, "SELECT type, data FROM reg_values WHERE key = ?1 AND folded = ?2");
    if (!query.valid())
        return failed(sqlite3_errcode(db));
    query.bind(1, id);
    query.bind(2, folded(name));
    const int result = query.step();
    if (result == SQLITE_DONE)
        return keyExists(id) ? kErrorFileNotFound : kErrorKeyDeleted;
    if (result != SQLITE_ROW)
        return failed(result);
    const std::vector<std::uint8_t> stored = query.bytes(1);
    if (type)
        *type = static_cast<std::uint32_t>(query.integer(0));
    const auto needed = static_cast<std::uint32_t>(stored.size());
    if (!data) {
        if (size)
            *size = needed;
        return kErrorSuccess;
    }
    if (*size < needed) {
        *size = needed;
        return kErrorMoreData;
    }
    if (needed > 0)
        std::memcpy(data, stored.data(), needed);
    *size = needed;
    return kErrorSuccess;
}

long SqliteRegistry::deleteValue(RegKey key, const std::u16string &name)
{
    std::int64_t id = 0;
    long status = keyIdOf(key, &id);
    if (status == kErrorSuccess)
        status = writeRefused();
    if (status != kErrorSuccess)
        return endWrite(false, status);
    Statement remove(*this, "DELETE FROM reg_values WHERE key = ?1 AND folded = ?2");
    if (!remove.valid())
        return endWrite(false, statusOf(sqlite3_errcode(db)));
    remove.bind(1, id);
    remove.bind(2, folded(name));
    status = statusOf(remove.step());
    if (status == kErrorSuccess && sqlite3_changes(db) == 0)
        status = keyExists(id) ? kErrorFileNotFound : kErrorKeyDeleted;
    return endWrite(false, status);
}

long SqliteRegistry::deleteTree(RegKey parent, const std::u16string &path)
{
    std::int64_t parentId = 0;
    long status = keyIdOf(parent, &parentId);
    if (status != kErrorSuccess)
        return endWrite(false, status);
    bool own = false;
    status = beginWrite(&own);
    std::int64_t id = 0;
    if (status == kErrorSuccess)
        status = resolveKey(parentId, path, false, &id);
    // A root key stays; like RegDeleteTreeW without a subkey, only its contents go.
    const bool keepTop = id == kLocalMachineId || id == kCurrentUserId || pathComponents(path).empty();
    if (status == kErrorSuccess) {
        Statement values(*this,
                         "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
                         " SELECT reg_keys.id FROM reg_keys JOIN tree ON reg_keys.parent = tree.id)"
                         " DELETE FROM reg_values WHERE key IN tree");
        values.bind(1, id);
        status = values.valid() ? statusOf(values.step()) : statusOf(sqlite3_errcode(db));
    }
    if (status == kErrorSuccess) {
        Statement keys(*this,
                       "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
                       " SELECT reg_keys.id FROM reg_keys JOIN tree ON reg_keys.parent = tree.id)"
                       " DELETE FROM reg_keys WHERE id IN tree AND (id <> ?1 OR ?2 = 0)");
        keys.bind(1, id);
        keys.bind(2, keepTop ? 1 : 0);
        status = keys.valid() ? statusOf(keys.step()) : statusOf(sqlite3_errcode(db));
    }
    // Only now: the lookups above remembered the very keys that are gone.
    forgetKeys();
    return endWrite(own, status);
}

long SqliteRegistry::enumKeys(RegKey key, std::vector<std::u16string> *names)
{
    if (!names)
        return kErrorInvalidParameter;
    names->clear();
    std::int64_t id = 0;
    const long status = keyIdOf(key, &id);
    if (status != kErrorSuccess)
        return status;
    if (!keyExists(id))
        return kErrorKeyDeleted;
    Statement query(*this, "SELECT name FROM reg_keys WHERE parent = ?1 ORDER BY id");
    if (!query.valid())
        return failed(sqlite3_errcode(db));
    query.bind(1, id);
    int result = SQLITE_ROW;
    while ((result = query.step()) == SQLITE_ROW)
        names->push_back(query.text(0));
    return failed(result);
}

long SqliteRegistry::enumValues(RegKey key, std::vector<RegValue> *values)
{
    if (!values)
        return kErrorInvalidParameter;
    values->clear();
    std::int64_t id = 0;
    const long status = keyIdOf(key, &id);
    if (status != kErrorSuccess)
        return status;
    if (!keyExists(id))
        return kErrorKeyDeleted;
    Statement query(*this, "SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY id");
    if (!query.valid())
        return failed(sqlite3_errcode(db));
    query.bind(1, id);
    int result = SQLITE_ROW;
    while ((result = query.step()) == SQLITE_ROW)
        values->push_back({query.text(0), static_cast<std::uint32_t>(query.integer(1)), query.bytes(2)});
    return failed(result);
}

long SqliteRegistry::beginScope()
{
    return openScope(true);
}

long SqliteRegistry::beginReadScope()
{
    return openScope(false);
}

// A scope that cannot begin is still open, spoilt: the writes attempted in it are refused
// instead of landing one by one, and its end answers the failure.
long SqliteRegistry::openScope(bool write)
{
    if (scopeDepth++ > 0) {
        if (write && readScope)
            spoilScope(kErrorAccessDenied);
        return scopeFailure;
    }
    readScope = !write;
    scopeFailure = kErrorSuccess;
    reopenIfMoved();
    forgetKeys();
    if (!ensureOpen()) {
        spoilScope(kErrorRegistryIoFailed);
        return scopeFailure;
    }
    // IMMEDIATE takes the write lock now, waiting out another writer, instead of failing
    // half-way through the scope. A plain BEGIN in WAL mode reads one snapshot and locks
    // nobody out.
    if (execute(write ? "BEGIN IMMEDIATE" : "BEGIN"))
        return kErrorSuccess;
    spoilScope(statusOf(sqlite3_errcode(db)));
    return scopeFailure;
}

long SqliteRegistry::commitScope()
{
    if (scopeDepth == 0)
        return kErrorInvalidParameter;
    if (--scopeDepth > 0)
        return scopeFailure;
    forgetKeys();
    long status = scopeFailure;
    if (status == kErrorSuccess && !execute("COMMIT"))
        status = statusOf(sqlite3_errcode(db));
    if (db && !sqlite3_get_autocommit(db))
        execute("ROLLBACK");
    if (db && status != kErrorSuccess && !readScope)
        forgetVanishedKeys();
    scopeFailure = kErrorSuccess;
    readScope = false;
    return status;
}

} // namespace platform
