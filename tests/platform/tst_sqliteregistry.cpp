#include "RegistryContract.h"
#include "TestFiles.h"
#include "TestPlatform.h"

#include "platform/RegistryScope.h"
#include "platform/posix/SqliteRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

using namespace platform;

namespace {

std::u16string u16(const QString &text)
{
    return text.toStdU16String();
}

RegKey created(Registry &registry, const QString &path)
{
    RegKey key = kNoKey;
    registry.createKey(kLocalMachine, u16(path), &key);
    return key;
}

QString valueOf(Registry &registry, RegKey key, const std::u16string &name)
{
    std::uint8_t data[64] = {};
    std::uint32_t size = sizeof data;
    const long status = registry.queryValue(key, name, nullptr, data, &size);
    if (status != kErrorSuccess)
        return QStringLiteral("error %1").arg(status);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(data), int(size)).toHex());
}

QString valueAt(Registry &registry, const QString &path, const std::u16string &name)
{
    RegKey key = kNoKey;
    const long status = registry.openKey(kLocalMachine, u16(path), &key);
    if (status != kErrorSuccess)
        return QStringLiteral("no key (error %1)").arg(status);
    const QString value = valueOf(registry, key, name);
    registry.closeKey(key);
    return value;
}

long setByte(Registry &registry, RegKey key, const std::u16string &name, std::uint8_t byte)
{
    return registry.setValue(key, name, kRegBinary, &byte, 1);
}

QStringList subKeys(Registry &registry, const QString &path)
{
    RegKey key = kNoKey;
    if (registry.openKey(kLocalMachine, u16(path), &key) != kErrorSuccess)
        return {QStringLiteral("<missing>")};
    std::vector<std::u16string> names;
    registry.enumKeys(key, &names);
    registry.closeKey(key);
    QStringList result;
    for (const std::u16string &name : names)
        result << QString::fromStdU16String(name);
    return result;
}

} // namespace

class tst_SqliteRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init() { platformUnderTest.reset(); }

    void sharedContract_data();
    void sharedContract();
    void openingAMissingKeyCreatesNothing_data();
    void openingAMissingKeyCreatesNothing();
    void keyNameLimits_data();
    void keyNameLimits();
    void deletedKeysStayDeleted_data();
    void deletedKeysStayDeleted();
    void deletingTheRootKeepsIt();
    void emptyingAMemoryStore_data();
    void emptyingAMemoryStore();
    void nestedScopesCommitOnce();
    void refusedWriteSpoilsTheScope_data();
    void refusedWriteSpoilsTheScope();
    void scopeThatCannotBeginIsStillEndedOnce();
    void readScopeSeesOneStateAndHoldsNobodyUp();
    void failedReadSpoilsTheReadScope_data();
    void failedReadSpoilsTheReadScope();
    void unchangedWritesLeaveTheFileAlone();
    void foreignFilesAreReportedAndLeftAlone_data();
    void foreignFilesAreReportedAndLeftAlone();
    void version1StoresAreUpgraded();
    void storeSurvivesReopening();
    void storeDeletedWhileOpenIsMadeAgain();
    void storeReplacedUnderARunningProcessIsTheNewStore();
    void storeWhereNothingCanBeWrittenIsRead();

private:
    TestPlatform platformUnderTest;
};

// The cases every backend plays through, the Windows one too (tests/win32).
void tst_SqliteRegistry::sharedContract_data()
{
    QTest::addColumn<int>("index");
    const std::vector<contract::Case> &cases = contract::registryCases();
    for (std::size_t index = 0; index < cases.size(); ++index)
        QTest::newRow(cases[index].name) << int(index);
}

void tst_SqliteRegistry::sharedContract()
{
    QFETCH(int, index);
    Registry &registry = platformUnderTest.registry();
    const RegKey root = created(registry, QStringLiteral("Software\\Contract"));
    QVERIFY(root != kNoKey);
    const contract::Backend backend{registry, root, true, true};
    const std::string failure = contract::runCase(contract::registryCases().at(std::size_t(index)), backend);
    registry.closeKey(root);
    QVERIFY2(failure.empty(), failure.c_str());
    QCOMPARE(platformUnderTest.faults(), QString());
}

