#include "TestPlatform.h"

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "settings/RegistryAccess.h"

#include <QTest>

using namespace platform;

namespace {

QByteArray storedBytes(RegKey key, const QString &name, std::uint32_t *type = nullptr)
{
    std::vector<RegValue> values;
    registry().enumValues(key, &values);
    for (const RegValue &value : values) {
        if (QString::fromStdU16String(value.name) == name) {
            if (type)
                *type = value.type;
            return QByteArray(reinterpret_cast<const char *>(value.data.data()), qsizetype(value.data.size()));
        }
    }
    return QByteArray("<missing>");
}

QByteArray utf16Bytes(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

// As the importer and Windows' own tools store a text: its code units and one NUL.
QByteArray withNul(const QString &text)
{
    return utf16Bytes(text) + QByteArray(2, '\0');
}

} // namespace

class tst_RegistryAccess : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void textsAreStoredWithOneNul_data();
    void textsAreStoredWithOneNul();
    void longValuesTakeTheSecondReadOnce();
    void readingIgnoresTheTypeAndStopsAtNul_data();
    void readingIgnoresTheTypeAndStopsAtNul();
    void environmentReferences_data();
    void environmentReferences();
    void keyHelpers();

private:
    TestPlatform *platformUnderTest = nullptr;
    RegKey key = kNoKey;
};

void tst_RegistryAccess::init()
{
    platformUnderTest = new TestPlatform;
    key = createRegKey(kLocalMachine, QStringLiteral("Software\\Test"));
    QVERIFY(key != kNoKey);
}

void tst_RegistryAccess::cleanup()
{
    closeRegKey(key);
    delete platformUnderTest;
}

void tst_RegistryAccess::textsAreStoredWithOneNul_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("plain") << QStringLiteral("Internet");
    QTest::newRow("non-latin") << QStringLiteral("Интернет — 網路");
    QTest::newRow("1024 characters") << QString(1024, u'x');
    QTest::newRow("5000 characters, written whole") << QString(5000, u'y');
    // Numbers are stored as their decimal text.
    for (const char *number : {"7", "0", "-1234567", "123456789", "-2147483648", "2147483647"})
        QTest::newRow(number) << QString::fromLatin1(number);
}

void tst_RegistryAccess::textsAreStoredWithOneNul()
{
    QFETCH(QString, text);
    std::uint32_t type = 0;
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    QCOMPARE(isNumber ? writeRegInt(key, QStringLiteral("T"), number) : writeRegString(key, QStringLiteral("T"), text),
             kErrorSuccess);
    QCOMPARE(storedBytes(key, QStringLiteral("T"), &type), withNul(text));
    QCOMPARE(type, kRegSz);
    StderrCapture capture;
    QCOMPARE(readRegString(key, QStringLiteral("T")), text);
    QCOMPARE(readRegInt(key, QStringLiteral("T")), number);
}

void tst_RegistryAccess::longValuesTakeTheSecondReadOnce()
{
    const QString text(600, u'z');
    writeRegString(key, QStringLiteral("Long"), text);
    // 511 characters and the NUL fill the first read's 1024 bytes exactly.
    writeRegString(key, QStringLiteral("Short"), QString(511, u's'));
    StderrCapture capture;
    QCOMPARE(readRegString(key, QStringLiteral("Long")), text);
    QCOMPARE(readRegString(key, QStringLiteral("Short")), QString(511, u's'));
    QCOMPARE(capture.lines(), QStringList{"ERROR_MORE_DATA"});
}

