#include "LockPinStore.h"

#include "RegistryAccess.h"
#include "RegistryPaths.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/RegistryScope.h"

namespace {

const QString kValueName = QStringLiteral("LOCK_PIN");

} // namespace

QString LockPinStore::read()
{
    // Before start-up has named the tree, the empty path would be the root itself.
    if (systemKeyPath.isEmpty())
        return QString();
    const platform::RegKey key = openRegKey(platform::kLocalMachine, systemKeyPath, false);
    if (key == platform::kNoKey)
        return QString();
    const QString hash = readRegString(key, kValueName);
    closeRegKey(key);
    return hash;
}

LockPinStore::Status LockPinStore::write(const QString &hash)
{
    if (systemKeyPath.isEmpty())
        return Status::NoSettings;
    platform::Registry &registry = platform::registry();
    platform::RegistryScope scope(registry);
    // Only an installed tree gets a lock: a System key made here would hold nothing else.
    const platform::RegKey key = openRegKey(platform::kLocalMachine, systemKeyPath, false);
    if (key == platform::kNoKey) {
        scope.commit();
        return Status::NoSettings;
    }
    long status = platform::kErrorSuccess;
    if (hash.isEmpty()) {
        status = registry.deleteValue(key, toUtf16(kValueName));
        if (status == platform::kErrorFileNotFound)
            status = platform::kErrorSuccess;
    } else {
        status = writeRegString(key, kValueName, hash);
    }
    closeRegKey(key);
    const long committed = scope.commit();
    return status == platform::kErrorSuccess && committed == platform::kErrorSuccess ? Status::Done
                                                                                       : Status::NotStored;
}
