#include "TestPlatform.h"

#include "platform/posix/SqliteRegistry.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
    void deletingTheRootKeepsIt();
    void uncommittedScopeIsInvisibleToOthers();
    void nestedScopesCommitOnce();
    void unchangedWritesLeaveTheFileAlone();
    void aForeignFileIsReportedAndLeftAlone();
    void storeSurvivesReopening();

private:
    TestPlatform platformUnderTest;
};

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
    QStringList deep;
    for (int i = 0; i < 513; ++i)
        deep << QStringLiteral("d");
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

void tst_SqliteRegistry::aForeignFileIsReportedAndLeftAlone()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("notes.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray text(4096, 'x');
    file.write(text);
    file.close();

    StderrCapture capture;
    SqliteRegistry registry(path.toStdString());
    RegKey key = kNoKey;
    QVERIFY(registry.createKey(kLocalMachine, u"Software", &key) != kErrorSuccess);
    QVERIFY(registry.openKey(kLocalMachine, u"Software", &key) != kErrorSuccess);
    const QStringList lines = capture.lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines.first().contains(path));

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), text);
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

QTEST_GUILESS_MAIN(tst_SqliteRegistry)
#include "tst_sqliteregistry.moc"
