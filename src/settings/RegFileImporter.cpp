#include "RegFileImporter.h"

#include "LockPinStore.h"
#include "RegistryPaths.h"
#include "platform/Diagnostic.h"
#include "platform/Registry.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kMaxListedProblems = 50;
constexpr QLatin1String kVersion5Header("Windows Registry Editor Version 5.00");
constexpr QLatin1String kVersion4Header("REGEDIT4");
constexpr QLatin1String kRegeditPrefix("REGEDIT");

// --- Text -----------------------------------------------------------------------------------

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. Its five undefined bytes map to the
// C1 control of the same number, as MultiByteToWideChar maps them.
constexpr std::array<char16_t, 32> kWindows1252C1 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? kWindows1252C1[byte - 0x80] : char16_t(byte));
    }
    return text;
}

// Windows reads 8-bit files in the machine's code page. Here that is UTF-8, and text that is
// not valid UTF-8 was most likely written by a Western Windows editor.
QString from8Bit(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

QString fromUtf16Le(QByteArrayView bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto low = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto high = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        text[i] = QChar(char16_t(low | high << 8));
    }
    return text;
}

Bytes utf16LeBytes(QStringView text, bool terminated)
{
    Bytes bytes;
    bytes.reserve(static_cast<std::size_t>(text.size() + 1) * 2);
    for (QChar c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c.unicode() & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c.unicode() >> 8));
    }
    if (terminated)
        bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

// The lines of a file, decoded one at a time as the parser asks for them, so that an import
// needs little more memory than the file itself, however many lines it has. Only a leading
// FF FE decides: UTF-16 without it is read as 8-bit text (and then has no valid header); the
// UTF-8 signature is not something Windows looks for, but editors add it. Lines end in CR, LF
// or CRLF. An 8-bit line is taken as UTF-8 or Windows-1252 on its own, so that one stray byte
// spoils no more than its line.
class LineSource
{
public:
    explicit LineSource(const QByteArray &bytes)
        : text(bytes)
    {
        if (text.startsWith("\xFF\xFE")) {
            text = text.sliced(2);
            unit = 2;
        } else if (text.startsWith("\xEF\xBB\xBF")) {
            text = text.sliced(3);
        }
        // An odd byte at the end of a UTF-16 file is no character.
        end = text.size() / unit * unit;
    }

    // False at the end of the file.
    bool next(QString *line)
    {
        if (pos >= end)
            return false;
        qsizetype stop = pos;
        while (stop < end && codeAt(stop) != u'\r' && codeAt(stop) != u'\n')
            stop += unit;
        const QByteArrayView bytes = text.sliced(pos, stop - pos);
        *line = unit == 2 ? fromUtf16Le(bytes) : from8Bit(bytes);
        if (stop + unit < end && codeAt(stop) == u'\r' && codeAt(stop + unit) == u'\n')
            stop += unit;
        pos = stop + unit;
        return true;
    }

private:
    char16_t codeAt(qsizetype i) const
    {
        const auto low = static_cast<std::uint8_t>(text[i]);
        return unit == 2 ? char16_t(low | static_cast<std::uint8_t>(text[i + 1]) << 8) : char16_t(low);
    }

