#pragma once

#include <QString>

class QByteArray;

namespace platform {
class Registry;
}

// Reads a .reg file the way `reg import` does and applies it to a registry as one unit: an
// import that is interrupted, or that the registry fails to store, leaves it as it was.
//
// Lines that are not keys, values or comments are reported on stderr as "file:line: reason"
// (where Windows would pass over them in silence, since these files are edited by hand),
// skipped, and the rest of the file is still imported. A key or value the registry refuses
// is not such a line: the import stops there, stores nothing, says so once and answers
// RegistryFailed.
class RegFileImporter
{
public:
    // Refused: the file would delete what the import is limited to (limitToSettings).
    enum class Status { Imported, FileUnreadable, NotARegistryFile, RegistryFailed, Refused };

    // Far beyond any settings tree (the factory files are about 64 KB, ten tabs of a hundred
    // icons exported as UTF-16 under 2 MB), and small enough to read whole.
    static constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;

    explicit RegFileImporter(platform::Registry &registry);

    // Limits the imports to Lumbra's settings, HKEY_LOCAL_MACHINE\Software\ORTAN\Lumbra: keys
    // elsewhere are reported and skipped with their values; a file that deletes that key or
    // one above it is refused whole. A caregiver lock set in a language's tree stays unless
    // the file sets another one (LockPinStore::keepLocks).
    void limitToSettings();

    // Reads the whole file first: a file that cannot be read changes nothing. Only a regular
    // file of at most kMaxFileBytes is read: a named pipe or a device would hold the import
    // up or never end.
    Status importFile(const QString &path);
    // `fileName` only names the input in messages.
    Status importData(const QByteArray &bytes, const QString &fileName);

    // Problems found by the last import, also those beyond the reporting cap.
    int problemCount() const { return problems; }

private:
    platform::Registry &registry;
    bool settingsOnly = false;
    int problems = 0;
};