void tst_SqliteRegistry::openingAMissingKeyCreatesNothing_data()
{
    QTest::addColumn<bool>("emptyFile");
    QTest::newRow("no store file") << false;
    QTest::newRow("an empty store file") << true;
}

void tst_SqliteRegistry::openingAMissingKeyCreatesNothing()
{
    QFETCH(bool, emptyFile);
    const QString path = platformUnderTest.databasePath();
    QVERIFY(!emptyFile || writeFile(path, QByteArray()));
    const qsizetype openFiles = QDir(QStringLiteral("/proc/self/fd")).count();
    Registry &registry = platformUnderTest.registry();
    RegKey key = 12345;
    QCOMPARE(registry.openKey(kLocalMachine, u"Software\\Nothing\\Here", &key), kErrorFileNotFound);
    QCOMPARE(key, kNoKey);
    QCOMPARE(subKeys(registry, QString()), QStringList());
    // Reading makes no store file either: an export of nothing must not leave one behind.
    QCOMPARE(fileBytes(path), emptyFile ? QByteArray() : QByteArray("<missing>"));
    QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), openFiles);
}

void tst_SqliteRegistry::keyNameLimits_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<long>("status");

    // The shared cases go only part of the way down; this backend counts the levels itself.
    const QStringList deep(513, QStringLiteral("d"));
    QTest::newRow("512 levels") << deep.mid(1).join(u'\\') << kErrorSuccess;
    QTest::newRow("513 levels") << deep.join(u'\\') << kErrorInvalidParameter;
}

void tst_SqliteRegistry::keyNameLimits()
{
    QFETCH(QString, path);
    QFETCH(long, status);
    RegKey key = kNoKey;
    QCOMPARE(platformUnderTest.registry().createKey(kLocalMachine, u16(path), &key), status);
    QCOMPARE(key != kNoKey, status == kErrorSuccess);
}

void tst_SqliteRegistry::deletedKeysStayDeleted_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("one call at a time") << "calls";
    QTest::newRow("inside a scope") << "scope";
    QTest::newRow("deleted by another connection") << "elsewhere";
}

// A deleted key's id must never come back: not from what a scope remembered, not from SQLite
// handing the highest id out again, not to a handle that still points at it.
void tst_SqliteRegistry::deletedKeysStayDeleted()
{
    QFETCH(QString, where);
    Registry &registry = platformUnderTest.registry();
    SqliteRegistry other(platformUnderTest.databasePath().toStdString());
    Registry &deleter = where == QLatin1String("elsewhere") ? static_cast<Registry &>(other) : registry;
    const bool scoped = where == QLatin1String("scope");
    if (scoped)
        QCOMPARE(registry.beginScope(), kErrorSuccess);

    registry.closeKey(created(registry, QStringLiteral("Software\\A")));
    const RegKey newest = created(registry, QStringLiteral("Software\\B"));
    QCOMPARE(setByte(registry, newest, u"old", 1), kErrorSuccess);
    QCOMPARE(deleter.deleteTree(kLocalMachine, u"Software\\B"), kErrorSuccess);
    const RegKey again = created(deleter, QStringLiteral("Software\\B"));
    deleter.closeKey(created(deleter, QStringLiteral("Software\\C")));
    QCOMPARE(valueOf(deleter, again, u"old"), QStringLiteral("error 2"));
    // The old handle answers as Windows does, and reaches neither key made since.
    QCOMPARE(valueOf(registry, newest, u"old"), QStringLiteral("error 1018"));
    std::vector<std::u16string> names;
    QCOMPARE(registry.enumKeys(newest, &names), kErrorKeyDeleted);
    std::vector<RegValue> values;
    QCOMPARE(registry.enumValues(newest, &values), kErrorKeyDeleted);
    RegKey child = kNoKey;
    QCOMPARE(registry.openKey(newest, u"", &child), kErrorKeyDeleted);
    if (!scoped) {
        // Inside a scope a refused write would spoil it; its reads are enough there.
        QCOMPARE(setByte(registry, newest, u"new", 2), kErrorKeyDeleted);
        QCOMPARE(registry.deleteValue(newest, u"old"), kErrorKeyDeleted);
        QCOMPARE(registry.createKey(newest, u"Sub", &child), kErrorKeyDeleted);
    }

    // A child must not take its own parent's id, nor a recreated key its deleted twin's.
    registry.closeKey(created(deleter, QStringLiteral("Software\\P\\Q")));
    QCOMPARE(deleter.deleteTree(kLocalMachine, u"Software\\P"), kErrorSuccess);
    const RegKey leaf = created(registry, QStringLiteral("Software\\P\\Q\\R"));
    QCOMPARE(setByte(registry, leaf, u"x", 3), kErrorSuccess);
    if (scoped)
        QCOMPARE(registry.commitScope(), kErrorSuccess);

    QCOMPARE(subKeys(registry, QStringLiteral("Software")), (QStringList{"A", "B", "C", "P"}));
    QCOMPARE(subKeys(registry, QStringLiteral("Software\\P\\Q")), QStringList{"R"});
    QCOMPARE(valueAt(registry, QStringLiteral("Software\\P\\Q\\R"), u"x"), QStringLiteral("03"));
    QCOMPARE(subKeys(registry, QStringLiteral("Software\\C")), QStringList());
    QCOMPARE(platformUnderTest.faults(), QString());
}