    QByteArrayView text;
    qsizetype unit = 1;
    qsizetype end = 0;
    qsizetype pos = 0;
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

qsizetype skipBlanks(QStringView line, qsizetype pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    return pos;
}

bool restIsBlankOrComment(QStringView line, qsizetype pos)
{
    pos = skipBlanks(line, pos);
    return pos == line.size() || line[pos] == u';';
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// --- Header ---------------------------------------------------------------------------------

enum class Header { Version5, Version4, UnsupportedRegedit, Missing };

Header headerOf(const QString &firstLine)
{
    QStringView text(firstLine);
    const qsizetype start = skipBlanks(text, 0);
    qsizetype end = text.size();
    while (end > start && isBlank(text[end - 1]))
        --end;
    text = text.sliced(start, end - start);
    if (text == kVersion5Header)
        return Header::Version5;
    if (text == kVersion4Header)
        return Header::Version4;
    // Windows accepts any header beginning "REGEDIT" and then imports nothing from the file.
    if (text.startsWith(kRegeditPrefix))
        return Header::UnsupportedRegedit;
    return Header::Missing;
}

// --- Pieces of a line -----------------------------------------------------------------------

struct QuotedText
{
    QString text;
    qsizetype end = -1; // just past the closing quote
    QString problem;
    QChar unknownEscape;
};

// `pos` is just past the opening quote. The escapes are those of `reg import`.
QuotedText readQuoted(QStringView line, qsizetype pos)
{
    QuotedText quoted;
    for (; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == u'"') {
            quoted.end = pos + 1;
            return quoted;
        }
        if (c != u'\\') {
            quoted.text += c;
            continue;
        }
        if (++pos == line.size())
            break;
        const QChar escaped = line[pos];
        switch (escaped.unicode()) {
        case u'0':
            quoted.problem = QStringLiteral("\\0 is not allowed in a quoted text");
            return quoted;
        case u'n':
            quoted.text += u'\n';
            break;
        case u'r':
            quoted.text += u'\r';
            break;
        case u'\\':
        case u'"':
            quoted.text += escaped;
            break;
        default:
            // Windows keeps the character after an unknown escape and warns about it.
            quoted.text += escaped;
            if (quoted.unknownEscape.isNull())
                quoted.unknownEscape = escaped;
        }
    }
    quoted.problem = QStringLiteral("the closing quote is missing");
    return quoted;
}

enum class HexLine { Complete, Continued, Invalid };

// Reads `maxDigits` hex digits at most from `*pos`; answers how many there were, or -1 when
// more follow. Every number in a file is checked this way, so that each limit is a count of
// digits, as the messages say, and leading zeros do not slip past it.
int readHexNumber(QStringView line, qsizetype *pos, int maxDigits, std::uint32_t *value)
{
    *value = 0;
    int digits = 0;
    for (; *pos < line.size() && hexDigit(line[*pos]) >= 0; ++*pos) {
        if (++digits > maxDigits)
            return -1;
        *value = *value << 4 | static_cast<std::uint32_t>(hexDigit(line[*pos]));
    }
    return digits;
}

// Bytes are separated by commas; a backslash after the last comma continues the data on the
// next line. As in Windows, nothing but a comma may follow a byte on the same line except
// blanks before the end or a comment.
HexLine readHexBytes(QStringView line, qsizetype pos, Bytes *bytes)
{
    for (;;) {
        pos = skipBlanks(line, pos);
        if (pos == line.size() || line[pos] == u';')
            return HexLine::Complete;
        if (line[pos] == u'\\')
            return restIsBlankOrComment(line, pos + 1) ? HexLine::Continued : HexLine::Invalid;
        std::uint32_t value = 0;
        if (readHexNumber(line, &pos, 2, &value) <= 0)
            return HexLine::Invalid;
        bytes->push_back(static_cast<std::uint8_t>(value));
        if (pos < line.size() && line[pos] == u',') {
            ++pos;
            continue;
        }
        return restIsBlankOrComment(line, pos) ? HexLine::Complete : HexLine::Invalid;
    }
}

// An odd byte at the end is no character.
bool endsInNulCharacter(const Bytes &data)
{
    const std::size_t whole = data.size() / 2 * 2;
    return whole >= 2 && data[whole - 2] == 0 && data[whole - 1] == 0;
}

// The type in "hex(N):"; `pos` is just past "hex(" and is left just past the colon.
bool readHexType(QStringView line, qsizetype *pos, std::uint32_t *type)
{
    qsizetype p = *pos;
    if (readHexNumber(line, &p, 8, type) <= 0 || !line.sliced(p).startsWith(u"):"))
        return false;
    *pos = p + 2;
    return true;
}

// --- Key names ------------------------------------------------------------------------------

struct RootName
{
    QLatin1String name;
    platform::RegKey key;
};

constexpr std::array<RootName, 4> kRoots = {{
    {QLatin1String("HKEY_LOCAL_MACHINE"), platform::kLocalMachine},
    {QLatin1String("HKLM"), platform::kLocalMachine},
    {QLatin1String("HKEY_CURRENT_USER"), platform::kCurrentUser},
    {QLatin1String("HKCU"), platform::kCurrentUser},
}};

struct KeyPath
{
    platform::RegKey root = platform::kNoKey;
    QString path; // below the root, empty for the root itself
    QString problem;
};

// A UTF-16 file can hold half of a surrogate pair; no registry file could carry such a name
// back out, so it is refused on the way in.
const QString kLoneSurrogate = QStringLiteral("holds half of a UTF-16 surrogate pair");

QString pathProblem(QStringView path)
{
    if (!path.isValidUtf16())
        return QStringLiteral("the key name ") + kLoneSurrogate;
    const QList<QStringView> components = path.split(u'\\');
    if (static_cast<std::size_t>(components.size()) > platform::kMaxKeyDepth)
        return QStringLiteral("the key is nested more than %1 deep").arg(platform::kMaxKeyDepth);
    for (QStringView component : components) {
        if (component.isEmpty())
            return QStringLiteral("the key path has an empty name between backslashes");
        if (static_cast<std::size_t>(component.size()) > platform::kMaxKeyNameLength)
            return QStringLiteral("a key name is longer than %1 characters").arg(platform::kMaxKeyNameLength);
    }
    return QString();
}

KeyPath parseKeyPath(QStringView name)
{
    KeyPath key;
    // As in Windows, backslashes at the end separate nothing: [ROOT\path\] is ROOT\path.
    while (name.endsWith(u'\\'))
        name.chop(1);
    const qsizetype separator = name.indexOf(u'\\');
    const QStringView rootName = separator < 0 ? name : name.first(separator);
    for (const RootName &root : kRoots) {
        if (rootName.compare(root.name, Qt::CaseInsensitive) == 0)
            key.root = root.key;
    }
    if (key.root == platform::kNoKey) {
        key.problem = QStringLiteral("unknown root key \"%1\"; its values are ignored").arg(rootName);
        return key;
    }
    if (separator >= 0) {
        key.path = name.sliced(separator + 1).toString();
        key.problem = pathProblem(key.path);
    }
    return key;
}

// Where a key lies from the one key an import is limited to.
enum class Place { Outside, Above, At, Inside };

// The key an import may write below, by its components.
struct ImportLimit
{
    platform::RegKey root = platform::kNoKey;
    QStringList components;
    QString fullName;

