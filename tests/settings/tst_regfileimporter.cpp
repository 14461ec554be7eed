#include "TestFiles.h"
#include "TestPlatform.h"

#include "settings/RegFileImporter.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using Status = RegFileImporter::Status;

Q_DECLARE_METATYPE(RegFileImporter::Status)

namespace {

const QByteArray kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray kTestKey = "[HKEY_LOCAL_MACHINE\\Software\\T]\r\n";

// What every test starts from, so that each can tell what an import left alone.
const QByteArray kExisting = kHeader
    + "[HKEY_LOCAL_MACHINE\\Software\\Old]\n\"keep\"=\"k\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Old\\Sub]\n\"n\"=dword:1\n";
const QString kOldKept = QStringLiteral("Software\\Old|keep = 1:6b000000");
const QString kOldSubKept = QStringLiteral("Software\\Old\\Sub|n = 4:01000000");

QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xFF\xFE");
    for (QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

// The same lines as a version 5 file in UTF-16 and as a REGEDIT4 file in UTF-8, the two ways
// hand-edited files come.
QByteArray version5(const QString &lines)
{
    return utf16le(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n") + lines);
}

QByteArray regedit4(const QString &lines)
{
    return "REGEDIT4\r\n\r\n" + lines.toUtf8();
}

// "PATH" answers "key" or "no key"; "PATH|NAME" answers "type:hexbytes" or "none". A path is
// below HKEY_LOCAL_MACHINE unless it begins with "HKCU\".
QString lookup(Registry &registry, QString what)
{
    RegKey root = kLocalMachine;
    if (what.startsWith(QStringLiteral("HKCU\\"))) {
        root = kCurrentUser;
        what.remove(0, 5);
    }
    const qsizetype bar = what.indexOf(u'|');
    RegKey key = kNoKey;
    if (registry.openKey(root, what.left(bar).toStdU16String(), &key) != kErrorSuccess)
        return QStringLiteral("no key");
    std::uint32_t type = 0;
    std::uint32_t size = 4096;
    std::vector<std::uint8_t> data(size);
    const long status = bar < 0 ? -1
        : registry.queryValue(key, what.mid(bar + 1).toStdU16String(), &type, data.data(), &size);
    registry.closeKey(key);
    if (bar < 0)
        return QStringLiteral("key");
    if (status != kErrorSuccess)
        return QStringLiteral("none");
    return QString::number(type, 16) + u':'
        + QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(data.data()), int(size)).toHex());
}

// Each check reads "WHAT = EXPECTED" with WHAT and EXPECTED as lookup() has them.
void verifyChecks(Registry &registry, const QStringList &checks)
{
    for (const QString &check : checks) {
        const QString what = check.section(QStringLiteral(" = "), 0, 0);
        QCOMPARE(what + QStringLiteral(" = ") + lookup(registry, what), check);
    }
}

} // namespace

class tst_RegFileImporter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void valueForms_data();
    void valueForms();
    void files_data();
    void files();
    void problemsNameFileAndLine_data();
    void problemsNameFileAndLine();
    void reportingIsCapped();
    void missingFileChangesNothing();
    void interruptedImportLeavesTheOldState();
    void refusedWritesStoreNothing_data();
    void refusedWritesStoreNothing();
    void storeThatCannotBeWrittenIsReported_data();
    void storeThatCannotBeWrittenIsReported();
    void limitedToSettings_data();
    void limitedToSettings();
    void blankLinesTakeNoMemory();

private:
    RegFileImporter::Status import(const QByteArray &file, const QString &name = QStringLiteral("t.reg"));

    std::unique_ptr<TestPlatform> platformUnderTest;
    int problems = 0;
};

RegFileImporter::Status tst_RegFileImporter::import(const QByteArray &file, const QString &name)
{
    RegFileImporter importer(platformUnderTest->registry());
    const Status status = importer.importData(file, name);
    problems = importer.problemCount();
    return status;
}

void tst_RegFileImporter::init()
{
    platformUnderTest = std::make_unique<TestPlatform>();
    QCOMPARE(import(kExisting), Status::Imported);
    QCOMPARE(problems, 0);
}

// Whatever an import did, every key and value it left must be reachable from a root.
void tst_RegFileImporter::cleanup()
{
    QCOMPARE(platformUnderTest->faults(), QString());
}