void tst_SqliteRegistry::deletingTheRootKeepsIt()
{
    Registry &registry = platformUnderTest.registry();
    registry.closeKey(created(registry, QStringLiteral("Software\\X")));
    QCOMPARE(registry.deleteTree(kLocalMachine, u""), kErrorSuccess);
    QCOMPARE(subKeys(registry, QString()), QStringList());
    registry.closeKey(created(registry, QStringLiteral("Software\\Y")));
    QCOMPARE(subKeys(registry, QStringLiteral("Software")), QStringList{"Y"});
}

void tst_SqliteRegistry::emptyingAMemoryStore_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("inScope");
    QTest::addColumn<long>("expected");
    QTest::newRow("in memory") << ":memory:" << false << kErrorSuccess;
    QTest::newRow("in memory, inside a scope") << ":memory:" << true << kErrorInvalidParameter;
    QTest::newRow("a file") << QString() << false << kErrorInvalidParameter;
}

void tst_SqliteRegistry::emptyingAMemoryStore()
{
    QFETCH(QString, path);
    QFETCH(bool, inScope);
    QFETCH(long, expected);
    SqliteRegistry registry((path.isEmpty() ? platformUnderTest.databasePath() : path).toStdString());
    const RegKey held = created(registry, QStringLiteral("Software\\A"));
    setByte(registry, held, u"v", 1);
    setByte(registry, kCurrentUser, u"root", 2);
    if (inScope)
        registry.beginReadScope();
    QCOMPARE(registry.emptyMemoryStore(), expected);
    if (inScope)
        registry.commitScope();
    const bool emptied = expected == kErrorSuccess;
    const QString missing = QStringLiteral("error %1").arg(kErrorFileNotFound);
    QCOMPARE(valueOf(registry, kCurrentUser, u"root"), emptied ? missing : QStringLiteral("02"));
    // A handle of before is closed: it reaches no key of after.
    QCOMPARE(valueOf(registry, held, u"v"), emptied ? QStringLiteral("error %1").arg(kErrorInvalidHandle) : "01");
    registry.closeKey(created(registry, QStringLiteral("Software\\B")));
    const QStringList after = emptied ? QStringList{"B"} : QStringList{"A", "B"};
    QCOMPARE(subKeys(registry, QStringLiteral("Software")), after);
}