    Place placeOf(const KeyPath &key) const
    {
        if (key.root != root)
            return Place::Outside;
        const QList<QStringView> parts = QStringView(key.path).split(u'\\', Qt::SkipEmptyParts);
        const qsizetype common = std::min(parts.size(), components.size());
        for (qsizetype i = 0; i < common; ++i) {
            if (parts.at(i).compare(components.at(i), Qt::CaseInsensitive) != 0)
                return Place::Outside;
        }
        if (parts.size() == components.size())
            return Place::At;
        return parts.size() > components.size() ? Place::Inside : Place::Above;
    }
};

// --- Problems -------------------------------------------------------------------------------

class ProblemReport
{
public:
    explicit ProblemReport(const QString &fileName) : fileName(fileName) {}

    // At most one message per line, so that a line's first problem is the one reported.
    void atLine(int lineNumber, const QString &reason)
    {
        if (lineNumber == lastLine)
            return;
        lastLine = lineNumber;
        ++problems;
        if (problems <= kMaxListedProblems)
            printDiagnostic(QStringLiteral("%1:%2: %3").arg(fileName, QString::number(lineNumber), reason));
        else if (problems == kMaxListedProblems + 1)
            printDiagnostic(fileName + QStringLiteral(": further problems are not listed"));
    }
    int count() const { return problems; }

private:
    QString fileName;
    int problems = 0;
    int lastLine = 0;
};

// --- Parser ---------------------------------------------------------------------------------

enum class State {
    NextLine,
    LineStart,
    KeyName,
    ValueName,
    DataStart,
    DataType,
    StringData,
    DwordData,
    HexData,
    HexContinuation,
    DeleteValue,
    SetValue,
    Finished,
};

// Where the values that follow the last key line go.
enum class Target { NoKey, Key, DroppedKey, DeletedKey };

// A key or value the registry would not take. Nothing of the file is stored then.
struct Refusal
{
    int line = 0;
    const char *action = nullptr; // "store this value", ...
    long status = platform::kErrorSuccess;
};

class RegFileParser
{
public:
    RegFileParser(platform::Registry &registry, LineSource &lines, bool version4, ProblemReport &report,
                  const ImportLimit *limit)
        : registry(registry), lines(lines), version4(version4), report(report), limit(limit)
    {
    }
    RegFileParser(const RegFileParser &) = delete;
    RegFileParser &operator=(const RegFileParser &) = delete;

