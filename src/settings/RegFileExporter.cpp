#include "RegFileExporter.h"

#include "RegistryAccess.h"

#include "platform/Diagnostic.h"
#include "platform/Registry.h"
#include "platform/RegistryScope.h"

#include <QIODevice>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

// regedit wraps hex data once a line reaches this column, so that lines stay within 80.
constexpr int kHexWrapColumn = 77;
constexpr int kHexIndent = 2;
constexpr char16_t kHexDigits[] = u"0123456789abcdef";

QString rootName(platform::RegKey root)
{
    if (root == platform::kLocalMachine)
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    if (root == platform::kCurrentUser)
        return QStringLiteral("HKEY_CURRENT_USER");
    return QString();
}

// A .reg file has no way to write a NUL in a name, and UTF-8 none for a lone surrogate.
bool nameWritable(const QString &name)
{
    return !name.contains(QChar(u'\0')) && name.isValidUtf16();
}

// Key names take no escapes, so a line end in one cannot be written either.
bool keyNameWritable(const QString &name)
{
    return nameWritable(name) && !name.contains(u'\n') && !name.contains(u'\r');
}

// A name as one line of a message, whatever characters it holds.
QString printable(QString name)
{
    for (QChar &c : name) {
        if (c.unicode() < 0x20)
            c = u'?';
    }
    return name;
}