// What a scope writes is seen by others only when its outermost commit lands.
void tst_SqliteRegistry::nestedScopesCommitOnce()
{
    Registry &writer = platformUnderTest.registry();
    SqliteRegistry reader(platformUnderTest.databasePath().toStdString());
    writer.beginScope();
    writer.beginScope();
    writer.closeKey(created(writer, QStringLiteral("Software\\Nested")));
    QCOMPARE(writer.commitScope(), kErrorSuccess);
    QCOMPARE(subKeys(reader, QStringLiteral("Software")), QStringList{"<missing>"});
    QCOMPARE(writer.commitScope(), kErrorSuccess);
    QCOMPARE(subKeys(reader, QStringLiteral("Software")), QStringList{"Nested"});
    QCOMPARE(writer.commitScope(), kErrorInvalidParameter);
    // Left early, as on an error, a scope still ends with its block.
    {
        RegistryScope scope(writer);
        writer.closeKey(created(writer, QStringLiteral("Software\\Left")));
    }
    QCOMPARE(subKeys(reader, QStringLiteral("Software")), (QStringList{"Nested", "Left"}));
}

void tst_SqliteRegistry::refusedWriteSpoilsTheScope_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<bool>("refusesKey");

    const QString refused = utf16Blob(QStringLiteral("refused"));
    QTest::newRow("a value, the statement undone")
        << "CREATE TRIGGER refuse BEFORE INSERT ON reg_values WHEN NEW.folded = " + refused
               + " BEGIN SELECT RAISE(ABORT, 'disk full'); END" << false;
    QTest::newRow("a value, the whole transaction undone by SQLite")
        << "CREATE TRIGGER refuse BEFORE INSERT ON reg_values WHEN NEW.folded = " + refused
               + " BEGIN SELECT RAISE(ROLLBACK, 'I/O error'); END" << false;
    QTest::newRow("a key")
        << "CREATE TRIGGER refuse BEFORE INSERT ON reg_keys WHEN NEW.folded = " + refused
               + " BEGIN SELECT RAISE(ROLLBACK, 'I/O error'); END" << true;
}

// Part of a whole that cannot land must not land alone, whether SQLite undid the failed
// statement or the whole transaction.
void tst_SqliteRegistry::refusedWriteSpoilsTheScope()
{
    QFETCH(QString, trigger);
    QFETCH(bool, refusesKey);
    Registry &registry = platformUnderTest.registry();
    registry.closeKey(created(registry, QStringLiteral("Software\\Existing")));
    QVERIFY(executeOnStore(platformUnderTest.databasePath(), trigger));

    QCOMPARE(registry.beginScope(), kErrorSuccess);
    const RegKey key = created(registry, QStringLiteral("Software\\Scoped"));
    QCOMPARE(setByte(registry, key, u"before", 1), kErrorSuccess);
    RegKey refusedKey = kNoKey;
    const long refusal = refusesKey ? registry.createKey(key, u"Refused", &refusedKey)
                                    : setByte(registry, key, u"Refused", 2);
    QVERIFY(refusal != kErrorSuccess);
    QCOMPARE(setByte(registry, key, u"after", 3), kErrorWriteFault);
    QCOMPARE(registry.deleteTree(kLocalMachine, u"Software\\Existing"), kErrorWriteFault);
    QCOMPARE(registry.commitScope(), refusal);

    QCOMPARE(subKeys(registry, QStringLiteral("Software")), QStringList{"Existing"});
    QCOMPARE(valueOf(registry, key, u"before"), QStringLiteral("error 1018"));
    QCOMPARE(platformUnderTest.faults(), QString());
    // The next scope starts sound.
    QCOMPARE(registry.beginScope(), kErrorSuccess);
    registry.closeKey(created(registry, QStringLiteral("Software\\Later")));
    QCOMPARE(registry.commitScope(), kErrorSuccess);
    QCOMPARE(subKeys(registry, QStringLiteral("Software")), (QStringList{"Existing", "Later"}));
    // The rolled-back key's id went back to SQLite, and "Later" may have it now; the old
    // handle must not reach it.
    QCOMPARE(valueOf(registry, key, u"before"), QStringLiteral("error 1018"));
    QCOMPARE(setByte(registry, key, u"stray", 4), kErrorKeyDeleted);
    QCOMPARE(valueAt(registry, QStringLiteral("Software\\Later"), u"stray"), QStringLiteral("error 2"));
}

