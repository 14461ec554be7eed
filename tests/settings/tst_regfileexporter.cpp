#include "TestFiles.h"
#include "TestPlatform.h"

#include "settings/RegFileExporter.h"
#include "settings/RegFileImporter.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace platform;

namespace {

const QString kTree = QStringLiteral("Software\\ORTAN\\Lumbra\\EN");

void setValue(Registry &registry, const QString &path, const QString &name, std::uint32_t type,
              const QByteArray &data)
{
    RegKey key = kNoKey;
    QCOMPARE(registry.createKey(kLocalMachine, path.toStdU16String(), &key), kErrorSuccess);
    QCOMPARE(registry.setValue(key, name.toStdU16String(), type,
                               reinterpret_cast<const std::uint8_t *>(data.constData()),
                               std::uint32_t(data.size())),
             kErrorSuccess);
    registry.closeKey(key);
}

// Texts as an import stores them: UTF-16 with one terminating NUL.
QByteArray launcherText(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2 + 2);
}

// Every key below `path` with its values in enumeration order, independent of any export.
void dump(Registry &registry, RegKey key, const QString &path, QStringList *lines)
{
    *lines << path;
    std::vector<RegValue> values;
    registry.enumValues(key, &values);
    for (const RegValue &value : values) {
        *lines << path + u'|' + QString::fromStdU16String(value.name) + u'|' + QString::number(value.type, 16)
                + u'|' + QByteArray(reinterpret_cast<const char *>(value.data.data()), int(value.data.size())).toHex();
    }
    std::vector<std::u16string> names;
    registry.enumKeys(key, &names);
    std::sort(names.begin(), names.end());
    for (const std::u16string &name : names) {
        RegKey child = kNoKey;
        registry.openKey(key, name, &child);
        dump(registry, child, path + u'\\' + QString::fromStdU16String(name), lines);
        registry.closeKey(child);
    }
}

QStringList dump(Registry &registry, const QString &path = kTree)
{
    QStringList lines;
    RegKey key = kNoKey;
    if (registry.openKey(kLocalMachine, path.toStdU16String(), &key) == kErrorSuccess)
        dump(registry, key, path, &lines);
    registry.closeKey(key);
    return lines;
}

QByteArray exported(Registry &registry, const QString &path = kTree,
                    RegFileExporter::Form form = RegFileExporter::Form::Utf8)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return RegFileExporter(registry, form).exportTree(kLocalMachine, path, buffer) ? buffer.data() : QByteArray("failed");
}

} // namespace

class tst_RegFileExporter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void valuesComeBackAsTheyWere_data();
    void valuesComeBackAsTheyWere();
    void subkeyOrder_data();
    void subkeyOrder();
    void wholeTreeSurvivesImport();
    void deepestTreeComesBack();
    void exportIsOneStateWhileAnImportGoesOn();
    void failureWritesNothing_data();
    void failureWritesNothing();
    void exportFileKeepsTheOldFileOnFailure();

private:
    int importInto(Registry &registry, const QByteArray &file);

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<BusyStore> source;
    std::unique_ptr<SqliteRegistry> target;
};

void tst_RegFileExporter::init()
{
    folder = std::make_unique<QTemporaryDir>();
    source = std::make_unique<BusyStore>(folder->filePath(QStringLiteral("source.sqlite")).toStdString());
    target = std::make_unique<SqliteRegistry>(folder->filePath(QStringLiteral("target.sqlite")).toStdString());
}

int tst_RegFileExporter::importInto(Registry &registry, const QByteArray &file)
{
    RegFileImporter importer(registry);
    if (importer.importData(file, QStringLiteral("export.reg")) != RegFileImporter::Status::Imported)
        return -1;
    return importer.problemCount();
}

