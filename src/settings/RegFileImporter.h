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
    enum class Status { Imported, FileUnreadable, NotARegistryFile, RegistryFailed };

    explicit RegFileImporter(platform::Registry &registry);

    // Reads the whole file first: a file that cannot be read changes nothing.
    Status importFile(const QString &path);
    // `fileName` only names the input in messages.
    Status importData(const QByteArray &bytes, const QString &fileName);

    // Problems found by the last import, also those beyond the reporting cap.
    int problemCount() const { return problems; }

private:
    platform::Registry &registry;
    int problems = 0;
};
