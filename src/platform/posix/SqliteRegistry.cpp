#include "SqliteRegistry.h"

#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {

constexpr std::int64_t kLocalMachineId = 1;
constexpr std::int64_t kCurrentUserId = 2;
// Version 2 never reuses a key id (AUTOINCREMENT); version 3 adds the store's identity and
// generation. Older stores are brought up to date by the first write scope, never by a reader.
constexpr int kSchemaVersion = 3;
constexpr int kBusyTimeoutMs = 10000;
// A scope that has read the values of this many keys one query each reads the rest at once.
constexpr int kKeysReadOneByOne = 8;
constexpr std::int64_t kLargestMirrored = 65536;

// Unicode simple case folding, as Windows compares names without regard to case for every
// script and not for A-Z alone. Into `out`, whose room is used again: a store is read name
// by name, thousands of them.
void foldInto(const std::u16string &name, std::u16string *out)
{
    // Nearly every name is ASCII: fold those without a trip through Qt.
    out->assign(name);
    for (char16_t &c : *out) {
        if (c >= 0x80) {
            const QString text = QString(reinterpret_cast<const QChar *>(name.data()),
                                         static_cast<qsizetype>(name.size())).toCaseFolded();
            out->assign(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<std::size_t>(text.size()));
            return;
        }
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + (u'a' - u'A'));
    }
}

std::u16string folded(const std::u16string &name)
{
    std::u16string out;
    foldInto(name, &out);
    return out;
}

using Span = std::pair<std::size_t, std::size_t>;

// The components of a key path from `from` on, as (start, length) in it: "\\" separates
// them, and empty ones (a leading, trailing or doubled separator) are no components.
void appendSpans(const std::u16string &path, std::size_t from, std::vector<Span> *spans)
{
    std::size_t start = from;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos)
            end = path.size();
        if (end > start)
            spans->emplace_back(start, end - start);
        start = end + 1;
    }
}

bool componentsValid(const std::vector<Span> &spans, std::size_t from)
{
    if (spans.size() > kMaxKeyDepth)
        return false;
    for (std::size_t i = from; i < spans.size(); ++i) {
        if (spans[i].second > kMaxKeyNameLength)
            return false;
    }
    return true;
}

// How many code units two texts share from their start, found with memcmp: a path is
// compared with the last one at every key of an import, and paths run 512 keys deep.
std::size_t commonLength(const std::u16string &a, const std::u16string &b)
{
    const auto same = [&](std::size_t length) {
        return std::memcmp(a.data(), b.data(), length * sizeof(char16_t)) == 0;
    };
    std::size_t low = 0;
    std::size_t high = std::min(a.size(), b.size());
    if (same(high))
        return high;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        (same(middle) ? low : high) = middle;
    }
    return low;
}