void tst_RegFileImporter::valueForms_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("problems");

    QTest::newRow("text") << QByteArray("\"v\"=\"ab\"") << "v" << "1:610062000000" << 0;
    QTest::newRow("empty text") << QByteArray("\"v\"=\"\"") << "v" << "1:0000" << 0;
    QTest::newRow("escapes") << QByteArray(R"("v"="\\\"\n\r")") << "v" << "1:5c0022000a000d000000" << 0;
    QTest::newRow("unknown escape kept") << QByteArray(R"("v"="\q")") << "v" << "1:71000000" << 1;
    QTest::newRow("\\0 rejects") << QByteArray(R"("v"="a\0")") << "v" << "none" << 1;
    QTest::newRow("text, comment") << QByteArray("\"v\"=\"a\" ; note") << "v" << "1:61000000" << 0;
    QTest::newRow("text, junk") << QByteArray("\"v\"=\"a\" b") << "v" << "none" << 1;
    QTest::newRow("no closing quote") << QByteArray("\"v\"=\"a") << "v" << "none" << 1;
    QTest::newRow("utf-8 text") << QByteArray("\"v\"=\"\xC3\xA9\xE2\x82\xAC\"") << "v" << "1:e900ac200000" << 0;
    QTest::newRow("blanks around =") << QByteArray("  \"v\" \t= \"a\"  ") << "v" << "1:61000000" << 0;
    QTest::newRow("default @") << QByteArray("@=\"d\"") << "" << "1:64000000" << 0;
    QTest::newRow("default \"\"") << QByteArray("\"\"=\"d\"") << "" << "1:64000000" << 0;
    QTest::newRow("escaped name") << QByteArray(R"("a\"b\\c"="d")") << "a\"b\\c" << "1:64000000" << 0;
    QTest::newRow("@ with junk") << QByteArray("@x=\"d\"") << "" << "none" << 1;
    QTest::newRow("no =") << QByteArray("\"v\" \"a\"") << "v" << "none" << 1;
    QTest::newRow("another sign for =") << QByteArray("\"v\":\"a\"") << "v" << "none" << 1;
    QTest::newRow("no data") << QByteArray("\"v\"=") << "v" << "none" << 1;
    QTest::newRow("unknown data") << QByteArray("\"v\"=text") << "v" << "none" << 1;
    QTest::newRow("dword") << QByteArray("\"v\"=dword:12345678") << "v" << "4:78563412" << 0;
    QTest::newRow("dword one digit") << QByteArray("\"v\"=dword:f") << "v" << "4:0f000000" << 0;
    QTest::newRow("dword, comment") << QByteArray("\"v\"=dword:FFFFFFFF ;x") << "v" << "4:ffffffff" << 0;
    QTest::newRow("dword 9 digits") << QByteArray("\"v\"=dword:000000001") << "v" << "none" << 1;
    QTest::newRow("dword 8 digits") << QByteArray("\"v\"=dword:00000001") << "v" << "4:01000000" << 0;
    QTest::newRow("dword empty") << QByteArray("\"v\"=dword:") << "v" << "none" << 1;
    QTest::newRow("dword 0x") << QByteArray("\"v\"=dword:0x10") << "v" << "none" << 1;
    QTest::newRow("DWORD") << QByteArray("\"v\"=DWORD:1") << "v" << "none" << 1;
    QTest::newRow("hex") << QByteArray("\"v\"=hex:00,ff,7F, 1") << "v" << "3:00ff7f01" << 0;
    QTest::newRow("hex empty") << QByteArray("\"v\"=hex:") << "v" << "3:" << 0;
    QTest::newRow("hex trailing comma") << QByteArray("\"v\"=hex:01,02, ;x") << "v" << "3:0102" << 0;
    QTest::newRow("hex over ff") << QByteArray("\"v\"=hex:01,100") << "v" << "none" << 1;
    QTest::newRow("hex 3 digits") << QByteArray("\"v\"=hex:001") << "v" << "none" << 1;
    QTest::newRow("hex leading zeros") << QByteArray("\"v\"=hex:0001,000000ff") << "v" << "none" << 1;
    QTest::newRow("hex no comma") << QByteArray("\"v\"=hex:01 02") << "v" << "none" << 1;
    QTest::newRow("hex not hex") << QByteArray("\"v\"=hex:01,zz") << "v" << "none" << 1;
    QTest::newRow("hex(0)") << QByteArray("\"v\"=hex(0):") << "v" << "0:" << 0;
    QTest::newRow("hex(1) kept") << QByteArray("\"v\"=hex(1):61,00") << "v" << "1:6100" << 0;
    QTest::newRow("hex(2)") << QByteArray("\"v\"=hex(2):25,00,00,00") << "v" << "2:25000000" << 0;
    QTest::newRow("hex(7)") << QByteArray("\"v\"=hex(7):61,00,00,00,00,00") << "v" << "7:610000000000" << 0;
    QTest::newRow("hex(2) empty") << QByteArray("\"v\"=hex(2):") << "v" << "2:" << 0;
    QTest::newRow("hex(7) odd length") << QByteArray("\"v\"=hex(7):61,00,00") << "v" << "7:6100000000" << 0;
    QTest::newRow("hex(7) NUL, then an odd byte") << QByteArray("\"v\"=hex(7):61,00,00,00,00") << "v"
                                                 << "7:6100000000" << 0;
    QTest::newRow("hex(2) one byte") << QByteArray("\"v\"=hex(2):61") << "v" << "2:61000000" << 0;
    QTest::newRow("hex(7) odd, last byte not 0") << QByteArray("\"v\"=hex(7):61,00,07") << "v" << "7:610007000000" << 0;
    QTest::newRow("hex(8 digits)") << QByteArray("\"v\"=hex(00000002):25,00") << "v" << "2:25000000" << 0;
    QTest::newRow("hex(11 digits)") << QByteArray("\"v\"=hex(0000000000b):01") << "v" << "none" << 1;
    QTest::newRow("hex(b)") << QByteArray("\"v\"=hex(b):01,00,00,00,00,00,00,00") << "v" << "b:0100000000000000" << 0;
    QTest::newRow("hex(ffff0001)") << QByteArray("\"v\"=hex(ffff0001):ab") << "v" << "ffff0001:ab" << 0;
    QTest::newRow("hex(100000000)") << QByteArray("\"v\"=hex(100000000):ab") << "v" << "none" << 1;
    QTest::newRow("hex(0x2)") << QByteArray("\"v\"=hex(0x2):ab") << "v" << "none" << 1;
    QTest::newRow("hex(2) no colon") << QByteArray("\"v\"=hex(2)ab") << "v" << "none" << 1;
    QTest::newRow("NUL in line") << QByteArray("\"v\"=\"a\0b\"", 9) << "v" << "none" << 1;
}