// Whatever a begin answers, the scope is open until its one commit; writes in a scope that
// could not begin are refused rather than landing one by one.
void tst_SqliteRegistry::scopeThatCannotBeginIsStillEndedOnce()
{
    QTemporaryDir folder;
    const QString pipe = folder.filePath(QStringLiteral("pipe"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // A folder is no database; a named pipe would hold the first read up for ever.
    for (const QString &path : {folder.path(), pipe}) {
        SqliteRegistry unusable(path.toStdString());
        StderrCapture quiet;
        QVERIFY(unusable.beginScope() != kErrorSuccess);
        RegKey key = kNoKey;
        QVERIFY(unusable.createKey(kLocalMachine, u"Software", &key) != kErrorSuccess);
        QVERIFY(unusable.commitScope() != kErrorSuccess);
        QCOMPARE(unusable.commitScope(), kErrorInvalidParameter);
        QVERIFY(unusable.beginReadScope() != kErrorSuccess);
        QVERIFY(unusable.commitScope() != kErrorSuccess);
        QCOMPARE(unusable.commitScope(), kErrorInvalidParameter);
    }
}

void tst_SqliteRegistry::readScopeSeesOneStateAndHoldsNobodyUp()
{
    Registry &writer = platformUnderTest.registry();
    // More keys than a scope reads one by one: the reader's scope reads all values at once.
    QStringList paths{QStringLiteral("Software\\R"), QStringLiteral("Software\\S")};
    for (int n = 0; n < 8; ++n)
        paths << QStringLiteral("Software\\K%1").arg(n);
    for (const QString &path : paths) {
        const RegKey key = created(writer, path);
        setByte(writer, key, u"v", 1);
        writer.closeKey(key);
    }
    SqliteRegistry reader(platformUnderTest.databasePath().toStdString());
    const auto readAll = [&] {
        QStringList values;
        for (const QString &path : paths)
            values << valueAt(reader, path, u"v");
        return values.join(u' ');
    };
    const QString ones = QStringLiteral("01 01 01 01 01 01 01 01 01 01");
    QCOMPARE(reader.beginReadScope(), kErrorSuccess);
    QCOMPARE(valueAt(reader, QStringLiteral("Software\\R"), u"v"), QStringLiteral("01"));

    // The writer neither waits for the reader nor fails while the reader's scope is open.
    QCOMPARE(writer.beginScope(), kErrorSuccess);
    for (const QString &path : {QStringLiteral("Software\\R"), QStringLiteral("Software\\S")}) {
        const RegKey key = created(writer, path);
        QCOMPARE(setByte(writer, key, u"v", 2), kErrorSuccess);
        writer.closeKey(key);
    }
    writer.closeKey(created(writer, QStringLiteral("Software\\New")));
    QCOMPARE(writer.commitScope(), kErrorSuccess);

    // The reader still sees the state its scope began with, also where it had not looked yet.
    QCOMPARE(readAll(), ones);
    QCOMPARE(valueAt(reader, QStringLiteral("Software\\S"), u"v"), QStringLiteral("01"));
    QCOMPARE(subKeys(reader, QStringLiteral("Software")).mid(0, 2), (QStringList{"R", "S"}));
    QVERIFY(!subKeys(reader, QStringLiteral("Software")).contains(QStringLiteral("New")));
    QCOMPARE(reader.commitScope(), kErrorSuccess);
    QCOMPARE(valueAt(reader, QStringLiteral("Software\\S"), u"v"), QStringLiteral("02"));

    // Its next scope reads the store as it is now, whatever the last one read.
    QCOMPARE(reader.beginReadScope(), kErrorSuccess);
    QCOMPARE(readAll(), QStringLiteral("02 02 01 01 01 01 01 01 01 01"));
    QCOMPARE(reader.commitScope(), kErrorSuccess);

    // A read scope takes no writes, and its end says so.
    QCOMPARE(reader.beginReadScope(), kErrorSuccess);
    RegKey key = kNoKey;
    QCOMPARE(reader.createKey(kLocalMachine, u"Software\\Other", &key), kErrorAccessDenied);
    QCOMPARE(reader.commitScope(), kErrorAccessDenied);
    QCOMPARE(subKeys(writer, QStringLiteral("Software")).last(), QStringLiteral("New"));
}

void tst_SqliteRegistry::failedReadSpoilsTheReadScope_data()
{
    QTest::addColumn<QString>("sql");
    // The file cut short: pages the reader has not read yet are gone.
    QTest::newRow("file cut short") << QString();
    // The tables changed before the reader's scope: it reads nothing, the file is sound.
    QTest::newRow("tables changed") << "ALTER TABLE reg_values RENAME COLUMN data TO payload";
}

// A store that breaks under a reader must not pass for one whose keys are missing.
void tst_SqliteRegistry::failedReadSpoilsTheReadScope()
{
    QFETCH(QString, sql);
    const QString path = platformUnderTest.databasePath() + QStringLiteral(".broken");
    {
        SqliteRegistry writer(path.toStdString());
        writer.beginScope();
        for (int n = 0; n < 2000; ++n) {
            const RegKey key = created(writer, QStringLiteral("Software\\K%1").arg(n));
            setByte(writer, key, u"v", std::uint8_t(n));
            writer.closeKey(key);
        }
        QCOMPARE(writer.commitScope(), kErrorSuccess);
    }
    SqliteRegistry reader(path.toStdString());
    const RegKey held = created(reader, QStringLiteral("Software\\K1"));
    const QByteArray whole = fileBytes(path);
    StderrCapture quiet;
    if (sql.isEmpty()) {
        QCOMPARE(reader.beginReadScope(), kErrorSuccess);
        QCOMPARE(valueAt(reader, QStringLiteral("Software\\K0"), u"v"), QStringLiteral("00"));
        QVERIFY(QFile(path).resize(4096));
    } else {
        QVERIFY(executeOnStore(path, sql));
        QVERIFY(reader.beginReadScope() != kErrorSuccess);
    }
    QVERIFY(valueAt(reader, QStringLiteral("Software\\K1999"), u"v") != QStringLiteral("cf"));
    QVERIFY(reader.commitScope() != kErrorSuccess);
    // Mended, the store is read again, through a handle of before too.
    QVERIFY(writeFile(path, whole));
    QCOMPARE(valueOf(reader, held, u"v"), QStringLiteral("01"));
}

void tst_SqliteRegistry::unchangedWritesLeaveTheFileAlone()
{
    const std::string path = platformUnderTest.databasePath().toStdString() + ".same";
    auto writeAll = [&path] {
        SqliteRegistry registry(path);
        registry.beginScope();
        setByte(registry, created(registry, QStringLiteral("Software\\Same")), u"v", 1);
        registry.commitScope();
    };
    writeAll();
    const QByteArray before = fileBytes(QString::fromStdString(path));
    writeAll();
    QCOMPARE(fileBytes(QString::fromStdString(path)), before);
}

void tst_SqliteRegistry::foreignFilesAreReportedAndLeftAlone_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("sql");

    QTest::newRow("text file") << QByteArray(4096, 'x') << QString();
    QTest::newRow("database of another program") << QByteArray() << "CREATE TABLE notes(x)";
    QTest::newRow("version 1 without its tables")
        << QByteArray() << "CREATE TABLE t(x); DROP TABLE t; PRAGMA user_version=1";
    QTest::newRow("version 2 without the values")
        << QByteArray() << "CREATE TABLE reg_keys(id, parent, name, folded); PRAGMA user_version=2";
    QTest::newRow("a later version") << QByteArray() << "PRAGMA user_version=4";
    QTest::newRow("a negative version") << QByteArray() << "CREATE TABLE notes(x); PRAGMA user_version=-1";
}

void tst_SqliteRegistry::foreignFilesAreReportedAndLeftAlone()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, sql);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("notes.db"));
    QVERIFY(sql.isEmpty() ? writeFile(path, text) : executeOnStore(path, sql));
    const QByteArray before = fileBytes(path);

    StderrCapture capture;
    SqliteRegistry registry(path.toStdString());
    RegKey key = kNoKey;
    QVERIFY(registry.createKey(kLocalMachine, u"Software", &key) != kErrorSuccess);
    QVERIFY(registry.openKey(kLocalMachine, u"Software", &key) != kErrorSuccess);
    QVERIFY(registry.beginScope() != kErrorSuccess);
    registry.commitScope();
    const QStringList lines = capture.lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(path + QStringLiteral(" is not a usable settings store")), qPrintable(lines.first()));
    QCOMPARE(fileBytes(path), before);
}