    void run();
    // Set when the registry refused something; the rest of the file was not read.
    const Refusal &refusal() const { return refused; }
    // The last line read: the file's last line once it has run.
    int lineCount() const { return lineNumber(); }

private:
    State nextLine();
    State lineStart();
    State keyName();
    State valueName();
    State dataStart();
    State dataType();
    State stringData();
    State dwordData();
    State hexData();
    State hexContinuation();
    State deleteValue();
    State setValue();

    State reject(const QString &reason);
    State refuse(int line, const char *action, long status);
    State finishHexData();
    bool openKey(QStringView name);
    bool deleteKey(QStringView name);
    bool startKey(QStringView name, KeyPath *path);
    bool withinLimit(QStringView name, const KeyPath &path, bool deletion);
    void closeKey();
    bool valueHasKey();
    void noteUnknownEscape(const QuotedText &quoted);
    bool readLine();
    int lineNumber() const { return static_cast<int>(lineIndex) + 1; }

    platform::Registry &registry;
    LineSource &lines;
    const bool version4;
    ProblemReport &report;
    const ImportLimit *limit; // null: anywhere

    qsizetype lineIndex = 0; // the header is line 1
    QString line;
    qsizetype pos = 0;

    platform::RegKey key = platform::kNoKey;
    Target target = Target::NoKey;