void tst_RegFileImporter::valueForms()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QFETCH(int, problems);
    StderrCapture quiet;
    QCOMPARE(import(kHeader + kTestKey + line + "\r\n"), Status::Imported);
    QCOMPARE(lookup(platformUnderTest->registry(), QStringLiteral("Software\\T|") + name), stored);
    QCOMPARE(this->problems, problems);
}

void tst_RegFileImporter::files_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QStringList>("checks");
    QTest::addColumn<int>("problems");

    const QByteArray v4 = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\T]\n";
    const QByteArray v5 = kHeader + kTestKey;
    const QString t = QStringLiteral("Software\\T");
    const QStringList nothingNew = {kOldKept, kOldSubKept, QStringLiteral("Software\\T = no key")};
    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };

    // Encodings and headers
    row("utf-16le") << utf16le("Windows Registry Editor Version 5.00\r\n[HKLM\\Software\\T]\r\n\"v\"=\"\u00e9\u20ac\"\r\n")
                    << Status::Imported << QStringList{"Software\\T|v = 1:e900ac200000"} << 0;
    row("utf-16le, regedit4") << utf16le("REGEDIT4\n[HKLM\\Software\\T]\n\"v\"=\"\u0416\"\n")
                              << Status::Imported << QStringList{"Software\\T|v = 1:16040000"} << 0;
    row("utf-16 without bom") << utf16le("Windows Registry Editor Version 5.00\n").mid(2)
                              << Status::NotARegistryFile << nothingNew << 0;
    row("utf-8 bom") << "\xEF\xBB\xBF" + v5 + "\"v\"=\"\xC3\xA9\"\n"
                     << Status::Imported << QStringList{"Software\\T|v = 1:e9000000"} << 0;
    row("windows-1252") << v5 + "\"v\"=\"\x80\xE9\x81\x9F\"\n"
                        << Status::Imported << QStringList{"Software\\T|v = 1:ac20e900810078010000"} << 0;
    row("1252 decided per line") << v5 + "\"a\"=\"\xE9\"\n\"b\"=\"\xC3\xA9\"\n" << Status::Imported
                                 << QStringList{"Software\\T|a = 1:e9000000", "Software\\T|b = 1:e9000000"} << 0;
    row("regedit4") << v4 + "\"v\"=\"a\"\n" << Status::Imported << QStringList{"Software\\T|v = 1:61000000"} << 0;
    row("header with blanks") << QByteArray(" \tREGEDIT4 \t\n[HKLM\\Software\\T]\n@=dword:2\n")
                              << Status::Imported << QStringList{"Software\\T| = 4:02000000"} << 0;
    row("header in lower case") << QByteArray("windows registry editor version 5.00\n") + kTestKey + "@=\"x\"\n"
                                << Status::NotARegistryFile << nothingNew << 0;
    row("REGEDIT variant") << "REGEDIT5\n" + kTestKey + "@=\"x\"\n" << Status::NotARegistryFile << nothingNew << 0;
    row("win 3.1 header") << "REGEDIT\n" + kTestKey << Status::NotARegistryFile << nothingNew << 0;
    row("blank first line") << "\n" + v5 << Status::NotARegistryFile << nothingNew << 0;
    row("empty file") << QByteArray() << Status::NotARegistryFile << nothingNew << 0;
    row("key first") << kTestKey + kHeader << Status::NotARegistryFile << nothingNew << 0;

    // Line ends
    row("lf") << QByteArray("REGEDIT4\n[HKLM\\Software\\T]\n\"a\"=\"1\"\n\"b\"=\"2\"") << Status::Imported
              << QStringList{"Software\\T|a = 1:31000000", "Software\\T|b = 1:32000000"} << 0;
    row("cr") << QByteArray("REGEDIT4\r[HKLM\\Software\\T]\r\"a\"=\"1\"\r\r\"b\"=\"2\"\r") << Status::Imported
              << QStringList{"Software\\T|a = 1:31000000", "Software\\T|b = 1:32000000"} << 0;
    row("mixed") << QByteArray("REGEDIT4\r\n[HKLM\\Software\\T]\r\"a\"=\"1\"\n\r\n\"b\"=\"2\"\r\n") << Status::Imported
                 << QStringList{"Software\\T|a = 1:31000000", "Software\\T|b = 1:32000000"} << 0;

    // Continued hex data
    row("continued") << v5 + "\"v\"=hex:01,02,\\\n   03,\\  ;c\n\n ; c\n\t04\n" << Status::Imported
                     << QStringList{"Software\\T|v = 3:01020304"} << 0;
    row("eof after backslash") << v5 + "\"v\"=hex(2):01,02,\\" << Status::Imported
                               << QStringList{"Software\\T|v = 2:01020000"} << 0;
    row("eof after backslash, lf") << v5 + "\"v\"=hex:01,\\\n\n" << Status::Imported
                                   << QStringList{"Software\\T|v = 3:01"} << 0;
    row("bad continuation") << v5 + "\"v\"=hex:01,\\\n\"w\"=\"x\"\n\"y\"=\"z\"\n" << Status::Imported
                            << QStringList{"Software\\T|v = none", "Software\\T|w = none", "Software\\T|y = 1:7a000000"}
                            << 1;
    row("# is no hex") << v5 + "\"v\"=hex:01,\\\n#02\n" << Status::Imported
                       << QStringList{"Software\\T|v = none"} << 1;
    row("backslash without comma") << v5 + "\"v\"=hex:01\\\n02\n" << Status::Imported
                                   << QStringList{"Software\\T|v = none"} << 2;
    row("text after backslash") << v5 + "\"v\"=hex:01,\\ 02\n" << Status::Imported
                                << QStringList{"Software\\T|v = none"} << 1;
    row("text is one line") << v5 + "\"v\"=\"a\\\nb\"\n" << Status::Imported << QStringList{"Software\\T|v = none"} << 2;
    row("regedit4 hex(2) and hex(7)") << v4 + "\"e\"=hex(2):25,e9,00\n\"m\"=hex(7):c3,a9,00,00\n\"b\"=hex(1):61\n"
                                      << Status::Imported
                                      << QStringList{"Software\\T|e = 2:2500e9000000", "Software\\T|m = 7:e90000000000",
                                                     "Software\\T|b = 1:61"} << 0;
    row("version 5 hex(2) terminated") << v5 + "\"e\"=hex(2):25,00\n" << Status::Imported
                                       << QStringList{"Software\\T|e = 2:25000000"} << 0;

    // Keys
    row("parents created") << kHeader + "[HKLM\\Software\\A\\B\\C]\n" << Status::Imported
                           << QStringList{"Software\\A = key", "Software\\A\\B\\C = key"} << 0;
    row("root in any case") << kHeader + "[hkey_Local_Machine\\Software\\A]\n[hkcu\\Software\\U]\n@=\"u\"\n"
                            << Status::Imported << QStringList{"Software\\A = key", "HKCU\\Software\\U| = 1:75000000"} << 0;
    row("root key itself") << kHeader + "[HKEY_CURRENT_USER]\n\"r\"=dword:3\n" << Status::Imported
                           << QStringList{"HKCU\\|r = 4:03000000"} << 0;
    row("slash is a character") << kHeader + "[HKLM\\Software\\a/b]\n" << Status::Imported
                                << QStringList{"Software\\a/b = key", "Software\\a = no key"} << 0;
    row("last ] ends the name") << kHeader + "[HKLM\\Software\\x]y] ; c\n" << Status::Imported
                                << QStringList{"Software\\x]y = key"} << 0;
    row("text after ]") << kHeader + "[HKLM\\Software\\T] x\n@=\"d\"\n" << Status::Imported
                        << QStringList{"Software\\T| = 1:64000000"} << 1;
    row("unknown root") << kHeader + "[HKEY_CLASSES_ROOT\\T]\n@=\"x\"\n\"y\"=-\n[HKLM\\Software\\T]\n@=\"d\"\n"
                        << Status::Imported << QStringList{"Software\\T| = 1:64000000"} << 1;
    row("blank after [") << kHeader + "[HKLM\\Software\\Old]\n[ HKLM\\Software\\T]\n\"keep\"=\"new\"\n"
                         << Status::Imported << QStringList{kOldKept, "Software\\T = no key"} << 1;
    row("no closing ]") << kHeader + "[HKLM\\Software\\Old]\n[HKLM\\Software\\T\n\"keep\"=-\n"
                        << Status::Imported << QStringList{kOldKept} << 1;
    row("empty name in path") << kHeader + "[HKLM\\Software\\\\T]\n@=\"d\"\n" << Status::Imported
                              << QStringList{"Software\\T = no key"} << 1;
    const QStringList deep(512, QStringLiteral("d"));
    row("512 levels") << kHeader + "[HKLM\\" + deep.join(u'\\').toUtf8() + "]\n@=\"d\"\n" << Status::Imported
                      << QStringList{deep.join(u'\\') + "| = 1:64000000"} << 0;
    row("513 levels") << kHeader + "[HKLM\\Software\\" + deep.join(u'\\').toUtf8() + "]\n@=\"d\"\n"
                      << Status::Imported << QStringList{"Software\\d = no key"} << 1;
    row("255 characters") << kHeader + "[HKLM\\Software\\" + QByteArray(255, 'k') + "]\n" << Status::Imported
                          << QStringList{"Software\\" + QString(255, u'k') + " = key"} << 0;
    row("256 characters") << kHeader + "[HKLM\\Software\\" + QByteArray(256, 'k') + "]\n@=\"d\"\n"
                          << Status::Imported << QStringList{"Software\\" + QString(256, u'k') + " = no key"} << 1;

    // Deletions
    row("delete tree") << kHeader + "[-HKLM\\Software\\Old]\n\"keep\"=\"x\"\n[HKLM\\Software\\T]\n"
                       << Status::Imported
                       << QStringList{"Software\\Old = no key", "Software\\Old\\Sub = no key", "Software\\T = key"} << 1;
    row("delete missing tree") << kHeader + "[-HKCU\\Software\\None]\n" << Status::Imported
                               << QStringList{kOldKept} << 0;
    row("delete a root") << kHeader + "[-HKEY_LOCAL_MACHINE]\n" << Status::Imported << QStringList{kOldKept, kOldSubKept} << 1;
    row("delete value") << kHeader + "[HKLM\\Software\\Old]\n\"KEEP\"=- ;c\n\"none\"=-\n" << Status::Imported
                        << QStringList{"Software\\Old|keep = none", kOldSubKept} << 0;
    row("delete value, junk") << kHeader + "[HKLM\\Software\\Old]\n\"keep\"=-x\n" << Status::Imported
                              << QStringList{kOldKept} << 1;
    row("delete default value") << kHeader + "[HKLM\\Software\\T]\n@=\"d\"\n@=-\n" << Status::Imported
                                << QStringList{"Software\\T| = none"} << 0;
    // A key deleted and written again in one file ends as a line-by-line import leaves it.
    row("written, deleted, written") << kHeader + "[HKLM\\Software\\T]\n[-HKLM\\Software\\T]\n[HKLM\\Software\\T]\n"
                                                  "\"secret\"=\"1\"\n[HKLM\\Software\\Unrelated]\n"
                                     << Status::Imported
                                     << QStringList{"Software\\T|secret = 1:31000000", "Software\\Unrelated|secret = none"}
                                     << 0;
    row("deleted twice") << kHeader + "[HKLM\\Software\\T]\n\"a\"=\"1\"\n[-HKLM\\Software\\T]\n[HKLM\\Software\\T]\n"
                                      "\"b\"=\"2\"\n[-HKLM\\Software\\T]\n[HKLM\\Software\\T]\n"
                         << Status::Imported
                         << QStringList{"Software\\T = key", "Software\\T|a = none", "Software\\T|b = none"} << 0;
    row("child of a deleted key") << kHeader + "[HKLM\\Software\\T\\b]\n[-HKLM\\Software\\T]\n[HKLM\\Software\\T\\b\\c]\n"
                                               "\"x\"=dword:3\n"
                                  << Status::Imported << QStringList{"Software\\T\\b\\c|x = 4:03000000"} << 0;
    row("reinstall over a filled store")
        << kHeader + "[-HKLM\\Software\\Old]\n[HKLM\\Software\\Old]\n\"keep\"=\"k\"\n[HKLM\\Software\\Old\\Sub]\n"
                     "\"n\"=dword:2\n[HKLM\\Software\\Old\\New]\n"
        << Status::Imported
        << QStringList{kOldKept, "Software\\Old\\Sub|n = 4:02000000", "Software\\Old\\New = key"} << 0;

    // Lines that are no key or value
    row("outside any key") << kHeader + "\"v\"=\"x\"\n@=-\n" << Status::Imported << QStringList{kOldKept} << 2;
    row("comments and blanks") << v5 + "; c\n  # c\n\n \t \n@=\"d\"\n" << Status::Imported
                               << QStringList{"Software\\T| = 1:64000000"} << 0;
    row("garbage") << v5 + "v=1\n@=\"d\"\n" << Status::Imported << QStringList{"Software\\T| = 1:64000000"} << 1;

    // Names that half a surrogate pair would make impossible to export
    const QChar high(char16_t(0xD800));
    const QChar low(char16_t(0xDC00));
    row("lone surrogate in a value name") << version5("[HKLM\\Software\\T]\r\n\"n" + QString(low) + "\"=\"1\"\r\n@=\"d\"\r\n")
                                          << Status::Imported
                                          << QStringList{"Software\\T| = 1:64000000", "Software\\T|n" + QString(low) + " = none"}
                                          << 1;
    row("lone surrogate in a key") << version5("[HKLM\\Software\\T\\k" + QString(high) + "]\r\n@=\"d\"\r\n")
                                   << Status::Imported << QStringList{"Software\\T = no key"} << 1;
    row("surrogate pair") << version5("[HKLM\\Software\\T\\k" + QString(high) + QString(low) + "]\r\n\"n"
                                      + QString(high) + QString(low) + "\"=\"1\"\r\n")
                          << Status::Imported
                          << QStringList{"Software\\T\\k" + QString(high) + QString(low) + "|n" + QString(high)
                                         + QString(low) + " = 1:31000000"}
                          << 0;

    // Where Windows' import differs from a plain reading of the format, in both encodings
    for (const bool unicode : {true, false}) {
        const auto file = [unicode](const QString &lines) { return unicode ? version5(lines) : regedit4(lines); };
        const auto both = [unicode](const char *name) -> QTestData & {
            return QTest::addRow("%s, %s", name, unicode ? "utf-16" : "regedit4");
        };
        both("trailing backslash") << file("[HKLM\\Software\\T\\]\r\n\"v\"=\"x\"\r\n") << Status::Imported
                                   << QStringList{"Software\\T|v = 1:78000000"} << 0;
        both("trailing backslashes") << file("[HKLM\\Software\\T\\\\]\r\n\"v\"=\"x\"\r\n[HKLM\\Software\\U\\\\\\\\]\r\n")
                                     << Status::Imported << QStringList{"Software\\T|v = 1:78000000", "Software\\U = key"}
                                     << 0;
        both("trailing backslash, deletion") << file("[-HKLM\\Software\\Old\\]\r\n") << Status::Imported
                                             << QStringList{"Software\\Old = no key"} << 0;
        both("root with a backslash") << file("[HKEY_CURRENT_USER\\]\r\n\"r\"=dword:3\r\n") << Status::Imported
                                      << QStringList{"HKCU\\|r = 4:03000000"} << 0;
        both("hex(2) and hex(7) get their NUL")
            << file(unicode ? "[HKLM\\Software\\T]\r\n\"e\"=hex(2):25,00,50,00\r\n\"m\"=hex(7):4c,00\r\n"
                              "\"d\"=hex(7):4c,00,00,00,00,00\r\n\"z\"=hex(2):\r\n\"b\"=hex:25,00\r\n"
                            : "[HKLM\\Software\\T]\r\n\"e\"=hex(2):25,50\r\n\"m\"=hex(7):4c\r\n"
                              "\"d\"=hex(7):4c,00,00\r\n\"z\"=hex(2):\r\n\"b\"=hex:25,00\r\n")
            << Status::Imported
            << QStringList{"Software\\T|e = 2:250050000000", "Software\\T|m = 7:4c000000",
                           "Software\\T|d = 7:4c0000000000", "Software\\T|z = 2:", "Software\\T|b = 3:2500"}
            << 0;
        both("continuation broken by a value") << file("[HKLM\\Software\\T]\r\n\"a\"=hex:01,\\\r\n\"b\"=\"x\"\r\n@=\"d\"\r\n")
                                               << Status::Imported
                                               << QStringList{"Software\\T|a = none", "Software\\T|b = none",
                                                              "Software\\T| = 1:64000000"}
                                               << 1;
        both("continuation broken by a key") << file("[HKLM\\Software\\T]\r\n\"c\"=hex:02,\\\r\n\r\n; note\r\n"
                                                     "[HKLM\\Software\\W]\r\n\"d\"=\"y\"\r\n")
                                             << Status::Imported
                                             << QStringList{"Software\\T|c = none", "Software\\W = no key",
                                                            "Software\\T|d = 1:79000000"}
                                             << 1;
        both("continuation broken by a deletion") << file("[HKLM\\Software\\T]\r\n\"c\"=hex:02,\\\r\n[-HKLM\\Software\\Old]\r\n")
                                                  << Status::Imported
                                                  << QStringList{"Software\\T|c = none", kOldKept} << 1;
        both("continuation broken by @ and #") << file("[HKLM\\Software\\T]\r\n\"a\"=hex:01,\\\r\n@=\"d\"\r\n"
                                                       "\"c\"=hex:02,\\\r\n#03\r\n\"e\"=\"f\"\r\n")
                                               << Status::Imported
                                               << QStringList{"Software\\T| = none", "Software\\T|c = none",
                                                              "Software\\T|e = 1:66000000"}
                                               << 2;
    }
}

