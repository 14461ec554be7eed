// The .reg importer on arbitrary bytes. Whatever a file holds, the import must not crash and
// must leave a store that exports; what it exported must import again without a single
// complaint, to the same keys, types and bytes, and export to the same file.

#include "FuzzPlatform.h"

#include "platform/RegistryScope.h"
#include "settings/RegFileExporter.h"
#include "settings/RegFileImporter.h"

#include <QBuffer>
#include <QByteArray>
#include <QStringList>

#include <algorithm>
#include <cstdint>

namespace {

const platform::RegKey kRoots[] = {platform::kLocalMachine, platform::kCurrentUser};

[[noreturn]] void fail(const char *what, const QByteArray &detail = QByteArray())
{
    FuzzPlatform::fail("fuzz_importer", what, QString::fromUtf8(detail));
}

QString hex(const std::vector<std::uint8_t> &data)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(data.data()), qsizetype(data.size())).toHex());
}

bool endsInNulCharacter(const std::vector<std::uint8_t> &data)
{
    const std::size_t whole = data.size() / 2 * 2;
    return whole >= 2 && data[whole - 2] == 0 && data[whole - 1] == 0;
}

// A REG_SZ of whole characters whose NULs all come at its end is exported as "text", which
// comes back with exactly one NUL (when the text is valid UTF-16; otherwise it stays in hex).
bool asText(std::vector<std::uint8_t> *data)
{
    if (data->size() % 2 != 0)
        return false;
    QString text;
    std::size_t end = 0;
    for (; end < data->size() && ((*data)[end] | (*data)[end + 1]) != 0; end += 2)
        text += QChar(char16_t((*data)[end] | (*data)[end + 1] << 8));
    if (!text.isValidUtf16() || std::any_of(data->begin() + std::ptrdiff_t(end), data->end(), [](auto b) { return b != 0; }))
        return false;
    data->resize(end);
    data->insert(data->end(), {0, 0});
    return true;
}

// Every import gives an expandable or multi-string whose last whole character is not NUL its
// terminating NUL character, whole.
std::vector<std::uint8_t> asImported(const platform::RegValue &value)
{
    std::vector<std::uint8_t> data = value.data;
    if (value.type == platform::kRegSz && asText(&data))
        return data;
    const bool textType = value.type == platform::kRegExpandSz || value.type == platform::kRegMultiSz;
    if (textType && !data.empty() && !endsInNulCharacter(data)) {
        data.insert(data.end(), {0, 0});
        if (!endsInNulCharacter(data))
            data.push_back(0);
    }
    return data;
}

// The whole tree below `key`, one line per key and per value, walked with a stack of its
// own: keys nest 512 deep.
void describe(platform::Registry &registry, platform::RegKey root, QStringList &out)
{
    std::vector<std::pair<platform::RegKey, QString>> pending = {{root, QString::number(root)}};
    while (!pending.empty()) {
        const auto [key, name] = pending.back();
        pending.pop_back();
        out << QStringLiteral("[%1]").arg(name);
        std::vector<platform::RegValue> values;
        if (registry.enumValues(key, &values) != platform::kErrorSuccess)
            fail("the values of a key cannot be read", name.toUtf8());
        for (const platform::RegValue &value : values) {
            out << QStringLiteral("[%1] \"%2\" %3 %4")
                       .arg(name, QString::fromStdU16String(value.name))
                       .arg(value.type)
                       .arg(hex(asImported(value)));
        }
        std::vector<std::u16string> children;
        if (registry.enumKeys(key, &children) != platform::kErrorSuccess)
            fail("the subkeys of a key cannot be read", name.toUtf8());
        for (const std::u16string &child : children) {
            platform::RegKey handle = platform::kNoKey;
            if (registry.openKey(key, child, &handle) != platform::kErrorSuccess)
                fail("a listed subkey cannot be opened", name.toUtf8());
            pending.emplace_back(handle, name + u'\\' + QString::fromStdU16String(child));
        }
        if (key != root)
            registry.closeKey(key);
    }
}

QString description(platform::Registry &registry)
{
    // One snapshot for the whole walk, as the exporter reads, instead of one per call.
    platform::RegistryScope scope(registry, platform::RegistryScope::Access::Read);
    QStringList out;
    for (platform::RegKey root : kRoots)
        describe(registry, root, out);
    std::sort(out.begin(), out.end());
    return out.join(u'\n');
}

// Both roots, as one file each; empty when a name cannot be written to a .reg file.
bool exportAll(platform::Registry &registry, QByteArray files[2])
{
    for (int i = 0; i < 2; ++i) {
        QBuffer buffer(&files[i]);
        buffer.open(QIODevice::WriteOnly);
        if (!RegFileExporter(registry).exportTree(kRoots[i], QString(), buffer))
            return false;
    }
    return true;
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
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));

    platform::SqliteRegistry &first = platform.freshRegistry();
    RegFileImporter importer(first);
    const RegFileImporter::Status status = importer.importData(input, QStringLiteral("fuzz.reg"));
    // A store in memory refuses nothing: a refusal means the parser let through what it
    // should have reported and skipped, and lost the whole file for one line.
    if (status == RegFileImporter::Status::RegistryFailed || status == RegFileImporter::Status::FileUnreadable)
        fail("the import failed as a whole", input);
    const QString imported = description(first);

    QByteArray files[2];
    if (!exportAll(first, files))
        return 0;

    platform::SqliteRegistry &second = platform.freshRegistry();
    for (const QByteArray &file : files) {
        RegFileImporter again(second);
        if (again.importData(file, QStringLiteral("exported.reg")) != RegFileImporter::Status::Imported
            || again.problemCount() != 0)
            fail("an exported file does not import cleanly", file);
    }
    if (description(second) != imported)
        fail("the round trip changed the store", (imported + QStringLiteral("\n----\n") + description(second)).toUtf8());
    QByteArray filesAgain[2];
    if (!exportAll(second, filesAgain) || filesAgain[0] != files[0] || filesAgain[1] != files[1])
        fail("exporting the re-imported store gave another file", files[0] + "\n----\n" + filesAgain[0]);
    return 0;
}
