#include "RegistryContract.h"
#include "TestPlatform.h"

#include "platform/posix/SqliteRegistry.h"

#include <QCoreApplication>
#include <QCryptographicHash>
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

std::vector<std::uint8_t> bytesOf(const QByteArray &data)
{
    return std::vector<std::uint8_t>(data.begin(), data.end());
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

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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
    void keyNamesIgnoreCaseAndKeepIt_data();
    void keyNamesIgnoreCaseAndKeepIt();
    void openingAMissingKeyCreatesNothing();
    void createMakesEveryMissingParent();
    void keyNameLimits_data();
    void keyNameLimits();
    void valuesKeepTypeAndBytes_data();
    void valuesKeepTypeAndBytes();
    void queryFollowsTheBufferRules();
    void valueNamesIgnoreCaseKeepFirstSpellingAndOrder();
    void deleteTreeTakesTheWholeSubtree();
    void deletedKeysStayDeleted_data();
    void deletedKeysStayDeleted();
    void deletingTheRootKeepsIt();
    void uncommittedScopeIsInvisibleToOthers();
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

void tst_SqliteRegistry::keyNamesIgnoreCaseAndKeepIt_data()
{
    QTest::addColumn<QString>("createdAs");
    QTest::addColumn<QString>("openedAs");

    QTest::newRow("ascii") << "Software\\ORTAN\\Lumbra" << "SOFTWARE\\ortan\\LUMBRA";
    QTest::newRow("latin") << "Software\\Größe\\Ärger" << "SOFTWARE\\GRÖßE\\ärger";
    QTest::newRow("greek") << "Software\\Ωμέγα" << "software\\ωΜΈΓΑ";
    QTest::newRow("cyrillic") << "Software\\Привет" << "SOFTWARE\\пРИВЕТ";
    QTest::newRow("slash is a character") << "Software\\a/b" << "software\\A/B";
}

void tst_SqliteRegistry::keyNamesIgnoreCaseAndKeepIt()
{
    QFETCH(QString, createdAs);
    QFETCH(QString, openedAs);
    Registry &registry = platformUnderTest.registry();
    registry.closeKey(created(registry, createdAs));
    RegKey key = kNoKey;
    QCOMPARE(registry.openKey(kLocalMachine, u16(openedAs), &key), kErrorSuccess);
    QVERIFY(key != kNoKey);
    const QString parent = createdAs.section(u'\\', 0, -2);
    QCOMPARE(subKeys(registry, parent), QStringList{createdAs.section(u'\\', -1)});
    // Creating it again in another spelling finds the same key and keeps the first spelling.
    registry.closeKey(created(registry, openedAs));
    QCOMPARE(subKeys(registry, parent), QStringList{createdAs.section(u'\\', -1)});
}

void tst_SqliteRegistry::openingAMissingKeyCreatesNothing()
{
    Registry &registry = platformUnderTest.registry();
    RegKey key = 12345;
    QCOMPARE(registry.openKey(kLocalMachine, u"Software\\Nothing\\Here", &key), kErrorFileNotFound);
    QCOMPARE(key, kNoKey);
    QCOMPARE(subKeys(registry, QString()), QStringList());
    // Reading makes no store file either: an export of nothing must not leave one behind.
    QVERIFY(!QFile::exists(platformUnderTest.databasePath()));
}

void tst_SqliteRegistry::createMakesEveryMissingParent()
{
    Registry &registry = platformUnderTest.registry();
    const RegKey leaf = created(registry, QStringLiteral("Software\\A\\B\\C"));
    QVERIFY(leaf != kNoKey);
    QCOMPARE(subKeys(registry, QStringLiteral("Software")), QStringList{"A"});
    QCOMPARE(subKeys(registry, QStringLiteral("Software\\A")), QStringList{"B"});
    // A handle opens further keys relative to itself.
    RegKey child = kNoKey;
    QCOMPARE(registry.createKey(leaf, u"D", &child), kErrorSuccess);
    QCOMPARE(subKeys(registry, QStringLiteral("Software\\A\\B\\C")), QStringList{"D"});
}

void tst_SqliteRegistry::keyNameLimits_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<long>("status");

    QTest::newRow("255 characters") << QString(255, u'k') << kErrorSuccess;
    QTest::newRow("256 characters") << QString(256, u'k') << kErrorInvalidParameter;
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

void tst_SqliteRegistry::valuesKeepTypeAndBytes_data()
{
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("empty text") << uint(kRegSz) << QByteArray();
    QTest::newRow("odd length") << uint(kRegBinary) << QByteArray("\x01\x02\x03", 3);
    QTest::newRow("inner NULs") << uint(kRegSz) << QByteArray("a\0\0\0b\0", 6);
    QTest::newRow("dword") << uint(kRegDword) << QByteArray("\x78\x56\x34\x12", 4);
    QTest::newRow("large unknown type") << uint(0xffff0001u) << QByteArray("xyz");
    QTest::newRow("64 KiB") << uint(kRegBinary) << QByteArray(65536, '\xab');
}

void tst_SqliteRegistry::valuesKeepTypeAndBytes()
{
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    Registry &registry = platformUnderTest.registry();
    const RegKey key = created(registry, QStringLiteral("Software\\Values"));
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(data.constData());
    QCOMPARE(registry.setValue(key, u"v", type, bytes, std::uint32_t(data.size())), kErrorSuccess);

    std::vector<RegValue> values;
    QCOMPARE(registry.enumValues(key, &values), kErrorSuccess);
    QCOMPARE(values.size(), std::size_t(1));
    QCOMPARE(values.front().type, std::uint32_t(type));
    QVERIFY(values.front().data == bytesOf(data));
}

void tst_SqliteRegistry::queryFollowsTheBufferRules()
{
    Registry &registry = platformUnderTest.registry();
    const RegKey key = created(registry, QStringLiteral("Software\\Query"));
    const std::uint8_t stored[] = {1, 2, 3, 4, 5, 6};
    registry.setValue(key, u"six", kRegBinary, stored, 6);

    std::uint32_t type = 0;
    std::uint32_t size = 0;
    QCOMPARE(registry.queryValue(key, u"six", &type, nullptr, &size), kErrorSuccess);
    QCOMPARE(size, 6u);
    QCOMPARE(type, kRegBinary);

    std::uint8_t small[4] = {};
    size = sizeof small;
    QCOMPARE(registry.queryValue(key, u"six", nullptr, small, &size), kErrorMoreData);
    QCOMPARE(size, 6u);

    std::uint8_t exact[6] = {};
    size = sizeof exact;
    QCOMPARE(registry.queryValue(key, u"SIX", nullptr, exact, &size), kErrorSuccess);
    QVERIFY(std::equal(exact, exact + 6, stored));

    size = sizeof exact;
    QCOMPARE(registry.queryValue(key, u"missing", nullptr, exact, &size), kErrorFileNotFound);
    QCOMPARE(registry.queryValue(key, u"six", nullptr, exact, nullptr), kErrorInvalidParameter);
    QCOMPARE(registry.queryValue(0x7777, u"six", nullptr, nullptr, &size), kErrorInvalidHandle);
}

void tst_SqliteRegistry::valueNamesIgnoreCaseKeepFirstSpellingAndOrder()
{
    Registry &registry = platformUnderTest.registry();
    const RegKey key = created(registry, QStringLiteral("Software\\Order"));
    const std::uint8_t one = 1;
    const std::uint8_t two = 2;
    registry.setValue(key, u"Zeta", kRegBinary, &one, 1);
    registry.setValue(key, u"Alpha", kRegBinary, &one, 1);
    registry.setValue(key, u"ZETA", kRegDword, &two, 1);

    std::vector<RegValue> values;
    registry.enumValues(key, &values);
    QCOMPARE(values.size(), std::size_t(2));
    QCOMPARE(QString::fromStdU16String(values[0].name), QStringLiteral("Zeta"));
    QCOMPARE(values[0].type, kRegDword);
    QCOMPARE(values[0].data, std::vector<std::uint8_t>{2});
    QCOMPARE(QString::fromStdU16String(values[1].name), QStringLiteral("Alpha"));

    QCOMPARE(registry.deleteValue(key, u"alpha"), kErrorSuccess);
    QCOMPARE(registry.deleteValue(key, u"alpha"), kErrorFileNotFound);
}

void tst_SqliteRegistry::deleteTreeTakesTheWholeSubtree()
{
    Registry &registry = platformUnderTest.registry();
    const RegKey deep = created(registry, QStringLiteral("Software\\Tree\\A\\B"));
    const std::uint8_t byte = 7;
    registry.setValue(deep, u"v", kRegBinary, &byte, 1);
    registry.closeKey(created(registry, QStringLiteral("Software\\Keep")));

    QCOMPARE(registry.deleteTree(kLocalMachine, u"SOFTWARE\\tree"), kErrorSuccess);
    QCOMPARE(subKeys(registry, QStringLiteral("Software")), QStringList{"Keep"});
    std::uint32_t size = 0;
    QCOMPARE(registry.queryValue(deep, u"v", nullptr, nullptr, &size), kErrorKeyDeleted);
    QCOMPARE(registry.deleteTree(kLocalMachine, u"Software\\Tree"), kErrorFileNotFound);

    // Re-creating the path gives an empty key, not the old values.
    const RegKey again = created(registry, QStringLiteral("Software\\Tree\\A\\B"));
    QCOMPARE(registry.queryValue(again, u"v", nullptr, nullptr, &size), kErrorFileNotFound);
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

void tst_SqliteRegistry::uncommittedScopeIsInvisibleToOthers()
{
    Registry &writer = platformUnderTest.registry();
    SqliteRegistry reader(platformUnderTest.databasePath().toStdString());

    QCOMPARE(writer.beginScope(), kErrorSuccess);
    const RegKey key = created(writer, QStringLiteral("Software\\Scoped"));
    const std::uint8_t byte = 1;
    writer.setValue(key, u"v", kRegBinary, &byte, 1);
    QCOMPARE(subKeys(reader, QStringLiteral("Software")), QStringList{"<missing>"});
    QCOMPARE(writer.commitScope(), kErrorSuccess);
    QCOMPARE(subKeys(reader, QStringLiteral("Software")), QStringList{"Scoped"});
}

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
    for (const QString &path : {QStringLiteral("Software\\R"), QStringLiteral("Software\\S")}) {
        const RegKey key = created(writer, path);
        setByte(writer, key, u"v", 1);
        writer.closeKey(key);
    }
    SqliteRegistry reader(platformUnderTest.databasePath().toStdString());
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
    QCOMPARE(valueAt(reader, QStringLiteral("Software\\R"), u"v"), QStringLiteral("01"));
    QCOMPARE(valueAt(reader, QStringLiteral("Software\\S"), u"v"), QStringLiteral("01"));
    QCOMPARE(subKeys(reader, QStringLiteral("Software")), (QStringList{"R", "S"}));
    QCOMPARE(reader.commitScope(), kErrorSuccess);
    QCOMPARE(valueAt(reader, QStringLiteral("Software\\S"), u"v"), QStringLiteral("02"));

    // A read scope takes no writes, and its end says so.
    QCOMPARE(reader.beginReadScope(), kErrorSuccess);
    RegKey key = kNoKey;
    QCOMPARE(reader.createKey(kLocalMachine, u"Software\\Other", &key), kErrorAccessDenied);
    QCOMPARE(reader.commitScope(), kErrorAccessDenied);
    QCOMPARE(subKeys(writer, QStringLiteral("Software")), (QStringList{"R", "S", "New"}));
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
}

void tst_SqliteRegistry::unchangedWritesLeaveTheFileAlone()
{
    const std::string path = platformUnderTest.databasePath().toStdString() + ".same";
    auto writeAll = [&path] {
        SqliteRegistry registry(path);
        registry.beginScope();
        RegKey key = kNoKey;
        registry.createKey(kLocalMachine, u"Software\\Same", &key);
        const std::uint8_t bytes[] = {1, 2, 3};
        registry.setValue(key, u"v", kRegBinary, bytes, 3);
        registry.commitScope();
    };
    auto fileHash = [&path] {
        QFile file(QString::fromStdString(path));
        file.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    };
    writeAll();
    const QByteArray before = fileHash();
    writeAll();
    QCOMPARE(fileHash(), before);
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
    if (sql.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    } else {
        QVERIFY(executeOnStore(path, sql));
    }
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
        RegKey key = kNoKey;
        registry.createKey(kLocalMachine, u"Software\\Kept", &key);
        const std::uint8_t bytes[] = {9, 8};
        registry.setValue(key, u"Name", kRegSz, bytes, 2);
    }
    SqliteRegistry registry(path);
    RegKey key = kNoKey;
    QCOMPARE(registry.openKey(kLocalMachine, u"software\\kept", &key), kErrorSuccess);
    std::uint8_t bytes[2] = {};
    std::uint32_t size = 2;
    std::uint32_t type = 0;
    QCOMPARE(registry.queryValue(key, u"name", &type, bytes, &size), kErrorSuccess);
    QCOMPARE(type, kRegSz);
    QCOMPARE(int(bytes[0]), 9);
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
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(fileBytes(other)) > 0);
    file.close();
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
    const QString path = platformUnderTest.databasePath() + QStringLiteral(".readonly");
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
