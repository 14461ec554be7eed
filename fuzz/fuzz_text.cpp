// Reading a text value: any bytes under any type, decoded up to the first NUL code unit, with
// %NAME% references expanded from an environment the input also chooses. The result must be
// what a plain reading of the rules gives.

#include "FuzzPlatform.h"

#include "settings/RegistryAccess.h"

#include <QStringList>

#include <fuzzer/FuzzedDataProvider.h>


namespace {

[[noreturn]] void fail(const char *what, const QString &expected, const QString &found)
{
    FuzzPlatform::fail("fuzz_text", what, QStringLiteral("expected: %1\nfound:    %2").arg(expected, found));
}

QString decoded(const std::string &bytes)
{
    QString text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = char16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8);
        if (unit == 0)
            break;
        text += QChar(unit);
    }
    return text;
}

// The first entry whose name matches without regard to case; the name runs to the first "="
// after the name's first character.
const QString *lookUp(const QStringList &environment, const QString &name, QString *value)
{
    for (const QString &entry : environment) {
        const qsizetype equals = entry.indexOf(u'=', 1);
        if (equals > 0 && entry.left(equals).compare(name, Qt::CaseInsensitive) == 0) {
            *value = entry.mid(equals + 1);
            return value;
        }
    }
    return nullptr;
}

// Split at every "%": even parts are text, odd parts names, and an unpaired last "%" stays
// with the text after it.
QString expanded(const QString &text, const QStringList &environment)
{
    if (text.count(u'%') < 2)
        return text;
    const QStringList parts = text.split(u'%');
    QString result;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QString value;
        if (i % 2 == 0)
            result += parts.at(i);
        else if (i == parts.size() - 1)
            result += u'%' + parts.at(i);
        else if (lookUp(environment, parts.at(i), &value))
            result += value;
        else
            result += u'%' + parts.at(i) + u'%';
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzPlatform::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzPlatform &platform = FuzzPlatform::instance();
    FuzzedDataProvider in(data, size);
    QStringList environment;
    std::vector<std::u16string> entries;
    for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n) {
        environment << QString::fromUtf8(in.ConsumeRandomLengthString(24));
        entries.push_back(environment.last().toStdU16String());
    }
    platform.setEnvironment(entries);
    const std::uint32_t type = in.ConsumeIntegral<std::uint32_t>();
    // Long values take the second read of readRegString.
    std::string bytes = in.ConsumeRandomLengthString(4096);
    bytes = std::string(in.ConsumeIntegralInRange(0, 3) == 0 ? 1100 : 0, 'x') + bytes;

    platform::Registry &registry = platform.freshRegistry();
    platform::RegKey key = platform::kNoKey;
    registry.createKey(platform::kLocalMachine, u"Software\\Fuzz", &key);
    registry.setValue(key, u"value", type, reinterpret_cast<const std::uint8_t *>(bytes.data()),
                      std::uint32_t(bytes.size()));
    const QString found = readRegString(key, QStringLiteral("value"));
    const QString expected = expanded(decoded(bytes), environment);
    if (found != expected)
        fail("readRegString", expected, found);
    bool ok = false;
    const int number = expected.toInt(&ok, 10);
    if (readRegInt(key, QStringLiteral("value")) != (ok ? number : 0))
        fail("readRegInt", expected, QString::number(readRegInt(key, QStringLiteral("value"))));
    registry.closeKey(key);
    return 0;
}