QString quoted(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += u'"';
    for (QChar c : text) {
        if (c == u'\\' || c == u'"')
            escaped += u'\\';
        if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    escaped += u'"';
    return escaped;
}

// The "text" form reads back as REG_SZ holding the text and one terminating NUL. Like regedit,
// a REG_SZ whose text is followed by no NUL or by several takes that form too: every reader
// stops at the first NUL, so it means the same text. Anything else (a NUL inside, an odd byte
// at the end, half a surrogate pair) keeps its bytes in hex.
bool quotableText(const platform::RegValue &value, QString *text)
{
    const std::size_t size = value.data.size();
    if (value.type != platform::kRegSz || size % 2 != 0)
        return false;
    QString units(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < units.size(); ++i)
        units[i] = QChar(char16_t(value.data[2 * i] | value.data[2 * i + 1] << 8));
    const qsizetype end = units.indexOf(QChar(u'\0'));
    if (end >= 0) {
        if (QStringView(units).sliced(end).count(QChar(u'\0')) != units.size() - end)
            return false;
        units.truncate(end);
    }
    if (!units.isValidUtf16())
        return false;
    *text = units;
    return true;
}

QString hexType(std::uint32_t type)
{
    if (type == platform::kRegBinary)
        return QStringLiteral("hex:");
    return QStringLiteral("hex(%1):").arg(type, 0, 16);
}

// Bytes as two hex digits separated by commas, wrapped with a trailing backslash the way
// regedit wraps them. `column` is where the data begins on its first line.
QString hexBytes(const std::vector<std::uint8_t> &data, qsizetype column)
{
    QString text;
    for (std::size_t i = 0; i < data.size(); ++i) {
        text += QChar(kHexDigits[data[i] >> 4]);
        text += QChar(kHexDigits[data[i] & 0xF]);
        if (i + 1 == data.size())
            break;
        text += u',';
        column += 3;
        if (column >= kHexWrapColumn) {
            text += QStringLiteral("\\\n") + QString(kHexIndent, u' ');
            column = kHexIndent;
        }
    }
    return text;
}

QString valueLine(const platform::RegValue &value)
{
    const QString name = value.name.empty() ? QStringLiteral("@") : quoted(fromUtf16(value.name));
    QString text;
    if (quotableText(value, &text))
        return name + u'=' + quoted(text);
    if (value.type == platform::kRegDword && value.data.size() == 4) {
        const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16
                                     | static_cast<std::uint32_t>(value.data[3]) << 24;
        return name + QStringLiteral("=dword:%1").arg(number, 8, 16, QChar(u'0'));
    }
    const QString prefix = name + u'=' + hexType(value.type);
    return prefix + hexBytes(value.data, prefix.size());
}

bool allDigits(QStringView name)
{
    return !name.isEmpty()
        && std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QStringView withoutLeadingZeros(QStringView digits)
{
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.sliced(1);
    return digits;
}

// One order for any set of names, whatever order the store gives them in, so that an export
// of an import of an export is the same file: numbered subkeys first, by number (01 ... 99,
// 100), then the others by text without regard to case. Names that tie so far are told apart
// by their exact text.
bool subkeyLess(const QString &a, const QString &b)
{
    const bool numberedA = allDigits(a);
    if (numberedA != allDigits(b))
        return numberedA;
    if (numberedA) {
        const QStringView x = withoutLeadingZeros(a);
        const QStringView y = withoutLeadingZeros(b);
        if (x.size() != y.size())
            return x.size() < y.size();
        if (x != y)
            return x < y;
    } else if (const int order = a.compare(b, Qt::CaseInsensitive)) {
        return order < 0;
    }
    return a < b;
}

// Builds the whole file in memory, so that a failure half-way writes nothing. The tree is
// walked with a stack of its own: keys nest 512 deep, which one call per level would take
// beyond the thread's stack in a build with the sanitizers.
class TreeWriter
{
public:
    explicit TreeWriter(platform::Registry &registry) : registry(registry) {}

    // `key` stays open; the writer opens and closes the keys below it.
    bool writeTree(platform::RegKey key, const QString &fullName);
    QByteArray bytes(RegFileExporter::Form form) const;
    const QString &problem() const { return failure; }

private:
    // A key being written: its subkeys in file order, and the next one to write.
    struct Level
    {
        platform::RegKey key;
        QString fullName;
        bool owned;
        QStringList subkeys;
        qsizetype next = 0;
    };

    bool enter(std::vector<Level> &levels, platform::RegKey key, const QString &fullName, bool owned);
    bool writeValues(platform::RegKey key, const QString &fullName);
    bool listSubkeys(platform::RegKey key, const QString &fullName, QStringList *names);
    bool fail(const QString &reason);

    platform::Registry &registry;
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\n\n");
    QString failure;
};

QByteArray TreeWriter::bytes(RegFileExporter::Form form) const
{
    if (form == RegFileExporter::Form::Utf8)
        return text.toUtf8();
    // The byte order mark, then UTF-16LE with CR before every LF.
    QByteArray bytes(2 + 2 * (text.size() + text.count(u'\n')), Qt::Uninitialized);
    char *out = bytes.data();
    *out++ = '\xFF';
    *out++ = '\xFE';
    for (QChar c : text) {
        if (c == u'\n') {
            *out++ = '\r';
            *out++ = '\0';
        }
        *out++ = char(c.unicode() & 0xFF);
        *out++ = char(c.unicode() >> 8);
    }
    return bytes;
}

bool TreeWriter::writeTree(platform::RegKey key, const QString &fullName)
{
    std::vector<Level> levels;
    bool written = enter(levels, key, fullName, false);
    while (written && !levels.empty()) {
        Level &level = levels.back();
        if (level.next == level.subkeys.size()) {
            if (level.owned)
                registry.closeKey(level.key);
            levels.pop_back();
            continue;
        }
        const QString &name = level.subkeys.at(level.next++);
        const QString childName = level.fullName + u'\\' + name;
        platform::RegKey child = platform::kNoKey;
        const long status = registry.openKey(level.key, name.toStdU16String(), &child);
        if (status != platform::kErrorSuccess)
            written = fail(QStringLiteral("%1 cannot be opened (error %2)").arg(childName, QString::number(status)));
        else
            written = enter(levels, child, childName, true);
    }
    for (const Level &level : levels) {
        if (level.owned)
            registry.closeKey(level.key);
    }
    return written;
}

bool TreeWriter::enter(std::vector<Level> &levels, platform::RegKey key, const QString &fullName, bool owned)
{
    levels.push_back({key, fullName, owned, {}});
    if (!keyNameWritable(fullName))
        return fail(QStringLiteral("the key name %1 cannot be written to a .reg file").arg(printable(fullName)));
    text += u'[' + fullName + QStringLiteral("]\n");
    if (!writeValues(key, fullName))
        return false;
    text += u'\n';
    return listSubkeys(key, fullName, &levels.back().subkeys);
}

bool TreeWriter::writeValues(platform::RegKey key, const QString &fullName)
{
    std::vector<platform::RegValue> values;
    const long status = registry.enumValues(key, &values);
    if (status != platform::kErrorSuccess)
        return fail(QStringLiteral("the values of %1 cannot be read (error %2)").arg(fullName, QString::number(status)));
    for (const platform::RegValue &value : values) {
        if (!nameWritable(fromUtf16(value.name)))
            return fail(QStringLiteral("a value name in %1 cannot be written to a .reg file").arg(fullName));
        text += valueLine(value) + u'\n';
    }
    return true;
}

bool TreeWriter::listSubkeys(platform::RegKey key, const QString &fullName, QStringList *names)
{
    std::vector<std::u16string> found;
    const long status = registry.enumKeys(key, &found);
    if (status != platform::kErrorSuccess)
        return fail(QStringLiteral("the subkeys of %1 cannot be read (error %2)").arg(fullName, QString::number(status)));
    for (const std::u16string &name : found)
        names->append(fromUtf16(name));
    std::sort(names->begin(), names->end(), subkeyLess);
    return true;
}

bool TreeWriter::fail(const QString &reason)
{
    failure = reason;
    return false;
}

// "Software\ORTAN\Lumbra\EN\" names the same key as "Software\ORTAN\Lumbra\EN".
QString normalizedPath(const QString &path)
{
    return path.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
}

} // namespace

RegFileExporter::RegFileExporter(platform::Registry &registry, Form form)
    : registry(registry)
    , form(form)
{
}

bool RegFileExporter::exportTree(platform::RegKey root, const QString &path, QIODevice &out)
{
    const QString rootText = rootName(root);
    const QString relative = normalizedPath(path);
    const QString fullName = relative.isEmpty() ? rootText : rootText + u'\\' + relative;
    missingKey = false;
    if (rootText.isEmpty()) {
        printDiagnostic(QStringLiteral("export of %1: only HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER "
                                       "can be exported").arg(path));
        return false;
    }
    TreeWriter writer(registry);
    {
        // One snapshot of the store: an import committed meanwhile shows whole or not at all,
        // and goes on while this reads.
        platform::RegistryScope scope(registry, platform::RegistryScope::Access::Read);
        if (!scope.began())
            return false; // the scope has said why
        platform::RegKey key = platform::kNoKey;
        const long status = registry.openKey(root, relative.toStdU16String(), &key);
        if (status == platform::kErrorFileNotFound) {
            // Known only once the snapshot is whole: a store that failed a read says so instead.
            missingKey = scope.commit() == platform::kErrorSuccess;
            if (missingKey)
                printDiagnostic(QStringLiteral("export of %1: there is no such key").arg(fullName));
            return false;
        }
        if (status != platform::kErrorSuccess) {
            printDiagnostic(QStringLiteral("export of %1: the key cannot be opened (error %2)")
                                .arg(fullName, QString::number(status)));
            return false;
        }
        const bool complete = writer.writeTree(key, fullName);
        registry.closeKey(key);
        if (!complete) {
            printDiagnostic(QStringLiteral("export of %1: %2").arg(fullName, writer.problem()));
            return false;
        }
        if (scope.commit() != platform::kErrorSuccess) {
            printDiagnostic(QStringLiteral("export of %1: nothing was written").arg(fullName));
            return false;
        }
    }
    const QByteArray bytes = writer.bytes(form);
    if (out.write(bytes) != bytes.size()) {
        printDiagnostic(QStringLiteral("export of %1: cannot write: %2").arg(fullName, out.errorString()));
        return false;
    }
    return true;
}

bool RegFileExporter::exportFile(platform::RegKey root, const QString &path, const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        printDiagnostic(QStringLiteral("%1: cannot write the file: %2").arg(fileName, file.errorString()));
        return false;
    }
    if (!exportTree(root, path, file))
        return false; // the unfinished file is discarded with `file`
    if (!file.commit()) {
        printDiagnostic(QStringLiteral("%1: cannot write the file: %2").arg(fileName, file.errorString()));
        return false;
    }
    return true;
}
