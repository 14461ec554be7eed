#include "LockPinStore.h"

#include "RegistryAccess.h"
#include "RegistryPaths.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/RegistryScope.h"

#include <algorithm>

namespace {

const QString kValueName = QStringLiteral("LOCK_PIN");
const QString kTriesName = QStringLiteral("LOCK_WRONG_TRIES");
// More than any wait needs; a larger stored count is read as this.
constexpr int kMostTries = 1000;

QString &remembered()
{
    static QString hash;
    return hash;
}

using Bytes = std::vector<std::uint8_t>;

long queryBytes(platform::Registry &registry, platform::RegKey key, const QString &name, Bytes *data)
{
    std::uint32_t size = 0;
    long status = registry.queryValue(key, toUtf16(name), nullptr, nullptr, &size);
    if (status != platform::kErrorSuccess)
        return status;
    data->resize(size);
    status = registry.queryValue(key, toUtf16(name), nullptr, data->data(), &size);
    data->resize(size);
    return status;
}

// As every reader takes a text: UTF-16 up to the first NUL.
QString textOf(const Bytes &data)
{
    QString text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const char16_t unit = char16_t(data[i] | data[i + 1] << 8);
        if (unit == 0)
            break;
        text += QChar(unit);
    }
    return text;
}

long writeBytes(platform::Registry &registry, platform::RegKey key, const QString &name, const Bytes &data)
{
    return registry.setValue(key, toUtf16(name), platform::kRegSz, data.data(), std::uint32_t(data.size()));
}

// Only an installed tree gets a lock or a count: a System key made here would hold nothing
// else. An empty text removes the value.
LockPinStore::Status writeText(const QString &name, const QString &text)
{
    if (systemKeyPath.isEmpty())
        return LockPinStore::Status::NoSettings;
    platform::Registry &registry = platform::registry();
    platform::RegistryScope scope(registry);
    const platform::RegKey key = openRegKey(platform::kLocalMachine, systemKeyPath, false);
    if (key == platform::kNoKey) {
        scope.commit();
        return LockPinStore::Status::NoSettings;
    }
    // A refused write spoils the scope, and its commit answers the refusal; a value that
    // is not there to delete is no refusal.
    if (text.isEmpty())
        registry.deleteValue(key, toUtf16(name));
    else
        writeRegString(key, name, text);
    closeRegKey(key);
    return scope.commit() == platform::kErrorSuccess ? LockPinStore::Status::Done : LockPinStore::Status::NotStored;
}

} // namespace

QString LockPinStore::read()
{
    // Before start-up has named the tree, the empty path would be the root itself.
    if (systemKeyPath.isEmpty())
        return QString();
    platform::Registry &registry = platform::registry();
    platform::RegKey key = platform::kNoKey;
    if (registry.openKey(platform::kLocalMachine, toUtf16(systemKeyPath), &key) != platform::kErrorSuccess)
        return remembered(); // no tree, or a store that cannot be read: nothing says the lock is off
    Bytes data;
    const long status = queryBytes(registry, key, kValueName, &data);
    registry.closeKey(key);
    if (status == platform::kErrorSuccess)
        remembered() = textOf(data);
    else if (status == platform::kErrorFileNotFound)
        remembered().clear();
    return remembered();
}

LockPinStore::Status LockPinStore::write(const QString &hash)
{
    const Status status = writeText(kValueName, hash);
    if (status == Status::Done)
        remembered() = hash;
    return status;
}

void LockPinStore::remember(const QString &hash)
{
    remembered() = hash;
}

void LockPinStore::keepInNewTree()
{
    if (systemKeyPath.isEmpty() || remembered().isEmpty())
        return;
    platform::Registry &registry = platform::registry();
    platform::RegKey key = platform::kNoKey;
    const long status = registry.openKey(platform::kLocalMachine, toUtf16(systemKeyPath), &key);
    if (status == platform::kErrorSuccess) {
        registry.closeKey(key);
        return;
    }
    if (status != platform::kErrorFileNotFound
        || registry.createKey(platform::kLocalMachine, toUtf16(systemKeyPath), &key) != platform::kErrorSuccess)
        return;
    writeRegString(key, kValueName, remembered());
    registry.closeKey(key);
}

int LockPinStore::wrongTries()
{
    if (systemKeyPath.isEmpty())
        return 0;
    const platform::RegKey key = openRegKey(platform::kLocalMachine, systemKeyPath, false);
    if (key == platform::kNoKey)
        return 0;
    const int tries = readRegInt(key, kTriesName);
    closeRegKey(key);
    return std::clamp(tries, 0, kMostTries);
}

LockPinStore::Status LockPinStore::writeWrongTries(int count)
{
    return writeText(kTriesName, count > 0 ? QString::number(count) : QString());
}

QList<LockPinStore::Lock> LockPinStore::locksIn(platform::Registry &registry)
{
    QList<Lock> locks;
    platform::RegKey root = platform::kNoKey;
    if (registry.openKey(platform::kLocalMachine, toUtf16(settingsRootPath()), &root) != platform::kErrorSuccess)
        return locks;
    std::vector<std::u16string> languages;
    registry.enumKeys(root, &languages);
    for (const std::u16string &language : languages) {
        platform::RegKey system = platform::kNoKey;
        if (registry.openKey(root, language + u"\\System", &system) != platform::kErrorSuccess)
            continue;
        Lock lock{fromUtf16(language), {}, {}};
        if (queryBytes(registry, system, kValueName, &lock.hash) == platform::kErrorSuccess
            && !textOf(lock.hash).isEmpty()) {
            queryBytes(registry, system, kTriesName, &lock.wrongTries);
            locks.append(lock);
        }
        registry.closeKey(system);
    }
    registry.closeKey(root);
    return locks;
}

long LockPinStore::keepLocks(platform::Registry &registry, const QList<Lock> &locks, QStringList *kept)
{
    for (const Lock &lock : locks) {
        platform::RegKey system = platform::kNoKey;
        const QString path = settingsRootPath() + u'\\' + lock.language + QStringLiteral("\\System");
        if (registry.openKey(platform::kLocalMachine, toUtf16(path), &system) != platform::kErrorSuccess)
            continue;
        Bytes now;
        long status = platform::kErrorSuccess;
        if (queryBytes(registry, system, kValueName, &now) != platform::kErrorSuccess || textOf(now).isEmpty()) {
            status = writeBytes(registry, system, kValueName, lock.hash);
            Bytes tries;
            if (status == platform::kErrorSuccess && !lock.wrongTries.empty()
                && queryBytes(registry, system, kTriesName, &tries) == platform::kErrorFileNotFound)
                status = writeBytes(registry, system, kTriesName, lock.wrongTries);
            kept->append(lock.language);
        }
        registry.closeKey(system);
        if (status != platform::kErrorSuccess)
            return status;
    }
    return platform::kErrorSuccess;
}
