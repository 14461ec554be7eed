#include "RegistryAccess.h"

#include "Diagnostic.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemServices.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace {

constexpr std::uint32_t kFirstReadBytes = 1024;
constexpr int kPaddedNumberUnits = 8;

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
    return QString::fromUtf16(units, count);
}

long storeText(platform::RegKey key, const QString &name, const QString &text, int paddedUnits)
{
    std::u16string units = toUtf16(text);
    if (units.size() < static_cast<std::size_t>(paddedUnits))
        units.resize(paddedUnits, u'\0');
    return platform::registry().setValue(key, toUtf16(name), platform::kRegSz,
                                         reinterpret_cast<const std::uint8_t *>(units.data()),
                                         static_cast<std::uint32_t>(units.size() * 2));
}

// The value of the variable whose name equals `name` without regard to case, if there is one.
std::optional<QString> environmentValue(const std::vector<std::u16string> &environment,
                                        const QString &name)
{
    for (const std::u16string &entry : environment) {
        const QString text = fromUtf16(entry);
        const qsizetype equals = text.indexOf(u'=', 1);
        if (equals > 0 && QStringView(text).left(equals).compare(name, Qt::CaseInsensitive) == 0)
            return text.mid(equals + 1);
    }
    return std::nullopt;
}

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
    return storeText(key, name, text, 0);
}

// Short numbers keep their 16-byte layout; a longer one is written whole rather than cut,
// so that -2147483648 reads back as itself.
long writeRegInt(platform::RegKey key, const QString &name, int number)
{
    return storeText(key, name, QString::number(number, 10), kPaddedNumberUnits);
}

QString readRegString(platform::RegKey key, const QString &name)
{
    platform::Registry &registry = platform::registry();
    const std::u16string valueName = toUtf16(name);
    std::vector<std::uint8_t> buffer(kFirstReadBytes, 0);
    std::uint32_t size = kFirstReadBytes;
    long status = registry.queryValue(key, valueName, nullptr, buffer.data(), &size);
    if (status == platform::kErrorMoreData) {
        printDiagnostic("ERROR_MORE_DATA");
        buffer.assign(std::size_t(size) + 1, 0);
        size = static_cast<std::uint32_t>(buffer.size());
        status = registry.queryValue(key, valueName, nullptr, buffer.data(), &size);
    }
    if (status != platform::kErrorSuccess)
        return expandEnvironmentReferences(QString());
    return expandEnvironmentReferences(decodeText(buffer.data(), size));
}

int readRegInt(platform::RegKey key, const QString &name)
{
    bool ok = false;
    const int number = readRegString(key, name).toInt(&ok, 10);
    return ok ? number : 0;
}

QString expandEnvironmentReferences(const QString &text)
{
    if (text.count(u'%') < 2)
        return text;
    const QStringList parts = text.split(u'%');
    const std::vector<std::u16string> environment = platform::system().environmentStrings();
    QString result;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        const bool unpaired = i == parts.size() - 1 && parts.size() % 2 == 0;
        if (i % 2 == 0)
            result += part;
        else if (unpaired)
            result += u'%' + part;
        else
            result += environmentValue(environment, part).value_or(u'%' + part + u'%');
    }
    return result;
}