    int valueLine = 0;
    std::u16string name;
    std::uint32_t type = platform::kRegNone;
    Bytes data;
    QString warning; // reported only if the value is stored
    Refusal refused;
};

void RegFileParser::run()
{
    using Handler = State (RegFileParser::*)();
    // One handler per State, in the order the enum lists them.
    static constexpr std::array<Handler, static_cast<std::size_t>(State::Finished)> handlers = {
        &RegFileParser::nextLine,     &RegFileParser::lineStart,       &RegFileParser::keyName,
        &RegFileParser::valueName,    &RegFileParser::dataStart,       &RegFileParser::dataType,
        &RegFileParser::stringData,   &RegFileParser::dwordData,       &RegFileParser::hexData,
        &RegFileParser::hexContinuation, &RegFileParser::deleteValue,  &RegFileParser::setValue,
    };
    State state = State::NextLine;
    while (state != State::Finished)
        state = (this->*handlers[static_cast<std::size_t>(state)])();
    closeKey();
}

bool RegFileParser::readLine()
{
    if (!lines.next(&line))
        return false;
    ++lineIndex;
    pos = 0;
    return true;
}

State RegFileParser::nextLine()
{
    return readLine() ? State::LineStart : State::Finished;
}

State RegFileParser::lineStart()
{
    pos = skipBlanks(line, 0);
    if (pos == line.size())
        return State::NextLine;
    if (line.contains(QChar(u'\0')))
        return reject(QStringLiteral("the line contains a NUL character"));
    switch (line[pos].unicode()) {
    case u'[':
        ++pos;
        return State::KeyName;
    case u'@':
    case u'"':
        return State::ValueName;
    case u';':
    case u'#':
        return State::NextLine;
    default:
        return reject(QStringLiteral("not a key, a value or a comment"));
    }
}

State RegFileParser::keyName()
{
    const qsizetype close = line.lastIndexOf(u']');
    if (pos == line.size() || isBlank(line[pos]) || close < pos) {
        // Windows would leave the previous key open and put the values that follow into it.
        closeKey();
        target = Target::DroppedKey;
        const bool blank = close >= pos && pos < line.size();
        return reject(blank ? QStringLiteral("a key name may not begin with a blank; its values are ignored")
                            : QStringLiteral("the key name has no closing ']'; its values are ignored"));
    }
    const QStringView text = QStringView(line).sliced(pos, close - pos);
    const bool applied = text.startsWith(u'-') ? deleteKey(text.sliced(1)) : openKey(text);
    if (!applied)
        return State::Finished;
    if (!restIsBlankOrComment(line, close + 1))
        report.atLine(lineNumber(), QStringLiteral("the text after ']' is ignored"));
    return State::NextLine;
}

State RegFileParser::valueName()
{
    valueLine = lineNumber();
    data.clear();
    warning.clear();
    if (line[pos] == u'@') {
        ++pos;
        name.clear();
        return State::DataStart;
    }
    const QuotedText quoted = readQuoted(line, pos + 1);
    if (!quoted.problem.isEmpty())
        return reject(QStringLiteral("value name: ") + quoted.problem);
    if (static_cast<std::size_t>(quoted.text.size()) > platform::kMaxValueNameLength)
        return reject(QStringLiteral("the value name is longer than %1 characters")
                          .arg(platform::kMaxValueNameLength));
    if (!quoted.text.isValidUtf16())
        return reject(QStringLiteral("the value name ") + kLoneSurrogate);
    noteUnknownEscape(quoted);
    name = quoted.text.toStdU16String();
    pos = quoted.end;
    return State::DataStart;
}

State RegFileParser::dataStart()
{
    pos = skipBlanks(line, pos);
    if (pos == line.size() || line[pos] != u'=')
        return reject(QStringLiteral("'=' is missing after the value name"));
    pos = skipBlanks(line, pos + 1);
    if (pos < line.size() && line[pos] == u'-') {
        ++pos;
        return State::DeleteValue;
    }
    return State::DataType;
}

State RegFileParser::dataType()
{
    const QStringView rest = QStringView(line).sliced(pos);
    if (rest.startsWith(u'"')) {
        type = platform::kRegSz;
        pos += 1;
        return State::StringData;
    }
    if (rest.startsWith(u"dword:")) {
        type = platform::kRegDword;
        pos += 6;
        return State::DwordData;
    }
    if (rest.startsWith(u"hex:")) {
        type = platform::kRegBinary;
        pos += 4;
        return State::HexData;
    }
    if (rest.startsWith(u"hex(")) {
        pos += 4;
        if (!readHexType(line, &pos, &type))
            return reject(QStringLiteral("the type in hex(N): must be 1 to 8 hex digits"));
        return State::HexData;
    }
    return reject(rest.isEmpty() ? QStringLiteral("the value has no data after '='")
                                 : QStringLiteral("unknown kind of data; expected \"text\", dword:, hex: or hex(N):"));
}

State RegFileParser::stringData()
{
    const QuotedText quoted = readQuoted(line, pos);
    if (!quoted.problem.isEmpty())
        return reject(quoted.problem);
    if (!restIsBlankOrComment(line, quoted.end))
        return reject(QStringLiteral("only a comment may follow the closing quote"));
    noteUnknownEscape(quoted);
    data = utf16LeBytes(quoted.text, true);
    return State::SetValue;
}

State RegFileParser::dwordData()
{
    pos = skipBlanks(line, pos);
    std::uint32_t value = 0;
    if (readHexNumber(line, &pos, 8, &value) <= 0)
        return reject(QStringLiteral("dword: takes 1 to 8 hex digits"));
    if (!restIsBlankOrComment(line, pos))
        return reject(QStringLiteral("only a comment may follow the dword"));
    data = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return State::SetValue;
}

State RegFileParser::hexData()
{
    switch (readHexBytes(line, pos, &data)) {
    case HexLine::Complete:
        return finishHexData();
    case HexLine::Continued:
        return State::HexContinuation;
    case HexLine::Invalid:
        break;
    }
    return reject(QStringLiteral("hex data must be bytes of at most two hex digits separated by commas"));
}

State RegFileParser::hexContinuation()
{
    // A file that ends right after the backslash still has a whole value.
    if (!readLine())
        return finishHexData();
    pos = skipBlanks(line, 0);
    if (pos == line.size() || line[pos] == u';')
        return State::HexContinuation;
    if (hexDigit(line[pos]) >= 0)
        return State::HexData;
    // As in Windows, the line that broke the value goes with it, whatever it holds: a value
    // there is not stored, and a key there is neither created nor opened, so the values after
    // it still go to the key before.
    const bool keyLine = line[pos] == u'[';
    report.atLine(lineNumber(),
                  QStringLiteral("the hex data of line %1 is continued by a line that is not hex data; that value "
                                 "and this line are ignored%2")
                      .arg(QString::number(valueLine),
                           keyLine ? QStringLiteral(", and the values after it stay in the key before it")
                                   : QString()));
    data.clear();
    return State::NextLine;
}

State RegFileParser::finishHexData()
{
    if (type != platform::kRegExpandSz && type != platform::kRegMultiSz)
        return State::SetValue;
    // REGEDIT4 files hold these as 8-bit text, which Windows stores as UTF-16.
    if (version4) {
        const QByteArrayView text(reinterpret_cast<const char *>(data.data()),
                                  static_cast<qsizetype>(data.size()));
        data = utf16LeBytes(from8Bit(text), false);
    }
    // Their readers run to a NUL character, so Windows gives data that lacks one its NUL.
    // Like Windows, it looks at the last whole character; data of an odd size gets a zero
    // byte more where its NUL would otherwise not be whole, so that a second import of the
    // same data adds nothing.
    if (!data.empty() && !endsInNulCharacter(data)) {
        data.insert(data.end(), {0, 0});
        if (!endsInNulCharacter(data))
            data.push_back(0);
    }
    return State::SetValue;
}

State RegFileParser::deleteValue()
{
    if (!restIsBlankOrComment(line, pos))
        return reject(QStringLiteral("only a comment may follow '-'"));
    if (valueHasKey()) {
        const long status = registry.deleteValue(key, name);
        if (status != platform::kErrorSuccess && status != platform::kErrorFileNotFound)
            return refuse(valueLine, "delete this value", status);
    }
    return State::NextLine;
}

State RegFileParser::setValue()
{
    if (valueHasKey()) {
        const long status = registry.setValue(key, name, type, data.data(),
                                              static_cast<std::uint32_t>(data.size()));
        if (status != platform::kErrorSuccess)
            return refuse(valueLine, "store this value", status);
        if (!warning.isEmpty())
            report.atLine(valueLine, warning);
    }
    data.clear();
    return State::NextLine;
}

State RegFileParser::reject(const QString &reason)
{
    report.atLine(lineNumber(), reason);
    data.clear();
    return State::NextLine;
}

// A store that refuses one item refuses the import: the registry has already given up the
// whole scope, and reading on would only repeat the same failure line after line.
State RegFileParser::refuse(int line, const char *action, long status)
{
    refused = {line, action, status};
    return State::Finished;
}

// Every key line ends the previous key; until it proves good, the values after it are dropped.
bool RegFileParser::startKey(QStringView keyName, KeyPath *path)
{
    closeKey();
    *path = parseKeyPath(keyName);
    target = Target::DroppedKey;
    if (path->problem.isEmpty())
        return true;
    report.atLine(lineNumber(), path->problem);
    return false;
}

// Both answer false when the registry refused the key.
bool RegFileParser::openKey(QStringView keyName)
{
    KeyPath path;
    if (!startKey(keyName, &path) || !withinLimit(keyName, path, false))
        return true;
    const long status = registry.createKey(path.root, path.path.toStdU16String(), &key);
    if (status != platform::kErrorSuccess) {
        key = platform::kNoKey;
        refuse(lineNumber(), "create this key", status);
        return false;
    }
    target = Target::Key;
    return true;
}

bool RegFileParser::deleteKey(QStringView keyName)
{
    KeyPath path;
    if (!startKey(keyName, &path))
        return true;
    if (!withinLimit(keyName, path, true))
        return true;
    // Deleting a whole root would empty the store: no settings file means that.
    if (path.path.isEmpty()) {
        report.atLine(lineNumber(), QStringLiteral("a root key cannot be deleted"));
        return true;
    }
    const long status = registry.deleteTree(path.root, path.path.toStdU16String());
    if (status != platform::kErrorSuccess && status != platform::kErrorFileNotFound) {
        refuse(lineNumber(), "delete this key", status);
        return false;
    }
    target = Target::DeletedKey;
    return true;
}

// Keys outside the limit are passed over with their values, and so are deletions of them. A
// deletion of the limit's key or one above it never gets here: the whole file is refused
// before anything is written (forbiddenDeletion below).
bool RegFileParser::withinLimit(QStringView keyName, const KeyPath &path, bool deletion)
{
    if (!limit)
        return true;
    const Place place = limit->placeOf(path);
    if (place == Place::Inside || (place == Place::At && !deletion))
        return true;
    report.atLine(lineNumber(), QStringLiteral("%1 is not part of Lumbra's settings (%2); %3")
                                    .arg(keyName, limit->fullName,
                                         deletion ? QStringLiteral("it is not deleted")
                                                  : QStringLiteral("it and its values are skipped")));
    return false;
}

void RegFileParser::closeKey()
{
    if (key != platform::kNoKey)
        registry.closeKey(key);
    key = platform::kNoKey;
}

bool RegFileParser::valueHasKey()
{
    switch (target) {
    case Target::Key:
        return true;
    case Target::NoKey:
        report.atLine(valueLine, QStringLiteral("the value is not inside a key; it is ignored"));
        break;
    case Target::DeletedKey:
        report.atLine(valueLine, QStringLiteral("the value follows a deleted key; it is ignored"));
        break;
    case Target::DroppedKey:
        break; // reported with its key line
    }
    return false;
}

void RegFileParser::noteUnknownEscape(const QuotedText &quoted)
{
    if (!quoted.unknownEscape.isNull() && warning.isEmpty())
        warning = QStringLiteral("unknown escape \\%1; read as %1").arg(quoted.unknownEscape);
}

QString describeHeader(const QString *firstLine)
{
    if (!firstLine)
        return QStringLiteral("the file is empty");
    // Shown as printable text: a UTF-16 file without its byte order mark is full of NULs.
    QString first = firstLine->trimmed().left(60);
    for (QChar &c : first) {
        if (c.unicode() < 0x20)
            c = u'?';
    }
    return QStringLiteral("the first line is \"%1\"").arg(first);
}

ImportLimit settingsLimit()
{
    const QString path = settingsRootPath();
    return {platform::kLocalMachine, path.split(u'\\'), QStringLiteral("HKEY_LOCAL_MACHINE\\") + path};
}

// The first key line that deletes the limit's key or one above it, or 0. Every line that can
// be a deletion counts, also one that a broken hex continuation would have swallowed: such a
// file is not what the import is meant for either.
int forbiddenDeletion(const QByteArray &bytes, const ImportLimit &limit, QString *keyName)
{
    LineSource lines(bytes);
    QString line;
    for (int number = 1; lines.next(&line); ++number) {
        const qsizetype start = skipBlanks(line, 0);
        const qsizetype close = line.lastIndexOf(u']');
        if (!QStringView(line).sliced(start).startsWith(u"[-") || close < start + 2)
            continue;
        *keyName = line.sliced(start + 2, close - start - 2);
        const KeyPath path = parseKeyPath(*keyName);
        if (path.problem.isEmpty() && (limit.placeOf(path) == Place::Above || limit.placeOf(path) == Place::At))
            return number;
    }
    return 0;
}

// Reads at most one byte more than the limit, so that a file that grew since it was looked
// at is still told apart from one that fits.
bool readLimited(QFile &file, QByteArray *bytes)
{
    constexpr qint64 kChunk = 64 * 1024;
    while (bytes->size() <= RegFileImporter::kMaxFileBytes) {
        const QByteArray chunk = file.read(std::min(kChunk, RegFileImporter::kMaxFileBytes + 1 - bytes->size()));
        if (chunk.isEmpty())
            break;
        bytes->append(chunk);
    }
    return file.error() == QFileDevice::NoError;
}

QString tooLarge(const QString &path)
{
    return QStringLiteral("%1: the file is larger than %2 MB, far more than any settings tree; nothing imported")
        .arg(path, QString::number(RegFileImporter::kMaxFileBytes / (1024 * 1024)));
}

} // namespace