void tst_RegFileImporter::files()
{
    QFETCH(QByteArray, file);
    QFETCH(Status, status);
    QFETCH(QStringList, checks);
    QFETCH(int, problems);
    StderrCapture stderrLines;
    QCOMPARE(import(file), status);
    QCOMPARE(this->problems, problems);
    verifyChecks(platformUnderTest->registry(), checks);
    // A file that is refused says so once; a file that is imported reports each problem once.
    QCOMPARE(stderrLines.lines().size(), status == Status::Imported ? problems : 1);
}

void tst_RegFileImporter::problemsNameFileAndLine_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    QTest::newRow("garbage") << kHeader + "\n\ngarbage\n" << "dir/my.reg:5: ";
    QTest::newRow("warning") << kHeader + kTestKey + "\"v\"=\"\\q\"\n" << "dir/my.reg:4: unknown escape \\q";
    QTest::newRow("continued value") << kHeader + kTestKey + "\"v\"=hex:01,\\\n02,\\\nzz\n" << "dir/my.reg:6: ";
    QTest::newRow("continued into a key") << kHeader + kTestKey + "\"v\"=hex:01,\\\n[HKLM\\Software\\W]\n"
                                          << "dir/my.reg:5: the hex data of line 4 is continued by a line that is "
                                             "not hex data; that value and this line are ignored, and the values "
                                             "after it stay in the key before it";
    QTest::newRow("blank key name") << kHeader + "[ HKLM\\Software\\T]\n"
                                    << "dir/my.reg:3: a key name may not begin with a blank";
    QTest::newRow("bad header") << QByteArray("REGEDIT5\n") << "dir/my.reg: not a registry file";
}