void tst_RegFileExporter::valuesComeBackAsTheyWere_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("comesBack");

    auto bytes = [](const char *data, int size) { return QByteArray(data, size); };
    QByteArray sixHundred;
    for (int i = 0; i < 600; ++i)
        sixHundred += char(i);

    QTest::newRow("text") << "v" << uint(kRegSz) << bytes("a\0b\0\0\0", 6) << R"("v"="ab")" << QByteArray();
    QTest::newRow("only the NUL") << "v" << uint(kRegSz) << bytes("\0\0", 2) << R"("v"="")" << QByteArray();
    QTest::newRow("escapes") << "v" << uint(kRegSz) << launcherText("\"\\\n\r;x")
                             << R"("v"="\"\\\n\r;x")" << QByteArray();
    QTest::newRow("unicode") << "Größe€" << uint(kRegSz) << launcherText(QStringLiteral("é\U0001F600"))
                             << "\"Größe€\"=\"é\U0001F600\"" << QByteArray();
    QTest::newRow("600 characters") << "v" << uint(kRegSz) << launcherText(QString(600, u'x'))
                                    << "\"v\"=\"" + QString(600, u'x') + "\"" << QByteArray();
    // Texts of older saves (no NUL, or padded) export as texts, as regedit writes them, and
    // come back with one NUL.
    QTest::newRow("launcher text") << "v" << uint(kRegSz) << bytes("a\0b\0", 4) << "\"v\"=\"ab\"\n" << launcherText("ab");
    QTest::newRow("launcher number") << "v" << uint(kRegSz) << bytes("7\0", 2) + QByteArray(14, '\0')
                                     << "\"v\"=\"7\"\n" << launcherText("7");
    QTest::newRow("empty launcher text") << "v" << uint(kRegSz) << QByteArray() << "\"v\"=\"\"\n" << bytes("\0\0", 2);
    QTest::newRow("inner NUL") << "v" << uint(kRegSz) << bytes("a\0\0\0b\0\0\0", 8) << "\"v\"=hex(1):61,00,00,00,62" << QByteArray();
    QTest::newRow("text, NULs, text") << "v" << uint(kRegSz) << bytes("a\0\0\0\0\0b\0", 8) << "\"v\"=hex(1):61,00,00,00,00" << QByteArray();
    QTest::newRow("odd length text") << "v" << uint(kRegSz) << bytes("a\0b", 3) << "\"v\"=hex(1):61,00,62\n" << QByteArray();
    QTest::newRow("lone surrogate") << "v" << uint(kRegSz) << bytes("\x00\xD8\0\0", 4) << "\"v\"=hex(1):00,d8,00,00" << QByteArray();
    QTest::newRow("quoted name") << "a\"b\\c" << uint(kRegDword) << bytes("\x01\0\0\0", 4)
                                 << R"("a\"b\\c"=dword:00000001)" << QByteArray();
    QTest::newRow("name with line end") << "a\nb" << uint(kRegBinary) << QByteArray() << R"("a\nb"=hex:)" << QByteArray();
    QTest::newRow("empty name") << "" << uint(kRegSz) << bytes("d\0\0\0", 4) << R"(@="d")" << QByteArray();
    QTest::newRow("dword") << "v" << uint(kRegDword) << bytes("\x78\x56\x34\xF2", 4) << "\"v\"=dword:f2345678" << QByteArray();
    QTest::newRow("short dword") << "v" << uint(kRegDword) << bytes("\1\2\3", 3) << "\"v\"=hex(4):01,02,03\n" << QByteArray();
    QTest::newRow("qword") << "v" << uint(kRegQword) << bytes("\1\0\0\0\0\0\0\x80", 8)
                           << "\"v\"=hex(b):01,00,00,00,00,00,00,80\n" << QByteArray();
    QTest::newRow("odd binary") << "v" << uint(kRegBinary) << bytes("\1\2\3", 3) << "\"v\"=hex:01,02,03\n" << QByteArray();
    QTest::newRow("empty binary") << "v" << uint(kRegBinary) << QByteArray() << "\"v\"=hex:\n" << QByteArray();
    QTest::newRow("none") << "v" << uint(kRegNone) << bytes("\0", 1) << "\"v\"=hex(0):00\n" << QByteArray();
    QTest::newRow("expand") << "v" << uint(kRegExpandSz) << bytes("%\0\0\0", 4) << "\"v\"=hex(2):25,00,00,00\n" << QByteArray();
    QTest::newRow("large type") << "v" << uint(0xffff0001u) << QByteArray("xy") << "\"v\"=hex(ffff0001):78,79\n" << QByteArray();
    QTest::newRow("600 bytes") << "v" << uint(kRegBinary) << sixHundred << "\"v\"=hex:00,01,02,03," << QByteArray();
    // No NUL at all: the last code unit is 0x0100.
    QTest::newRow("text ending in 00 01") << "v" << uint(kRegSz) << bytes("a\0\0\x01", 4) << "\"v\"=\"a\u0100\"\n"
                                          << bytes("a\0\0\x01\0\0", 6);
    QTest::newRow("expand with its NUL") << "v" << uint(kRegExpandSz) << bytes("%\0P\0\0\0", 6)
                                         << "\"v\"=hex(2):25,00,50,00,00,00\n" << QByteArray();
    // Every import terminates these, as Windows does: the one change a round trip makes.
    QTest::newRow("expand without its NUL") << "v" << uint(kRegExpandSz) << bytes("%\0P\0", 4)
                                            << "\"v\"=hex(2):25,00,50,00\n" << bytes("%\0P\0\0\0", 6);
    QTest::newRow("multi-string without its NUL") << "v" << uint(kRegMultiSz) << bytes("a", 1)
                                                  << "\"v\"=hex(7):61\n" << bytes("a\0\0\0", 4);
    // Its NUL is the last whole character: the odd byte after it adds no second one.
    QTest::newRow("multi-string, NUL, odd byte") << "v" << uint(kRegMultiSz) << bytes("a\0\0\0\0", 5)
                                                 << "\"v\"=hex(7):61,00,00,00,00\n" << QByteArray();
}