// A store written before key ids were kept unique: what its roots reach is kept, what they
// do not reach is dropped, and no id it ever used is handed out again.
void tst_SqliteRegistry::version1StoresAreUpgraded()
{
    const QString path = platformUnderTest.databasePath() + QStringLiteral(".v1");
    const auto key = [](int id, int parent, const QString &name) {
        return QStringLiteral("(%1, %2, %3, %4)").arg(id).arg(parent).arg(utf16Blob(name), utf16Blob(name.toLower()));
    };
    const auto value = [](int id, int key, const QString &name, const char *hex) {
        return QStringLiteral("(%1, %2, %3, %4, 3, X'%5')")
            .arg(id).arg(key).arg(utf16Blob(name), utf16Blob(name.toLower()), QLatin1String(hex));
    };
    QVERIFY(executeOnStore(path,
        "CREATE TABLE reg_keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, name BLOB NOT NULL,"
        " folded BLOB NOT NULL, UNIQUE(parent, folded));"
        "CREATE TABLE reg_values(id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name BLOB NOT NULL,"
        " folded BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, folded));"
        "INSERT INTO reg_keys VALUES (1, 0, CAST('HKEY_LOCAL_MACHINE' AS BLOB), CAST('hkey_local_machine' AS BLOB)),"
        " (2, 0, CAST('HKEY_CURRENT_USER' AS BLOB), CAST('hkey_current_user' AS BLOB)), "
        + key(3, 1, "Software") + ", " + key(4, 3, "Kept") + ", " + key(5, 5, "Loop") + ", " + key(6, 99, "Lost")
        + "; INSERT INTO reg_values VALUES " + value(1, 4, "v", "0102") + ", " + value(2, 5, "loop", "03")
        + ", " + value(3, 7, "secret", "04") + "; PRAGMA user_version=1"));

    for (int open = 0; open < 2; ++open) {
        SqliteRegistry registry(path.toStdString());
        // Reading upgrades nothing: only the first write brings the store up to date.
        const QByteArray before = fileBytes(path);
        QCOMPARE(valueAt(registry, QStringLiteral("software\\kept"), u"V"), QStringLiteral("0102"));
        QCOMPARE(fileBytes(path), before);
        registry.closeKey(created(registry, QStringLiteral("Software\\First") + QString::number(open)));
        QCOMPARE(storeFaults(path), QString());
        // Key 7 was deleted with its value left behind: a new key must not become key 7.
        for (const QString &name : {QStringLiteral("New"), QStringLiteral("Newer")}) {
            const RegKey fresh = created(registry, QStringLiteral("Software\\") + name + QString::number(open));
            std::vector<RegValue> values;
            QCOMPARE(registry.enumValues(fresh, &values), kErrorSuccess);
            QCOMPARE(values.size(), std::size_t(0));
        }
    }
}