void tst_RegFileImporter::problemsNameFileAndLine()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    StderrCapture stderrLines;
    import(file, QStringLiteral("dir/my.reg"));
    const QStringList lines = stderrLines.lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(message), qPrintable(lines.first()));
}

void tst_RegFileImporter::reportingIsCapped()
{
    StderrCapture stderrLines;
    QCOMPARE(import(kHeader + kTestKey + QByteArray("junk\n").repeated(60) + "@=\"d\"\n"), Status::Imported);
    QCOMPARE(problems, 60);
    const QStringList lines = stderrLines.lines();
    QCOMPARE(lines.size(), 51);
    QVERIFY(lines.at(49).startsWith(QStringLiteral("t.reg:53: ")));
    QCOMPARE(lines.last(), QStringLiteral("t.reg: further problems are not listed"));
    verifyChecks(platformUnderTest->registry(), {"Software\\T| = 1:64000000"});
}

// Also what is no file to read: a named pipe would hang the import, a device never end, and
// a file too large (sparse here) ended in bad_alloc.
void tst_RegFileImporter::missingFileChangesNothing()
{
    QTemporaryDir folder;
    const QString pipe = folder.filePath(QStringLiteral("pipe.reg"));
    const QString large = folder.filePath(QStringLiteral("large.reg"));
    QFile sparse(large);
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(Q_INT64_C(2) << 30));
    QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), folder.filePath(QStringLiteral("zero.reg"))));
    for (const QString &path : {folder.filePath(QStringLiteral("none.reg")), folder.path(), pipe, large,
                                folder.filePath(QStringLiteral("zero.reg"))}) {
        StderrCapture stderrLines;
        RegFileImporter importer(platformUnderTest->registry());
        QCOMPARE(importer.importFile(path), Status::FileUnreadable);
        const QStringList lines = stderrLines.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(path + QStringLiteral(": ")), qPrintable(lines.first()));
    }
    verifyChecks(platformUnderTest->registry(), {kOldKept, kOldSubKept});

    const QString path = folder.filePath(QStringLiteral("ok.reg"));
    QVERIFY(writeFile(path, kHeader + "[-HKLM\\Software\\Old]\n"));
    QCOMPARE(RegFileImporter(platformUnderTest->registry()).importFile(path), Status::Imported);
    verifyChecks(platformUnderTest->registry(), {"Software\\Old = no key"});
}