void tst_RegFileExporter::valuesComeBackAsTheyWere()
{
    QFETCH(QString, name);
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, line);
    QFETCH(QByteArray, comesBack);
    setValue(*source, kTree, QStringLiteral("before"), kRegSz, launcherText("b"));
    setValue(*source, kTree, name, type, data);
    setValue(*source, kTree, QStringLiteral("after"), kRegDword, QByteArray(4, '\0'));

    const QByteArray file = exported(*source);
    const QString text = QString::fromUtf8(file);
    QVERIFY2(text.contains(line), qPrintable(text));
    for (const QString &fileLine : text.split(u'\n')) {
        if (fileLine.endsWith(u'\\') || fileLine.startsWith(QStringLiteral("  ")))
            QVERIFY2(fileLine.size() <= 80, qPrintable(fileLine));
    }
    QCOMPARE(importInto(*target, file), 0);
    if (!comesBack.isNull())
        setValue(*source, kTree, name, type, comesBack);
    QCOMPARE(dump(*target), dump(*source));
}

void tst_RegFileExporter::subkeyOrder_data()
{
    QTest::addColumn<QStringList>("written");

    QTest::newRow("numbered") << QStringList{"01", "02", "9", "10", "099", "100"};
    QTest::newRow("named") << QStringList{"12", "abc", "ABD", "THEME_ALL_IMAGE", "Zeta", "éa"};
    QTest::newRow("numbers before names") << QStringList{"2", "10", "1a"};
    QTest::newRow("same number, other zeros") << QStringList{"01", "1", "002", "02", "2"};
    QTest::newRow("case ignored") << QStringList{"7", "a", "B", "c", "x1", "X2", "é"};
    QTest::newRow("nested") << QStringList{"01", "01\\9", "01\\10", "01\\1a", "02", "02\\A", "02\\b"};
}

// One order whatever order the keys were made in: a sort that depends on it (a comparison
// that is not a strict weak ordering) turns export, import, export into two different files.
void tst_RegFileExporter::subkeyOrder()
{
    QFETCH(QStringList, written);
    const QString prefix = QStringLiteral("[HKEY_LOCAL_MACHINE\\") + kTree;
    QStringList creation = written;
    std::reverse(creation.begin(), creation.end());
    QRandomGenerator random(20261208);
    QByteArray first;
    for (int round = 0; round < 8; ++round) {
        init();
        for (const QString &name : creation) {
            RegKey key = kNoKey;
            source->createKey(kLocalMachine, (kTree + u'\\' + name).toStdU16String(), &key);
            source->closeKey(key);
        }
        const QByteArray file = exported(*source);
        QStringList keys;
        for (const QString &line : QString::fromUtf8(file).split(u'\n')) {
            if (line.startsWith(prefix + u'\\'))
                keys << line.mid(prefix.size() + 1).chopped(1);
        }
        QCOMPARE(keys, written);
        if (round == 0)
            first = file;
        QCOMPARE(file, first);
        QCOMPARE(importInto(*target, file), 0);
        QCOMPARE(exported(*target), file);
        std::shuffle(creation.begin(), creation.end(), random);
    }
}