void tst_SqliteRegistry::storeSurvivesReopening()
{
    const std::string path = platformUnderTest.databasePath().toStdString() + ".reopen";
    {
        SqliteRegistry registry(path);
        setByte(registry, created(registry, QStringLiteral("Software\\Kept")), u"Name", 9);
    }
    SqliteRegistry registry(path);
    QCOMPARE(valueAt(registry, QStringLiteral("software\\kept"), u"name"), QStringLiteral("09"));
}

// A store file deleted while the program runs must not take the next saves into a file nobody
// can open again: the next scope writes to a new file at the same path.
void tst_SqliteRegistry::storeDeletedWhileOpenIsMadeAgain()
{
    const QString path = platformUnderTest.databasePath() + QStringLiteral(".deleted");
    SqliteRegistry registry(path.toStdString());
    RegKey key = created(registry, QStringLiteral("Software\\Kept"));
    QCOMPARE(setByte(registry, key, u"Old", 1), kErrorSuccess);
    registry.closeKey(key);
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);

    StderrCapture stderrLines;
    QCOMPARE(registry.beginScope(), kErrorSuccess);
    key = created(registry, QStringLiteral("Software\\Saved"));
    QCOMPARE(setByte(registry, key, u"New", 2), kErrorSuccess);
    registry.closeKey(key);
    QCOMPARE(registry.commitScope(), kErrorSuccess);
    QCOMPARE(stderrLines.lines().size(), 1);

    SqliteRegistry reopened(path.toStdString());
    QCOMPARE(valueAt(reopened, QStringLiteral("Software\\Saved"), u"New"), QStringLiteral("02"));
    QCOMPARE(valueAt(reopened, QStringLiteral("Software\\Kept"), u"Old").left(6), QStringLiteral("no key"));
}