// A registry that lets the process die part-way through an import.
class DyingRegistry : public SqliteRegistry
{
public:
    using SqliteRegistry::SqliteRegistry;
    long setValue(RegKey key, const std::u16string &name, std::uint32_t type, const std::uint8_t *data,
                  std::uint32_t size) override
    {
        const long status = SqliteRegistry::setValue(key, name, type, data, size);
        if (++writes == 3)
            _exit(0);
        return status;
    }

private:
    int writes = 0;
};

// SQLite connections must not cross a fork, so the parent holds none while the child runs.
void tst_RegFileImporter::interruptedImportLeavesTheOldState()
{
    QTemporaryDir folder;
    const std::string database = folder.filePath(QStringLiteral("store.sqlite")).toStdString();
    {
        SqliteRegistry before(database);
        QCOMPARE(RegFileImporter(before).importData(kExisting, QStringLiteral("t.reg")), Status::Imported);
    }
    const QByteArray file = kHeader + "[-HKLM\\Software\\Old]\n" + kTestKey + "\"a\"=\"1\"\n\"b\"=\"2\"\n\"c\"=\"3\"\n";
    const pid_t child = fork();
    if (child == 0) {
        DyingRegistry registry(database);
        RegFileImporter(registry).importData(file, QStringLiteral("t.reg"));
        _exit(1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    SqliteRegistry after(database);
    verifyChecks(after, {kOldKept, kOldSubKept, "Software\\T = no key"});
}

void tst_RegFileImporter::refusedWritesStoreNothing_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    const QString secret = utf16Blob(QStringLiteral("secret"));
    const QByteArray lines = kHeader + "[-HKLM\\Software\\Old\\Sub]\n" + kTestKey + "\"a\"=\"1\"\n\"secret\"=\"2\"\n\"c\"=\"3\"\n"
                             "[HKLM\\Software\\New]\n";
    QTest::newRow("a value")
        << "CREATE TRIGGER refuse BEFORE INSERT ON reg_values WHEN NEW.folded = " + secret
               + " BEGIN SELECT RAISE(ABORT, 'access denied'); END"
        << lines << "t.reg:6: the registry refused to store this value (error 1016); nothing was imported";
    QTest::newRow("a value, the transaction undone by SQLite")
        << "CREATE TRIGGER refuse BEFORE INSERT ON reg_values WHEN NEW.folded = " + secret
               + " BEGIN SELECT RAISE(ROLLBACK, 'I/O error'); END"
        << lines << "t.reg:6: the registry refused to store this value (error 1016); nothing was imported";
    QTest::newRow("a key")
        << "CREATE TRIGGER refuse BEFORE INSERT ON reg_keys BEGIN SELECT RAISE(ABORT, 'access denied'); END"
        << lines << "t.reg:4: the registry refused to create this key (error 1016); nothing was imported";
    QTest::newRow("a key deletion")
        << "CREATE TRIGGER refuse BEFORE DELETE ON reg_keys BEGIN SELECT RAISE(ABORT, 'access denied'); END"
        << lines << "t.reg:3: the registry refused to delete this key (error 1016); nothing was imported";
    QTest::newRow("a value deletion")
        << "CREATE TRIGGER refuse BEFORE DELETE ON reg_values BEGIN SELECT RAISE(ABORT, 'access denied'); END"
        << kHeader + "[HKLM\\Software\\New]\n[HKLM\\Software\\Old]\n\"keep\"=-\n"
        << "t.reg:5: the registry refused to delete this value (error 1016); nothing was imported";
}

// A store that refuses what the file asks for makes the import fail as a whole, once, rather
// than store the rest and call that a success.
void tst_RegFileImporter::refusedWritesStoreNothing()
{
    QFETCH(QString, trigger);
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QVERIFY(executeOnStore(platformUnderTest->databasePath(), trigger));
    StderrCapture stderrLines;
    QCOMPARE(import(file), Status::RegistryFailed);
    QCOMPARE(stderrLines.lines(), QStringList{message});
    verifyChecks(platformUnderTest->registry(), {kOldKept, kOldSubKept, "Software\\T = no key", "Software\\New = no key"});
    // The registry is usable again afterwards.
    QVERIFY(executeOnStore(platformUnderTest->databasePath(), QStringLiteral("DROP TRIGGER refuse")));
    QCOMPARE(import(file), Status::Imported);
}

void tst_RegFileImporter::storeThatCannotBeWrittenIsReported_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("a folder") << QString();
    QTest::newRow("a version 1 file without its tables") << "CREATE TABLE t(x); DROP TABLE t; PRAGMA user_version=1";
}