RegFileImporter::RegFileImporter(platform::Registry &registry)
    : registry(registry)
{
}

void RegFileImporter::limitToSettings()
{
    settingsOnly = true;
}

RegFileImporter::Status RegFileImporter::importFile(const QString &path)
{
    problems = 0;
    // Looked at before it is opened: opening a named pipe waits for a writer.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        printDiagnostic(QStringLiteral("%1: not a regular file; nothing imported").arg(path));
        return Status::FileUnreadable;
    }
    if (info.size() > kMaxFileBytes) {
        printDiagnostic(tooLarge(path));
        return Status::FileUnreadable;
    }
    QFile file(path);
    QByteArray bytes;
    if (!file.open(QIODevice::ReadOnly) || !readLimited(file, &bytes)) {
        printDiagnostic(QStringLiteral("%1: cannot read the file: %2").arg(path, file.errorString()));
        return Status::FileUnreadable;
    }
    if (bytes.size() > kMaxFileBytes) {
        printDiagnostic(tooLarge(path));
        return Status::FileUnreadable;
    }
    return importData(bytes, path);
}

RegFileImporter::Status RegFileImporter::importData(const QByteArray &bytes, const QString &fileName)
{
    problems = 0;
    LineSource lines(bytes);
    QString firstLine;
    const bool hasLine = lines.next(&firstLine);
    const Header header = hasLine ? headerOf(firstLine) : Header::Missing;
    if (header == Header::Missing || header == Header::UnsupportedRegedit) {
        printDiagnostic(QStringLiteral("%1: not a registry file, nothing imported: %2; it must be "
                                       "\"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"")
                            .arg(fileName, describeHeader(hasLine ? &firstLine : nullptr)));
        return Status::NotARegistryFile;
    }
    const ImportLimit limit = settingsOnly ? settingsLimit() : ImportLimit();
    QString deleted;
    if (const int line = settingsOnly ? forbiddenDeletion(bytes, limit, &deleted) : 0) {
        printDiagnostic(QStringLiteral("%1:%2: deleting %3 would delete the settings of every language; nothing "
                                       "was imported")
                            .arg(fileName, QString::number(line), deleted));
        return Status::Refused;
    }

    // A transaction that cannot begin would let a failure half-way leave half a file behind.
    // The scope is ended whatever its start answered: the registry counts it as open.
    long status = registry.beginScope();
    Refusal refusal;
    QStringList keptLocks;
    if (status == platform::kErrorSuccess) {
        const QList<LockPinStore::Lock> locks = settingsOnly ? LockPinStore::locksIn(registry) : QList<LockPinStore::Lock>();
        ProblemReport report(fileName);
        RegFileParser parser(registry, lines, header == Header::Version4, report, settingsOnly ? &limit : nullptr);
        parser.run();
        problems = report.count();
        refusal = parser.refusal();
        if (!refusal.action && !locks.isEmpty()) {
            const long kept = LockPinStore::keepLocks(registry, locks, &keptLocks);
            if (kept != platform::kErrorSuccess)
                refusal = {parser.lineCount(), "keep the caregiver lock set before", kept};
        }
    }
    const long committed = registry.commitScope();
    if (status == platform::kErrorSuccess)
        status = committed;
    if (refusal.action) {
        printDiagnostic(QStringLiteral("%1:%2: the registry refused to %3 (error %4); nothing was imported")
                            .arg(fileName, QString::number(refusal.line), QLatin1String(refusal.action),
                                 QString::number(refusal.status)));
        return Status::RegistryFailed;
    }
    if (status != platform::kErrorSuccess) {
        printDiagnostic(QStringLiteral("%1: the registry did not take the import (error %2); nothing was changed")
                            .arg(fileName, QString::number(status)));
        return Status::RegistryFailed;
    }
    for (const QString &language : std::as_const(keptLocks))
        printDiagnostic(QStringLiteral("%1: the caregiver lock of the %2 settings stays on; the file sets none "
                                       "(lumbra --clearPin takes it off)")
                            .arg(fileName, language));
    return Status::Imported;
}