// A launcher keeps its registry object for its whole run. The store file is replaced under it
// (copied over, in place, as cp does): its next save lands in the new store, and the file
// stays sound.
void tst_SqliteRegistry::storeReplacedUnderARunningProcessIsTheNewStore()
{
    const QString path = platformUnderTest.databasePath() + QStringLiteral(".held");
    const QString other = platformUnderTest.databasePath() + QStringLiteral(".other");
    SqliteRegistry replacement(other.toStdString());
    replacement.closeKey(created(replacement, QStringLiteral("Software\\Other")));
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-store"), path});
    const auto saved = [&holder](const QByteArray &name) {
        holder.write(name + '\n');
        while (!holder.canReadLine() && holder.waitForReadyRead(30000)) {
        }
        return holder.readLine() == "saved\n";
    };
    QVERIFY(saved("First"));
    QVERIFY(writeFile(path, fileBytes(other)));
    QVERIFY(saved("Second"));
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(30000));

    SqliteRegistry reader(path.toStdString());
    QCOMPARE(subKeys(reader, QStringLiteral("Software")), (QStringList{"Other", "Second"}));
    std::string problem;
    QCOMPARE(reader.checkStore(&problem), kErrorSuccess);
}

// In a read-only folder or on a read-only file system the WAL's shared memory can be neither
// made nor opened: the store is read all the same, and takes no writes.
void tst_SqliteRegistry::storeWhereNothingCanBeWrittenIsRead()
{
    const QString path = platformUnderTest.databasePath() + QStringLiteral(".read%23only#?");
    SqliteRegistry writer(path.toStdString());
    QCOMPARE(setByte(writer, created(writer, QStringLiteral("Software\\Kept")), u"v", 7), kErrorSuccess);
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/folder/shm"), path + QStringLiteral("-shm")));
    const QByteArray before = fileBytes(path);
    SqliteRegistry reader(path.toStdString());
    StderrCapture quiet;
    QCOMPARE(valueAt(reader, QStringLiteral("Software\\Kept"), u"v"), QStringLiteral("07"));
    RegKey key = kNoKey;
    QVERIFY(reader.createKey(kLocalMachine, u"Software\\New", &key) != kErrorSuccess);
    QCOMPARE(fileBytes(path), before);
}

namespace {

// The second process of storeReplacedUnderARunningProcessIsTheNewStore: makes the key each
// line of its input names, answering "saved", until its input ends.
int holdStore(const char *path)
{
    SqliteRegistry registry(path);
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        const RegKey key = created(registry, QStringLiteral("Software\\") + QString::fromLatin1(line).trimmed());
        setByte(registry, key, u"v", 1);
        registry.closeKey(key);
        std::printf("saved\n");
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hold-store") == 0)
        return holdStore(argv[2]);
    QCoreApplication app(argc, argv);
    tst_SqliteRegistry test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_sqliteregistry.moc"
