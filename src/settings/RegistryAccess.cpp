#include "RegistryAccess.h"

#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemServices.h"

#include <QHash>
#include <QStringList>

#include <optional>
#include <vector>

namespace {

constexpr std::uint32_t kFirstReadBytes = 1024;

QString decodeText(const std::uint8_t *data, std::uint32_t size)
{
    const auto *units = reinterpret_cast<const char16_t *>(data);
    std::uint32_t count = size / 2;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (units[i] == 0) {
            count = i;
            break;
        }
    }
    // The code units as they are: QString::fromUtf16 would take a leading U+FEFF for a byte
    // order mark and drop it, and turn a text that starts with U+FFFE byte by byte around.
    return QString(reinterpret_cast<const QChar *>(units), count);
}

long storeText(platform::RegKey key, const QString &name, const QString &text)
{
    std::u16string units = toUtf16(text);
    units.push_back(u'\0');
    return platform::registry().setValue(key, toUtf16(name), platform::kRegSz,
                                         reinterpret_cast<const std::uint8_t *>(units.data()),
                                         static_cast<std::uint32_t>(units.size() * 2));
}

// The process environment for one expansion. Each name the text refers to is looked up once,
// however often it comes; the first variable whose name matches without regard to case counts.
class Environment
{
public:
    Environment()
    {
        for (const std::u16string &entry : platform::system().environmentStrings())
            entries.append(fromUtf16(entry));
    }

    // The value of `name`, if there is such a variable.
    std::optional<QString> valueOf(const QString &name)
    {
        const auto known = seen.constFind(name);
        if (known != seen.cend())
            return *known;
        std::optional<QString> value;
        for (const QString &entry : std::as_const(entries)) {
            const qsizetype equals = entry.indexOf(u'=', 1);
            if (equals > 0 && QStringView(entry).left(equals).compare(name, Qt::CaseInsensitive) == 0) {
                value = entry.mid(equals + 1);
                break;
            }
        }
        seen.insert(name, value);
        return value;
    }

private:
    QStringList entries;
    QHash<QString, std::optional<QString>> seen;
};

} // namespace

platform::RegKey openRegKey(platform::RegKey root, const QString &path, bool create)
{
    platform::RegKey key = platform::kNoKey;
    platform::registry().openKey(root, toUtf16(path), &key);
    if (key == platform::kNoKey && create)
        return createRegKey(root, path);
    return key;
}

platform::RegKey createRegKey(platform::RegKey root, const QString &path)
{
    platform::RegKey key = platform::kNoKey;
    platform::registry().createKey(root, toUtf16(path), &key);
    return key;
}

long queryRegKey(platform::RegKey root, const QString &path)
{
    platform::RegKey key = platform::kNoKey;
    const long status = platform::registry().openKey(root, toUtf16(path), &key);
    if (key != platform::kNoKey)
        platform::registry().closeKey(key);
    return status;
}

void closeRegKey(platform::RegKey key)
{
    if (key != platform::kNoKey)
        platform::registry().closeKey(key);
}

long writeRegString(platform::RegKey key, const QString &name, const QString &text)
{
    return storeText(key, name, text);
}

// Written whole, never cut to 8 characters, so that -2147483648 reads back as itself.
long writeRegInt(platform::RegKey key, const QString &name, int number)
{
    return storeText(key, name, QString::number(number, 10));
}

QString readRegString(platform::RegKey key, const QString &name)
{
    return expandEnvironmentReferences(readRegText(key, name));
}

QString readRegText(platform::RegKey key, const QString &name)
{
    return readRegText(key, toUtf16(name));
}

QString readRegText(platform::RegKey key, const std::u16string &valueName)
{
    platform::Registry &registry = platform::registry();
    // Nearly every value fits here; a store loads thousands of them, each without a
    // buffer of its own.
    alignas(char16_t) std::uint8_t first[kFirstReadBytes];
    std::uint32_t size = kFirstReadBytes;
    long status = registry.queryValue(key, valueName, nullptr, first, &size);
    if (status == platform::kErrorSuccess)
        return decodeText(first, size);
    if (status != platform::kErrorMoreData)
        return QString();
    printDiagnostic("ERROR_MORE_DATA");
    std::vector<std::uint8_t> buffer(std::size_t(size) + 1, 0);
    size = static_cast<std::uint32_t>(buffer.size());
    status = registry.queryValue(key, valueName, nullptr, buffer.data(), &size);
    if (status != platform::kErrorSuccess)
        return QString();
    return decodeText(buffer.data(), size);
}

int readRegInt(platform::RegKey key, const QString &name)
{
    return readRegInt(key, toUtf16(name));
}

int readRegInt(platform::RegKey key, const std::u16string &name)
{
    bool ok = false;
    const int number = expandEnvironmentReferences(readRegText(key, name)).toInt(&ok, 10);
    return ok ? number : 0;
}

namespace {

// One pass over the text with one look-up per reference, so that a long value full of
// references costs time in proportion to its length.
QString expandReferences(const QString &text)
{
    Environment environment;
    const QStringView rest(text);
    QString result;
    result.reserve(text.size());
    qsizetype pos = 0;
    for (;;) {
        const qsizetype open = rest.indexOf(u'%', pos);
        const qsizetype close = open < 0 ? -1 : rest.indexOf(u'%', open + 1);
        if (close < 0)
            break; // an unpaired "%" stays, with the text after it
        result += rest.sliced(pos, open - pos);
        const std::optional<QString> value = environment.valueOf(rest.sliced(open + 1, close - open - 1).toString());
        if (value)
            result += *value;
        else
            result += rest.sliced(open, close - open + 1);
        pos = close + 1;
    }
    result += rest.sliced(pos);
    return result;
}

} // namespace

QString expandEnvironmentReferences(const QString &text)
{
    // Nearly every value has no reference at all: that costs one scan.
    return text.count(u'%') < 2 ? text : expandReferences(text);
}
