#include "TestPlatform.h"

#include "platform/Platform.h"

#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

sqlite3 *openStore(const QString &databasePath, bool create)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &db,
                        SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0), nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 10000);
    return db;
}

} // namespace

QString storeFaults(const QString &databasePath)
{
    // A store never opened has no rows at all, so none out of reach.
    if (!QFile::exists(databasePath))
        return QString();
    sqlite3 *db = openStore(databasePath, false);
    if (!db)
        return QStringLiteral("the store cannot be opened");
    // UNION, not UNION ALL: a key that is its own ancestor must not make this run for ever.
    const char *sql =
        "WITH RECURSIVE reachable(id) AS (SELECT id FROM reg_keys WHERE id IN (1, 2) UNION"
        " SELECT k.id FROM reg_keys k JOIN reachable r ON k.parent = r.id)"
        " SELECT (SELECT count(*) FROM reg_keys WHERE id NOT IN reachable),"
        " (SELECT count(*) FROM reg_values WHERE key NOT IN reachable)";
    sqlite3_stmt *statement = nullptr;
    QString faults = QStringLiteral("the store cannot be read: ");
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
        const int keys = sqlite3_column_int(statement, 0);
        const int values = sqlite3_column_int(statement, 1);
        faults = keys || values ? QStringLiteral("%1 keys and %2 values no path reaches").arg(keys).arg(values)
                                : QString();
    } else {
        faults += QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return faults;
}

QString utf16Blob(const QString &name)
{
    const QByteArray bytes(reinterpret_cast<const char *>(name.utf16()), name.size() * 2);
    return QStringLiteral("X'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

bool executeOnStore(const QString &databasePath, const QString &sql)
{
    sqlite3 *db = openStore(databasePath, true);
    if (!db)
        return false;
    char *error = nullptr;
    const bool done = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) == SQLITE_OK;
    if (!done)
        qWarning("executeOnStore: %s", error);
    sqlite3_free(error);
    sqlite3_close(db);
    return done;
}

int FakeScreen::systemMetric(int index)
{
    switch (index) {
    case platform::kSmCxFullScreen:
        return width;
    case platform::kSmCyFullScreen:
        return height - caption;
    case platform::kSmCyCaption:
        return caption;
    default:
        return 0;
    }
}

TestPlatform::TestPlatform()
{
    reset();
    platform::useScreen(&screen);
}

TestPlatform::~TestPlatform()
{
    platform::useRegistry(nullptr);
    platform::useScreen(nullptr);
}

QString TestPlatform::databasePath() const
{
    return folder.filePath(QStringLiteral("registry-%1.sqlite").arg(generation));
}

void TestPlatform::reset()
{
    platform::useRegistry(nullptr);
    ++generation;
    store = std::make_unique<platform::SqliteRegistry>(databasePath().toStdString());
    platform::useRegistry(store.get());
}

StderrCapture::StderrCapture()
    : path(folder.filePath(QStringLiteral("stderr.txt")))
{
    std::fflush(stderr);
    savedFd = dup(STDERR_FILENO);
    const int fd = open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDERR_FILENO);
    close(fd);
}

StderrCapture::~StderrCapture()
{
    lines();
}

QStringList StderrCapture::lines()
{
    if (savedFd >= 0) {
        std::fflush(stderr);
        dup2(savedFd, STDERR_FILENO);
        close(savedFd);
        savedFd = -1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}