// By default the file is what Windows writes with this header (so that another PC's regedit
// reads "Büro" right): the lines of the UTF-8 form, in UTF-16 with CRLF.
void tst_RegFileExporter::wholeTreeSurvivesImport()
{
    for (int tab = 1; tab <= 12; ++tab) {
        const QString path = kTree + QStringLiteral("\\TabInfo\\%1").arg(tab, 2, 10, QChar(u'0'));
        setValue(*source, path, QStringLiteral("TAB_ITEM_NAME"), kRegSz, launcherText(QStringLiteral("Tab %1").arg(tab)));
        setValue(*source, path, QStringLiteral("TAB_ITEM_ID"), kRegSz, launcherText(QString::number(tab)));
    }
    setValue(*source, kTree + QStringLiteral("\\ThemeInfo\\01\\THEME_ALL_IMAGE\\01"), QStringLiteral("IMAGE_FILE_PATH"),
             kRegSz, launcherText(QStringLiteral("C:\\Bilder\\\"a\".png")));
    setValue(*source, kTree + QStringLiteral("\\System"), QString(), kRegSz, QByteArray("x\0\0\0", 4));
    setValue(*source, kTree + QStringLiteral("\\Büro"), QStringLiteral("Größe"), kRegSz, launcherText(QStringLiteral("Büro")));
    RegKey empty = kNoKey;
    source->createKey(kLocalMachine, (kTree + QStringLiteral("\\Empty")).toStdU16String(), &empty);
    source->closeKey(empty);

    const QByteArray file = exported(*source);
    QVERIFY(file.startsWith("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\" + kTree.toUtf8() + "]\n\n["));
    QVERIFY(!file.contains('\r') && file.contains("\"Größe\"=\"Büro\""));
    QCOMPARE(file.count("\n\n["), file.count("\n["));

    QCOMPARE(importInto(*target, file), 0);
    QCOMPARE(dump(*target), dump(*source));
    QCOMPARE(exported(*target), file);
    const QString lines = QString::fromUtf8(file).replace(u'\n', QStringLiteral("\r\n"));
    const QByteArray unicode = exported(*source, kTree, RegFileExporter::Form::Unicode);
    QCOMPARE(unicode, QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(lines.utf16()), lines.size() * 2));
    // A second import, of the same lines in the other form, changes nothing.
    QCOMPARE(importInto(*target, unicode), 0);
    QCOMPARE(dump(*target), dump(*source));
}

// Keys nest as deep as the registry allows: the export walks them all without running out
// of stack, also in a build with the sanitizers, and the file brings every level back.
void tst_RegFileExporter::deepestTreeComesBack()
{
    const int below = int(kMaxKeyDepth) - int(kTree.count(u'\\')) - 1;
    QString path = kTree;
    for (int level = 1; level <= below; ++level) {
        path += QStringLiteral("\\%1").arg(level % 3 == 0 ? QStringLiteral("k") : QString::number(level));
        if (level % 100 == 0 || level == below)
            setValue(*source, path, QStringLiteral("level"), kRegSz, launcherText(QString::number(level)));
    }
    const QByteArray file = exported(*source);
    QCOMPARE(file.count("\n["), below + 1);
    QCOMPARE(importInto(*target, file), 0);
    QCOMPARE(exported(*target), file);
    RegKey deepest = kNoKey;
    QCOMPARE(target->openKey(kLocalMachine, path.toStdU16String(), &deepest), kErrorSuccess);
    std::vector<RegValue> values;
    target->enumValues(deepest, &values);
    target->closeKey(deepest);
    const QByteArray level = launcherText(QString::number(below));
    QCOMPARE(values.size(), std::size_t(1));
    QCOMPARE(values.front().data, std::vector<std::uint8_t>(level.begin(), level.end()));
}

// Another process imports while the export reads: the file shows the store before the import
// or after it, never a mix, and the import is not held up by the reader.
void tst_RegFileExporter::exportIsOneStateWhileAnImportGoesOn()
{
    const QString path = folder->filePath(QStringLiteral("busy.sqlite"));
    QByteArray before = "Windows Registry Editor Version 5.00\n\n";
    for (int tab = 1; tab <= 20; ++tab)
        before += "[HKEY_LOCAL_MACHINE\\" + kTree.toUtf8() + "\\TabInfo\\" + QByteArray::number(tab) + "]\n\"v\"=\"old\"\n\n";
    QByteArray after = before;
    after.replace("\"old\"", "\"new\"");
    BusyStore reader(path.toStdString());
    QCOMPARE(importInto(reader, before), 0);
    const QByteArray old = exported(reader);
    QCOMPARE(old.count("\"old\""), 20);

    SqliteRegistry writer(path.toStdString());
    RegFileImporter::Status imported = RegFileImporter::Status::FileUnreadable;
    reader.meanwhile = [&] { imported = RegFileImporter(writer).importData(after, QStringLiteral("after.reg")); };
    reader.reads = 5;
    QCOMPARE(exported(reader), old);
    QCOMPARE(imported, RegFileImporter::Status::Imported);
    QCOMPARE(exported(reader), QByteArray(old).replace("\"old\"", "\"new\""));
}

void tst_RegFileExporter::failureWritesNothing_data()
{
    QTest::addColumn<qulonglong>("root");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<QString>("failing");

    QTest::newRow("missing key") << qulonglong(kLocalMachine) << QString() << QString() << QString();
    QTest::newRow("other root") << qulonglong(kClassesRoot) << kTree << QString() << QString();
    QTest::newRow("line end in a key name") << qulonglong(kLocalMachine) << kTree + "\\01\\a\nb" << QString() << QString();
    QTest::newRow("NUL in a value name") << qulonglong(kLocalMachine) << kTree << QStringLiteral("a") + QChar(0) << QString();
    for (const char *failing : {"begin", "open", "commit", "write"})
        QTest::newRow(failing) << qulonglong(kLocalMachine) << kTree << QString() << QString(failing);
}

void tst_RegFileExporter::failureWritesNothing()
{
    QFETCH(qulonglong, root);
    QFETCH(QString, key);
    QFETCH(QString, valueName);
    QFETCH(QString, failing);
    if (!key.isEmpty())
        setValue(*source, key, valueName.isNull() ? QStringLiteral("v") : valueName, kRegBinary, QByteArray());
    source->failing = failing;
    QBuffer buffer;
    buffer.open(failing == "write" ? QIODevice::ReadOnly : QIODevice::WriteOnly);
    StderrCapture stderrLines;
    QVERIFY(!RegFileExporter(*source).exportTree(RegKey(root), kTree, buffer));
    QCOMPARE(buffer.size(), 0);
    // The store says why it could not be read; the export says what came of it.
    const QStringList lines = stderrLines.lines();
    QCOMPARE(lines.size(), failing == "commit" ? 2 : 1);
    QVERIFY2(lines.last().contains(failing == "begin" ? QStringLiteral("nothing was read") : kTree), qPrintable(lines.last()));
}

void tst_RegFileExporter::exportFileKeepsTheOldFileOnFailure()
{
    setValue(*source, kTree, QStringLiteral("v"), kRegSz, launcherText("x"));
    const QString path = folder->filePath(QStringLiteral("EN.reg"));
    RegFileExporter exporter(*source);
    QVERIFY(exporter.exportFile(kLocalMachine, kTree + u'\\', path));
    QCOMPARE(fileBytes(path), exported(*source, kTree, RegFileExporter::Form::Unicode));

    StderrCapture quiet;
    QVERIFY(!exporter.exportFile(kLocalMachine, kTree + QStringLiteral("\\Missing"), path));
    QCOMPARE(fileBytes(path), exported(*source, kTree, RegFileExporter::Form::Unicode));

    // A folder where the file goes, made while the export reads and then there before it.
    const QString other = folder->filePath(QStringLiteral("other.reg"));
    source->meanwhile = [&] { QDir().mkdir(other); };
    source->reads = 1;
    for (int round = 0; round < 2; ++round) {
        StderrCapture said;
        QVERIFY(!exporter.exportFile(kLocalMachine, kTree, other));
        QVERIFY(said.lines().value(0).startsWith(other + QStringLiteral(": cannot write the file")));
    }
}

QTEST_GUILESS_MAIN(tst_RegFileExporter)
#include "tst_regfileexporter.moc"