void tst_RegFileImporter::storeThatCannotBeWrittenIsReported()
{
    QFETCH(QString, sql);
    QTemporaryDir folder;
    const QString path = sql.isEmpty() ? folder.path() : folder.filePath(QStringLiteral("store.sqlite"));
    if (!sql.isEmpty())
        QVERIFY(executeOnStore(path, sql));
    SqliteRegistry unusable(path.toStdString());
    StderrCapture stderrLines;
    RegFileImporter importer(unusable);
    QCOMPARE(importer.importData(kHeader + kTestKey + "\"a\"=\"1\"\n", QStringLiteral("t.reg")), Status::RegistryFailed);
    // What is wrong with the store, and that nothing was imported: no line per value.
    const QStringList lines = stderrLines.lines();
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.first().contains(path), qPrintable(lines.first()));
    QVERIFY2(lines.last().startsWith(QStringLiteral("t.reg: ")), qPrintable(lines.last()));
    // The import ended the scope it began, though the begin failed.
    QCOMPARE(unusable.commitScope(), kErrorInvalidParameter);
}

void tst_RegFileImporter::limitedToSettings_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QStringList>("checks");
    QTest::addColumn<QString>("message"); // how stderr begins

    const QByteArray en = kHeader + "[HKLM\\Software\\ORTAN\\Lumbra\\EN\\System]\n";
    const QString sys = QStringLiteral("Software\\ORTAN\\Lumbra\\EN\\System|");
    const QString locked = sys + "LOCK_PIN = 1:4c0031000000";
    const QString kept = QStringLiteral("t.reg: the caregiver lock of the EN settings stays on");
    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("several languages, any case") << en + "\"N\"=\"2\"\n[hklm\\SOFTWARE\\ortan\\lumbra\\DE\\System]\n\"N\"=\"3\"\n"
        << Status::Imported << QStringList{sys + "N = 1:32000000", "Software\\ORTAN\\Lumbra\\DE\\System|N = 1:33000000", locked}
        << QString();
    row("keys elsewhere") << en + "[HKLM\\Software\\Other]\n\"v\"=\"x\"\n[HKCU\\Software\\ORTAN\\Lumbra\\EN]\n"
                                  "[HKLM\\Software\\ORTAN\\LumbraX]\n[-HKLM\\Software\\Old]\n" << Status::Imported
        << QStringList{"Software\\Other = no key", "HKCU\\Software = no key", "Software\\ORTAN\\LumbraX = no key", kOldKept}
        << "t.reg:4: HKLM\\Software\\Other is not part of Lumbra's settings";
    for (const char *key : {"HKEY_LOCAL_MACHINE\\Software", "HKLM\\software\\ortan\\lumbra\\", "HKEY_LOCAL_MACHINE"}) {
        QTest::addRow("deleting %s", key) << en + "\"N\"=\"2\"\n[-" + key + "]\n" << Status::Refused
            << QStringList{sys + "N = 1:31000000", kOldKept}
            << QStringLiteral("t.reg:5: deleting %1 would delete the settings of every language; nothing").arg(key);
    }
    // The caregiver lock stays unless the file sets another.
    row("an empty lock, the lock deleted") << en + "\"LOCK_PIN\"=\"\"\n\"lock_pin\"=-\n" << Status::Imported << QStringList{locked} << kept;
    row("the tree deleted and written again") << kHeader + "[-HKLM\\Software\\ORTAN\\Lumbra\\EN]\n" + en.mid(kHeader.size())
        << Status::Imported << QStringList{locked, sys + "LOCK_WRONG_TRIES = 1:33000000", sys + "N = none"} << kept;
    row("another lock") << en + "\"LOCK_PIN\"=\"L2\"\n" << Status::Imported << QStringList{sys + "LOCK_PIN = 1:4c0032000000"}
                        << QString();
    row("languages deleted, a lock with its tree") << kHeader + "[-HKLM\\Software\\ORTAN\\Lumbra\\DE]\n[-HKLM\\Software\\ORTAN\\Lumbra\\EN]\n"
        << Status::Imported << QStringList{"Software\\ORTAN\\Lumbra\\DE = no key", sys + "LOCK_PIN = no key"} << QString();
}