void tst_RegistryAccess::readingIgnoresTheTypeAndStopsAtNul_data()
{
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number"); // read as a number

    const auto text = [](const char *value) { return withNul(QString::fromLatin1(value)); };
    QTest::newRow("dword read as two code units") << uint(kRegDword) << QByteArray("1\0" "2\0", 4) << "12" << 12;
    QTest::newRow("text with terminator") << uint(kRegSz) << QByteArray("a\0b\0\0\0", 6) << "ab" << 0;
    QTest::newRow("inner NUL ends the text") << uint(kRegSz) << QByteArray("4\0\0\0" "2\0", 6) << "4" << 4;
    QTest::newRow("odd byte dropped") << uint(kRegBinary) << QByteArray("a\0b", 3) << "a" << 0;
    QTest::newRow("expandable text") << uint(kRegExpandSz) << QByteArray("x\0", 2) << "x" << 0;
    // What earlier versions wrote: a number padded with NULs to 16 bytes, a text without one.
    QTest::newRow("padded number") << uint(kRegSz) << QByteArray("7\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16) << "7" << 7;
    QTest::newRow("text without terminator") << uint(kRegSz) << QByteArray("a\0b\0", 4) << "ab" << 0;
    QTest::newRow("negative") << uint(kRegSz) << text("-3") << "-3" << -3;
    QTest::newRow("trailing letters") << uint(kRegSz) << text("12px") << "12px" << 0;
    QTest::newRow("hexadecimal is not decimal") << uint(kRegSz) << text("0x10") << "0x10" << 0;
    QTest::newRow("too large") << uint(kRegSz) << text("99999999999") << "99999999999" << 0;
    QTest::newRow("empty") << uint(kRegSz) << text("") << "" << 0;
    // Text of the store, not a byte order mark: kept, and never read byte-swapped.
    QTest::newRow("leading U+FEFF") << uint(kRegSz) << QByteArray("\xff\xfe" "a\0", 4) << QStringLiteral("\uFEFFa") << 0;
    QTest::newRow("leading U+FFFE") << uint(kRegSz) << QByteArray("\xfe\xff" "a\0", 4) << QStringLiteral("\uFFFEa") << 0;
}

void tst_RegistryAccess::readingIgnoresTheTypeAndStopsAtNul()
{
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QFETCH(int, number);
    registry().setValue(key, u"V", type, reinterpret_cast<const std::uint8_t *>(data.constData()),
                        std::uint32_t(data.size()));
    QCOMPARE(readRegString(key, QStringLiteral("V")), text);
    QCOMPARE(readRegInt(key, QStringLiteral("V")), number);
    QCOMPARE(readRegInt(key, QStringLiteral("missing")), 0);
}

void tst_RegistryAccess::environmentReferences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expanded");

    QTest::newRow("known") << "%LUMBRA_TEST_DIR%\\system32" << "/opt/windows\\system32";
    QTest::newRow("any case") << "%lumbra_test_dir%" << "/opt/windows";
    QTest::newRow("unknown stays") << "%NO_SUCH_VARIABLE%\\x" << "%NO_SUCH_VARIABLE%\\x";
    QTest::newRow("single percent") << "50%" << "50%";
    QTest::newRow("single percent inside") << "100% of 5" << "100% of 5";
    QTest::newRow("unpaired last percent") << "a%LUMBRA_TEST_DIR%b%c" << "a/opt/windowsb%c";
    QTest::newRow("empty name") << "%%" << "%%";
    QTest::newRow("value with equals sign") << "%LUMBRA_TEST_EQ%" << "a=b";
    QTest::newRow("two references") << "%LUMBRA_TEST_EQ%%LUMBRA_TEST_DIR%" << "a=b/opt/windows";
    QTest::newRow("names alike, the first counts") << "%Lumbra_Test_Case%" << "upper";
    QTest::newRow("100,000 references") << QStringLiteral("%LUMBRA_TEST_DIR%").repeated(100000)
                                        << QStringLiteral("/opt/windows").repeated(100000);
    QTest::newRow("400,000 unknown") << QStringLiteral("%x").repeated(400000) << QStringLiteral("%x").repeated(400000);
}

void tst_RegistryAccess::environmentReferences()
{
    QFETCH(QString, text);
    QFETCH(QString, expanded);
    qputenv("LUMBRA_TEST_DIR", "/opt/windows");
    qputenv("LUMBRA_TEST_EQ", "a=b");
    qputenv("LUMBRA_TEST_CASE", "upper");
    qputenv("lumbra_test_case", "lower");
    QCOMPARE(expandEnvironmentReferences(text), expanded);
    // Every value goes through the expansion on its way out of the registry.
    writeRegString(key, QStringLiteral("Path"), text);
    QCOMPARE(readRegString(key, QStringLiteral("Path")), expanded);
}

void tst_RegistryAccess::keyHelpers()
{
    QCOMPARE(queryRegKey(kLocalMachine, QStringLiteral("SOFTWARE\\TEST")), kErrorSuccess);
    QCOMPARE(queryRegKey(kLocalMachine, QStringLiteral("Software\\Other")), kErrorFileNotFound);
    QCOMPARE(openRegKey(kLocalMachine, QStringLiteral("Software\\Other"), false), kNoKey);
    const RegKey created = openRegKey(kLocalMachine, QStringLiteral("Software\\Other\\Deep"), true);
    QVERIFY(created != kNoKey);
    closeRegKey(created);
    QCOMPARE(queryRegKey(kLocalMachine, QStringLiteral("Software\\Other\\Deep")), kErrorSuccess);
    QVERIFY(writeRegString(kNoKey, QStringLiteral("x"), QStringLiteral("y")) != kErrorSuccess);
    QCOMPARE(readRegString(kNoKey, QStringLiteral("x")), QString());
}

QTEST_GUILESS_MAIN(tst_RegistryAccess)
#include "tst_registryaccess.moc"