void report(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
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

// One row: a random identity given when the store is made (a copy keeps it), and the
// generation, drawn anew at every change so that two stores made apart never agree by chance.
const char kCreateState[] =
    "CREATE TABLE reg_state(id INTEGER PRIMARY KEY CHECK (id = 1), identity INTEGER NOT NULL,"
    " generation INTEGER NOT NULL)";
const char kInsertState[] = "INSERT INTO reg_state VALUES (1, random(), random())";

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
    bool isNull(int column) { return sqlite3_column_type(handle, column) == SQLITE_NULL; }
    std::int64_t integer(int column) { return sqlite3_column_int64(handle, column); }
    std::u16string text(int column)
    {
        const auto *bytes = static_cast<const char16_t *>(sqlite3_column_blob(handle, column));
        const int size = sqlite3_column_bytes(handle, column);
        return bytes ? std::u16string(bytes, static_cast<std::size_t>(size) / sizeof(char16_t))
                     : std::u16string();
    }
    // A column's UTF-16 code units or bytes as SQLite holds them, until the next step.
    const char16_t *units(int column, std::size_t *length)
    {
        const void *data = sqlite3_column_blob(handle, column);
        *length = static_cast<std::size_t>(sqlite3_column_bytes(handle, column)) / sizeof(char16_t);
        return static_cast<const char16_t *>(data);
    }
    const std::uint8_t *blob(int column, std::size_t *size)
    {
        const void *data = sqlite3_column_blob(handle, column);
        *size = static_cast<std::size_t>(sqlite3_column_bytes(handle, column));
        return static_cast<const std::uint8_t *>(data);
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

namespace {

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

// A layout this program can read: its own, an older one, or an empty file.
std::string layoutProblemOf(int version, int objects)
{
    if (version < 0 || version > kSchemaVersion)
        return "it has an unknown layout (version " + std::to_string(version) + ")";
    if (version == 0 && objects != 0)
        return "it is a database of another kind";
    return std::string();
}

// The file as a URI that opens it immutable: absolute, with the characters a URI gives a
// meaning of their own escaped.
std::string immutableUri(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    std::string uri = "file://";
    for (const char c : error ? path : absolute.string()) {
        if (c == '%' || c == '?' || c == '#') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

// Failures of a file, a folder or a file system that may not be written (the WAL's shared
// memory cannot be made there): such a store can still be read as an immutable file.
bool mayReadImmutable(int sqliteResult)
{
    switch (sqliteResult & 0xff) {
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_IOERR:
        return true;
    default:
        return false;
    }
}

// RegQueryValueExW's answer for a value found: its type, and its bytes when they fit.
long answerValue(std::uint32_t storedType, const std::uint8_t *stored, std::size_t storedSize,
                 std::uint32_t *type, std::uint8_t *data, std::uint32_t *size)
{
    if (type)
        *type = storedType;
    const auto needed = static_cast<std::uint32_t>(storedSize);
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
        std::memcpy(data, stored, needed);
    *size = needed;
    return kErrorSuccess;
}

} // namespace

SqliteRegistry::SqliteRegistry(const std::string &databasePath)
    : databasePath(databasePath)
{
}

SqliteRegistry::~SqliteRegistry()
{
    if (db && !sqlite3_get_autocommit(db))
        execute("ROLLBACK");
    closeStore();
}

// A call outside a scope is a scope of its own: the file is open only while the call runs.
template <class Call>
long SqliteRegistry::inScope(bool write, Call call)
{
    if (scopeDepth > 0)
        return call();
    const long begun = openScope(write);
    const long status = begun == kErrorSuccess ? call() : begun;
    const long committed = commitScope();
    return status != kErrorSuccess ? status : committed;
}

// Opens the file at the path for one scope. A writer creates it and brings its layout up to
// date; a reader changes nothing, and reads an empty store where there is no file.
long SqliteRegistry::openStore(bool write)
{
    // A store in memory is this object's alone: nobody can replace it, and closing it would
    // lose it. It stays open, and is made on first use, whoever uses it first.
    if (inMemory()) {
        if (db)
            return kErrorSuccess;
        write = true;
    }
    std::error_code error;
    // An error other than a missing file (a folder that may not be searched) is left to the
    // open, which says what it is.
    const std::filesystem::file_type kind = inMemory() ? std::filesystem::file_type::not_found
                                                       : std::filesystem::status(databasePath, error).type();
    if (kind == std::filesystem::file_type::not_found && !write)
        return openStandIn();
    // A named pipe or a device would hold the first read up for ever, or feed it without end.
    if (kind != std::filesystem::file_type::not_found && kind != std::filesystem::file_type::none
        && kind != std::filesystem::file_type::regular) {
        reportOnce("registry: " + databasePath + " is not a usable settings store: it is not a regular file");
        return kErrorRegistryIoFailed;
    }
    if (write) {
        const std::filesystem::path folder = std::filesystem::path(databasePath).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder, error);
    }
    const int flags = SQLITE_OPEN_READWRITE | (write ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    bool layoutProblem = false;
    const bool opened = openFile(databasePath, flags);
    std::string problem = opened ? prepareSchema(write, &layoutProblem) : std::string();
    if (opened && problem.empty())
        return layoutVersion == 0 ? openEmptyFile() : kErrorSuccess;
    const int result = db ? sqlite3_errcode(db) : SQLITE_NOMEM;
    if (problem.empty())
        problem = db ? sqlite3_errmsg(db) : "out of memory";
    closeStore();
    if (!write && !layoutProblem && mayReadImmutable(result) && openImmutable())
        return kErrorSuccess;
    if (layoutProblem) {
        reportOnce("registry: " + databasePath + " is not a usable settings store: " + problem);
        return kErrorRegistryIoFailed;
    }
    reportOnce("registry: cannot open the settings store " + databasePath + ": " + problem);
    const long status = statusOf(result);
    return status == kErrorSuccess ? kErrorRegistryIoFailed : status;
}

// A file, folder or file system that may not be written leaves no room for the WAL's shared
// memory: the store is read as an immutable file then, without it.
bool SqliteRegistry::openImmutable()
{
    bool layoutProblem = false;
    if (openFile(immutableUri(databasePath), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX)
        && prepareSchema(false, &layoutProblem).empty())
        return layoutVersion != 0 || openEmptyFile() == kErrorSuccess;
    closeStore();
    return false;
}

// An empty file holds an empty store: read as the stand-in.
long SqliteRegistry::openEmptyFile()
{
    closeStore();
    return openStandIn();
}

bool SqliteRegistry::inMemory() const
{
    return databasePath == ":memory:";
}

bool SqliteRegistry::openFile(const std::string &name, int flags)
{
    if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) != SQLITE_OK)
        return false;
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return true;
}

// No store at the path: an empty one in memory, so that reading finds nothing and makes no file.
long SqliteRegistry::openStandIn()
{
    bool made = openFile(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
    for (const char *sql : kCreateTables)
        made = made && execute(sql);
    made = made && execute(kInsertRoots);
    if (!made) {
        closeStore();
        return kErrorNotEnoughMemory;
    }
    standIn = true;
    layoutVersion = kSchemaVersion;
    return kErrorSuccess;
}

void SqliteRegistry::closeStore()
{
    for (auto &entry : statements)
        sqlite3_finalize(entry.second);
    statements.clear();
    sqlite3_close_v2(db);
    db = nullptr;
    standIn = false;
}

void SqliteRegistry::reportOnce(const std::string &line)
{
    if (line == lastReport)
        return;
    lastReport = line;
    report(line);
}

// Answers what makes the file unusable, or nothing; `layoutProblem` says whether the file
// is of another kind rather than out of reach. The layout is looked at before anything is
// written, so that a file of another kind is left exactly as it was.
std::string SqliteRegistry::prepareSchema(bool write, bool *layoutProblem)
{
    int version = 0;
    int objects = 0;
    if (!readLayout(db, &version, &objects)) {
        const int result = sqlite3_errcode(db) & 0xff;
        *layoutProblem = result == SQLITE_NOTADB || result == SQLITE_CORRUPT;
        return sqlite3_errmsg(db);
    }
    layoutVersion = version;
    std::string problem = layoutProblemOf(version, objects);
    if (problem.empty() && version > 0 && !tablesUsable(version))
        problem = "its tables are missing or damaged";
    *layoutProblem = !problem.empty();
    if (!problem.empty() || !write)
        return problem;
    // WAL lets readers go on while another process writes; FULL makes a committed save
    // survive a power cut, not only a killed process.
    if (!execute("PRAGMA journal_mode=WAL") || !execute("PRAGMA synchronous=FULL"))
        return sqlite3_errmsg(db);
    return version == kSchemaVersion ? std::string() : upgradeSchema(version);
}

// Creates the tables, or brings an older store up to date, in one transaction: a second
// process that opens the store at the same moment waits and then finds it done. The layout
// is read again under the lock, where nobody can change it any more.
std::string SqliteRegistry::upgradeSchema(int version)
{
    if (!execute("BEGIN IMMEDIATE"))
        return sqlite3_errmsg(db);
    int objects = 0;
    bool done = readLayout(db, &version, &objects);
    std::string problem = done ? layoutProblemOf(version, objects) : sqlite3_errmsg(db);
    done = done && problem.empty();
    if (done && version == 0) {
        for (const char *sql : kCreateTables)
            done = done && execute(sql);
        done = done && execute(kInsertRoots);
    }
    if (done && version == 1) {
        for (const char *sql : kUpgradeFrom1)
            done = done && execute(sql);
    }
    if (done && version < 3)
        done = execute(kCreateState) && execute(kInsertState);
    const std::string setVersion = "PRAGMA user_version=" + std::to_string(kSchemaVersion);
    done = done && execute(setVersion.c_str()) && execute("COMMIT");
    if (done) {
        layoutVersion = kSchemaVersion;
        return std::string();
    }
    if (problem.empty())
        problem = sqlite3_errmsg(db);
    if (!sqlite3_get_autocommit(db))
        execute("ROLLBACK");
    return problem;
}

bool SqliteRegistry::tablesUsable(int version)
{
    const char *const queries[] = {"SELECT id, parent, name, folded FROM reg_keys LIMIT 0",
                                   "SELECT id, key, name, folded, type, data FROM reg_values LIMIT 0",
                                   "SELECT id, identity, generation FROM reg_state LIMIT 0"};
    for (std::size_t i = 0; i < (version >= 3 ? 3u : 2u); ++i) {
        sqlite3_stmt *statement = nullptr;
        const int result = sqlite3_prepare_v2(db, queries[i], -1, &statement, nullptr);
        sqlite3_finalize(statement);
        if (result != SQLITE_OK)
            return false;
    }
    return true;
}

// Handles name keys by id, and ids mean nothing in another store: when the file at the path
// is another store than the one the handles were opened in, they are dropped.
void SqliteRegistry::followStoreIdentity()
{
    if (standIn || layoutVersion < kSchemaVersion)
        return;
    Statement query(*this, "SELECT identity FROM reg_state");
    const int result = query.valid() ? query.step() : sqlite3_errcode(db);
    if (result != SQLITE_ROW) {
        failed(result == SQLITE_DONE ? SQLITE_CORRUPT : result);
        return;
    }
    const std::int64_t identity = query.integer(0);
    if (storeIdentity != 0 && identity != storeIdentity) {
        report("registry: the settings store " + databasePath + " was replaced; using the file at that path now");
        handles.clear();
        failedCheck = false;
    }
    storeIdentity = identity;
}

bool SqliteRegistry::execute(const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A statement of a string literal, without rows or parameters, prepared once per connection:
// a store in memory, which stays open, runs its BEGIN and COMMIT without parsing them again.
bool SqliteRegistry::run(const char *sql)
{
    Statement statement(*this, sql);
    return statement.valid() && statement.step() == SQLITE_DONE;
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
    if (!db)
        return scopeFailure != kErrorSuccess ? scopeFailure : kErrorRegistryIoFailed;
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
    if (scopeHoldsStore()) {
        const long listed = loadChildren(parent);
        if (listed != kErrorSuccess)
            return listed;
        const auto found = keyCache.find({parent, key});
        if (found != keyCache.end()) {
            *id = found->second;
            return kErrorSuccess;
        }
    } else {
        Statement query(*this, "SELECT id FROM reg_keys WHERE parent = ?1 AND folded = ?2");
        if (!query.valid())
            return failed(sqlite3_errcode(db));
        query.bind(1, parent);
        query.bind(2, key);
        const int result = query.step();
        if (result == SQLITE_ROW) {
            *id = query.integer(0);
            return kErrorSuccess;
        }
        if (result != SQLITE_DONE)
            return failed(result);
    }
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
    if (scopeHoldsStore())
        remember(parent, key, *id);
    return noteChange(true);
}

// Every child of `parent` in one query, the first time one is looked for in a scope: a
// tree is read key by key, and one lookup per key cost more than the reading itself.
long SqliteRegistry::loadChildren(std::int64_t parent)
{
    if (listedParents.count(parent))
        return kErrorSuccess;
    Statement query(*this, "SELECT id, folded FROM reg_keys WHERE parent = ?1");
    if (!query.valid())
        return failed(sqlite3_errcode(db));
    query.bind(1, parent);
    int result = SQLITE_ROW;
    while ((result = query.step()) == SQLITE_ROW)
        remember(parent, query.text(1), query.integer(0));
    if (result != SQLITE_DONE)
        return failed(result);
    listedParents.insert(parent);
    return kErrorSuccess;
}

// The values of `key` in the mirror. A scope that reads a few keys reads each with one
// query; one that goes on reads every value of the store in one pass, as loading a whole
// tree key by key cost several times what SQLite needs to read the file.
long SqliteRegistry::mirrorValues(std::int64_t key)
{
    if (mirror.holds(key))
        return kErrorSuccess;
    if (!mirror.holdsAll() && ++keysMirrored > kKeysReadOneByOne)
        return mirrorAllValues();
    Statement query(*this, "SELECT folded, type, data FROM reg_values WHERE key = ?1");
    if (!query.valid())
        return failed(sqlite3_errcode(db));
    query.bind(1, key);
    mirror.hold(key);
    int result = SQLITE_ROW;
    while ((result = query.step()) == SQLITE_ROW) {
        std::size_t length = 0;
        std::size_t size = 0;
        const char16_t *name = query.units(0, &length);
        const std::uint8_t *data = query.blob(2, &size);
        mirror.add(key, name, length, static_cast<std::uint32_t>(query.integer(1)), data, size);
    }
    return failed(result);
}

// A value larger than kLargestMirrored leaves its key to be read when it is asked for: one
// large value anywhere in the store is not copied by every load.
long SqliteRegistry::mirrorAllValues()
{
    Statement query(*this, "SELECT key, folded, type, CASE WHEN length(data) <= ?1 THEN data END FROM reg_values");
    if (!query.valid())
        return failed(sqlite3_errcode(db));
    query.bind(1, kLargestMirrored);
    // Read in this scope's transaction, the scan holds its own writes too.
    mirror.clear();
    int result = SQLITE_ROW;
    while ((result = query.step()) == SQLITE_ROW) {
        std::size_t length = 0;
        std::size_t size = 0;
        const char16_t *name = query.units(1, &length);
        const std::uint8_t *data = query.blob(3, &size);
        if (query.isNull(3))
            mirror.drop(query.integer(0));
        else
            mirror.add(query.integer(0), name, length, static_cast<std::uint32_t>(query.integer(2)), data, size);
    }
    if (result != SQLITE_DONE)
        return failed(result);
    mirror.holdAll();
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
    listedParents.clear();
    mirror.clear();
    keysMirrored = 0;
    cursorIds.clear();
}

long SqliteRegistry::resolveKey(std::int64_t parent, const std::u16string &path, bool create,
                                std::int64_t *id)
{
    const std::size_t reused = scopeHoldsStore() && parent == cursorParent ? sharedComponents(path) : 0;
    std::vector<Span> spans(cursorSpans.begin(), cursorSpans.begin() + std::ptrdiff_t(reused));
    appendSpans(path, reused > 0 ? spans.back().first + spans.back().second : 0, &spans);
    if (!componentsValid(spans, reused))
        return kErrorInvalidParameter;
    if (!keyExists(parent))
        return kErrorKeyDeleted;
    std::vector<std::int64_t> ids(cursorIds.begin(), cursorIds.begin() + std::ptrdiff_t(reused));
    std::int64_t current = ids.empty() ? parent : ids.back();
    for (std::size_t i = ids.size(); i < spans.size(); ++i) {
        const long status = childKey(current, path.substr(spans[i].first, spans[i].second), create, &current);
        if (status != kErrorSuccess)
            return status;
        ids.push_back(current);
    }
    if (scopeHoldsStore()) {
        cursorParent = parent;
        cursorPath = path;
        cursorSpans = std::move(spans);
        cursorIds = std::move(ids);
    }
    *id = current;
    return kErrorSuccess;
}

// The leading components `path` shares, spelt alike, with the path resolved last: those
// that lie wholly in their common text and end where a component of `path` ends too.
std::size_t SqliteRegistry::sharedComponents(const std::u16string &path) const
{
    const std::size_t common = commonLength(path, cursorPath);
    const auto end = [](const Span &span) { return span.first + span.second; };
    std::size_t count = std::size_t(std::partition_point(cursorSpans.begin(), cursorSpans.end(),
                                                         [&](const Span &span) { return end(span) < common; })
                                    - cursorSpans.begin());
    if (count < cursorSpans.size() && end(cursorSpans[count]) == common
        && (common == path.size() || path[common] == u'\\'))
        ++count;
    return std::min(count, cursorIds.size());
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

// A key or value that is not there is an answer, not a refusal.
long SqliteRegistry::endWrite(long status)
{
    if (status != kErrorSuccess && status != kErrorFileNotFound)
        spoilScope(status);
    return status;
}

// The first change of a scope draws the store's next generation, in the same transaction.
long SqliteRegistry::noteChange(bool changed)
{
    if (!changed || generationMoved || standIn || layoutVersion < kSchemaVersion)
        return kErrorSuccess;
    Statement update(*this, "UPDATE reg_state SET generation = random()");
    const long status = update.valid() ? statusOf(update.step()) : statusOf(sqlite3_errcode(db));
    generationMoved = status == kErrorSuccess;
    return status;
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
    return inScope(false, [&] { return openKeyInScope(parent, path, result); });
}

long SqliteRegistry::openKeyInScope(RegKey parent, const std::u16string &path, RegKey *result)
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
    // Most keys exist already: outside a scope, look first, and take the write lock only
    // to create one.
    if (scopeDepth == 0) {
        const long found = openKey(parent, path, result);
        if (found != kErrorFileNotFound)
            return found;
    }
    return inScope(true, [&] { return createKeyInScope(parent, path, result); });
}

long SqliteRegistry::createKeyInScope(RegKey parent, const std::u16string &path, RegKey *result)
{
    std::int64_t parentId = 0;
    long status = keyCallParent(parent, result, &parentId);
    std::int64_t id = 0;
    if (status == kErrorSuccess)
        status = resolveKey(parentId, path, false, &id);
    if (status == kErrorFileNotFound) {
        status = writeRefused();
        if (status == kErrorSuccess)
            status = resolveKey(parentId, path, true, &id);
    }
    status = endWrite(status);
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
    return inScope(true, [&] { return setValueInScope(key, name, type, data, size); });
}

long SqliteRegistry::setValueInScope(RegKey key, const std::u16string &name, std::uint32_t type,
                                     const std::uint8_t *data, std::uint32_t size)
{
    if (name.size() > kMaxValueNameLength || (size > 0 && !data))
        return endWrite(kErrorInvalidParameter);
    std::int64_t id = 0;
    long status = keyIdOf(key, &id);
    if (status == kErrorSuccess)
        status = writeRefused();
    if (status == kErrorSuccess && !keyExists(id))
        status = kErrorKeyDeleted;
    if (status != kErrorSuccess)
        return endWrite(status);
    // An unchanged value is not written again: re-importing the same file leaves the store
    // file as it was, byte for byte. The name keeps the case it was first created with.
    Statement upsert(*this,
                     "INSERT INTO reg_values(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5)"
                     " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data"
                     " WHERE type IS NOT excluded.type OR data IS NOT excluded.data");
    if (!upsert.valid())
        return endWrite(statusOf(sqlite3_errcode(db)));
    const std::u16string foldedName = folded(name);
    upsert.bind(1, id);
    upsert.bind(2, name);
    upsert.bind(3, foldedName);
    upsert.bind(4, static_cast<std::int64_t>(type));
    upsert.bindBytes(5, data, size);
    status = statusOf(upsert.step());
    if (status == kErrorSuccess) {
        if (scopeHoldsStore())
            mirror.set(id, foldedName, type, data, size);
        status = noteChange(sqlite3_changes(db) > 0);
    }
    return endWrite(status);
}

long SqliteRegistry::queryValue(RegKey key, const std::u16string &name, std::uint32_t *type,
                                std::uint8_t *data, std::uint32_t *size)
{
    if (data && !size)
        return kErrorInvalidParameter;
    return inScope(false, [&] { return queryValueInScope(key, name, type, data, size); });
}

long SqliteRegistry::queryValueInScope(RegKey key, const std::u16string &name, std::uint32_t *type,
                                       std::uint8_t *data, std::uint32_t *size)
{
    std::int64_t id = 0;
    const long status = keyIdOf(key, &id);
    if (status != kErrorSuccess)
        return status;
    if (scopeHoldsStore()) {
        const long read = mirrorValues(id);
        if (read != kErrorSuccess)
            return read;
        ValueMirror::Value found{};
        foldInto(name, &nameScratch);
        if (!mirror.find(id, nameScratch, &found))
            return keyExists(id) ? kErrorFileNotFound : kErrorKeyDeleted;
        return answerValue(found.type, found.data, found.size, type, data, size);
    }
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
    return answerValue(static_cast<std::uint32_t>(query.integer(0)), stored.data(), stored.size(), type, data, size);
}

long SqliteRegistry::deleteValue(RegKey key, const std::u16string &name)
{
    return inScope(true, [&] { return deleteValueInScope(key, name); });
}

long SqliteRegistry::deleteValueInScope(RegKey key, const std::u16string &name)
{
    std::int64_t id = 0;
    long status = keyIdOf(key, &id);
    if (status == kErrorSuccess)
        status = writeRefused();
    if (status != kErrorSuccess)
        return endWrite(status);
    Statement remove(*this, "DELETE FROM reg_values WHERE key = ?1 AND folded = ?2");
    if (!remove.valid())
        return endWrite(statusOf(sqlite3_errcode(db)));
    const std::u16string foldedName = folded(name);
    remove.bind(1, id);
    remove.bind(2, foldedName);
    status = statusOf(remove.step());
    if (status == kErrorSuccess && sqlite3_changes(db) == 0) {
        status = keyExists(id) ? kErrorFileNotFound : kErrorKeyDeleted;
    } else if (status == kErrorSuccess) {
        mirror.remove(id, foldedName);
        status = noteChange(true);
    }
    return endWrite(status);
}

long SqliteRegistry::deleteTree(RegKey parent, const std::u16string &path)
{
    return inScope(true, [&] { return deleteTreeInScope(parent, path); });
}

long SqliteRegistry::deleteTreeInScope(RegKey parent, const std::u16string &path)
{
    std::int64_t parentId = 0;
    long status = keyIdOf(parent, &parentId);
    if (status == kErrorSuccess)
        status = writeRefused();
    std::int64_t id = 0;
    if (status == kErrorSuccess)
        status = resolveKey(parentId, path, false, &id);
    // A root key stays; like RegDeleteTreeW without a subkey, only its contents go.
    std::vector<Span> spans;
    appendSpans(path, 0, &spans);
    const bool keepTop = id == kLocalMachineId || id == kCurrentUserId || spans.empty();
    bool changed = false;
    if (status == kErrorSuccess) {
        Statement values(*this,
                         "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
                         " SELECT reg_keys.id FROM reg_keys JOIN tree ON reg_keys.parent = tree.id)"
                         " DELETE FROM reg_values WHERE key IN tree");
        values.bind(1, id);
        status = values.valid() ? statusOf(values.step()) : statusOf(sqlite3_errcode(db));
        changed = sqlite3_changes(db) > 0;
    }
    if (status == kErrorSuccess) {
        Statement keys(*this,
                       "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
                       " SELECT reg_keys.id FROM reg_keys JOIN tree ON reg_keys.parent = tree.id)"
                       " DELETE FROM reg_keys WHERE id IN tree AND (id <> ?1 OR ?2 = 0)");
        keys.bind(1, id);
        keys.bind(2, keepTop ? 1 : 0);
        status = keys.valid() ? statusOf(keys.step()) : statusOf(sqlite3_errcode(db));
        changed = changed || sqlite3_changes(db) > 0;
    }
    if (status == kErrorSuccess)
        status = noteChange(changed);
    // Only now: the lookups above remembered the very keys that are gone.
    forgetKeys();
    return endWrite(status);
}

long SqliteRegistry::enumKeys(RegKey key, std::vector<std::u16string> *names)
{
    if (!names)
        return kErrorInvalidParameter;
    names->clear();
    return inScope(false, [&] { return enumKeysInScope(key, names); });
}

long SqliteRegistry::enumKeysInScope(RegKey key, std::vector<std::u16string> *names)
{
    std::int64_t id = 0;
    const long status = keyIdOf(key, &id);
    if (status != kErrorSuccess)
        return status;
    if (!keyExists(id))
        return kErrorKeyDeleted;
    Statement query(*this, "SELECT name, id, folded FROM reg_keys WHERE parent = ?1 ORDER BY id");
    if (!query.valid())
        return failed(sqlite3_errcode(db));
    query.bind(1, id);
    // A walk of the tree opens each key it lists next: they are all known now.
    const bool cached = scopeHoldsStore();
    int result = SQLITE_ROW;
    while ((result = query.step()) == SQLITE_ROW) {
        names->push_back(query.text(0));
        if (cached)
            remember(id, query.text(2), query.integer(1));
    }
    if (cached && result == SQLITE_DONE)
        listedParents.insert(id);
    return failed(result);
}

long SqliteRegistry::enumValues(RegKey key, std::vector<RegValue> *values)
{
    if (!values)
        return kErrorInvalidParameter;
    values->clear();
    return inScope(false, [&] { return enumValuesInScope(key, values); });
}

long SqliteRegistry::enumValuesInScope(RegKey key, std::vector<RegValue> *values)
{
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
    generationMoved = false;
    // What the last scope remembered was forgotten at its end (commitScope).
    const long opened = openStore(write);
    if (opened != kErrorSuccess) {
        spoilScope(opened);
        return scopeFailure;
    }
    lastReport.clear();
    // IMMEDIATE takes the write lock now, waiting out another writer, instead of failing
    // half-way through the scope. A plain BEGIN in WAL mode reads one snapshot, taken by
    // the first read just below, and locks nobody out.
    if (!run(write ? "BEGIN IMMEDIATE" : "BEGIN")) {
        spoilScope(statusOf(sqlite3_errcode(db)));
        return scopeFailure;
    }
    followStoreIdentity();
    if (write && failedCheck)
        spoilScope(kErrorRegistryCorrupt);
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
    if (db) {
        if (status == kErrorSuccess && !run("COMMIT"))
            status = statusOf(sqlite3_errcode(db));
        if (!sqlite3_get_autocommit(db))
            run("ROLLBACK");
        if (status != kErrorSuccess && !readScope)
            forgetVanishedKeys();
    }
    // The last connection to close folds the WAL back into the file and removes it.
    if (!inMemory())
        closeStore();
    scopeFailure = kErrorSuccess;
    readScope = false;
    return status;
}

// Key ids start again after the roots: every handle goes with the keys, so none can reach a
// new key with an old id.
long SqliteRegistry::emptyMemoryStore()
{
    if (!inMemory() || scopeDepth > 0)
        return kErrorInvalidParameter;
    handles.clear();
    forgetKeys();
    failedCheck = false;
    lastReport.clear();
    if (!db)
        return kErrorSuccess; // made, empty, on first use
    const bool emptied = run("BEGIN") && run("DELETE FROM reg_values") && run("DELETE FROM reg_keys WHERE id > 2")
                         && run("UPDATE sqlite_sequence SET seq = 2 WHERE name = 'reg_keys'")
                         && run("UPDATE reg_state SET generation = random()") && run("COMMIT");
    const long failure = emptied ? kErrorSuccess : statusOf(sqlite3_errcode(db));
    if (!sqlite3_get_autocommit(db))
        run("ROLLBACK");
    if (emptied)
        return kErrorSuccess;
    return failure != kErrorSuccess ? failure : kErrorRegistryIoFailed;
}

long SqliteRegistry::generation(std::uint64_t *value)
{
    if (!value)
        return kErrorInvalidParameter;
    *value = 0;
    return inScope(false, [&] { return generationInScope(value); });
}

long SqliteRegistry::generationInScope(std::uint64_t *value)
{
    if (!db)
        return scopeFailure != kErrorSuccess ? scopeFailure : kErrorRegistryIoFailed;
    if (standIn || layoutVersion < kSchemaVersion)
        return kErrorSuccess;
    Statement query(*this, "SELECT generation FROM reg_state");
    if (!query.valid())
        return failed(sqlite3_errcode(db));
    const int result = query.step();
    if (result == SQLITE_ROW)
        *value = static_cast<std::uint64_t>(query.integer(0));
    return failed(result); // a row, or none, is success
}

long SqliteRegistry::checkStore(std::string *problem)
{
    if (!problem)
        return kErrorInvalidParameter;
    problem->clear();
    return inScope(false, [&] { return checkStoreInScope(problem); });
}

// The full check, not quick_check: an index that no longer matches its table (which lets an
// export miss keys and an import make them twice) is found only by it.
long SqliteRegistry::checkStoreInScope(std::string *problem)
{
    if (!db)
        return scopeFailure != kErrorSuccess ? scopeFailure : kErrorRegistryIoFailed;
    if (standIn)
        return kErrorSuccess;
    sqlite3_stmt *check = nullptr;
    int result = sqlite3_prepare_v2(db, "PRAGMA integrity_check(1)", -1, &check, nullptr);
    if (result == SQLITE_OK)
        result = sqlite3_step(check);
    if (result == SQLITE_ROW) {
        const unsigned char *text = sqlite3_column_text(check, 0);
        *problem = text ? reinterpret_cast<const char *>(text) : "no answer";
        if (*problem == "ok")
            problem->clear();
    } else {
        *problem = sqlite3_errmsg(db);
    }
    sqlite3_finalize(check);
    failedCheck = !problem->empty();
    if (!failedCheck)
        return kErrorSuccess;
    spoilScope(kErrorRegistryCorrupt);
    return kErrorRegistryCorrupt;
}

} // namespace platform