// What --installRegister does: Lumbra's settings, of any language, and nothing else; a lock
// set on this PC is not taken off by a file that carries none.
void tst_RegFileImporter::limitedToSettings()
{
    QFETCH(QByteArray, file);
    QFETCH(Status, status);
    QFETCH(QStringList, checks);
    QFETCH(QString, message);
    QCOMPARE(import(kHeader + "[HKLM\\Software\\ORTAN\\Lumbra\\EN\\System]\n\"LOCK_PIN\"=\"L1\"\n\"LOCK_WRONG_TRIES\"=\"3\"\n"
                              "\"N\"=\"1\"\n[HKLM\\Software\\ORTAN\\Lumbra\\DE\\System]\n"),
             Status::Imported);
    StderrCapture stderrLines;
    RegFileImporter importer(platformUnderTest->registry());
    importer.limitToSettings();
    const std::size_t open = platformUnderTest->registry().openKeyCount();
    QCOMPARE(importer.importData(file, QStringLiteral("t.reg")), status);
    QCOMPARE(platformUnderTest->registry().openKeyCount(), open);
    verifyChecks(platformUnderTest->registry(), checks);
    const QStringList lines = stderrLines.lines();
    // A line for each key elsewhere, or the one line about the lock.
    const qsizetype elsewhere = file.count("\n[") - file.count("\n[HKLM\\Software\\ORTAN\\Lumbra\\");
    QCOMPARE(lines.size(), message.isEmpty() ? 0 : qMax<qsizetype>(1, elsewhere));
    QVERIFY2(lines.isEmpty() || lines.first().startsWith(message), qPrintable(lines.value(0)));
}

// A file of blank lines as large as an import takes: read a line at a time, it costs little
// more than the file itself (a list of its lines took 24 bytes a line, 200 MB here).
void tst_RegFileImporter::blankLinesTakeNoMemory()
{
    const QByteArray file = kHeader + QByteArray(RegFileImporter::kMaxFileBytes - kHeader.size(), '\n');
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    QCOMPARE(import(file), Status::Imported);
    getrusage(RUSAGE_SELF, &after);
    QVERIFY2(after.ru_maxrss - before.ru_maxrss < 32 * 1024, qPrintable(QString::number(after.ru_maxrss - before.ru_maxrss)));
}

QTEST_GUILESS_MAIN(tst_RegFileImporter)
#include "tst_regfileimporter.moc"
