#pragma once

#include "platform/RegistryTypes.h"

#include <QString>

class QIODevice;

namespace platform {
class Registry;
}

// Writes a key and everything below it as a "Windows Registry Editor Version 5.00" file that
// RegFileImporter reads back to the same keys, value types and bytes, with two exceptions that
// are what Windows' own export does: a REG_SZ holding a text followed only by NULs (none, or
// several, as older saves stored texts and numbers) is written as "text" and comes back with
// one NUL; an expandable or multi-string that lacks its terminating NUL comes back with it.
// Numbered subkeys (01 ... 99, 100) come first in numeric order, the others in name order;
// values in the order they were created. The tree is read as one snapshot of the store,
// which an import may change meanwhile.
class RegFileExporter
{
public:
    // What Windows writes with this header (UTF-16LE with its byte order mark and CRLF line
    // ends), or UTF-8 without a signature and with LF, for editing in a terminal.
    enum class Form { Unicode, Utf8 };

    explicit RegFileExporter(platform::Registry &registry, Form form = Form::Unicode);

    // `path` is relative to `root` (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER) and the file spells
    // the top key as `path` does; keys below it keep their stored spelling. Nothing is written
    // to `out` unless the whole tree could be read; false, with a message on stderr, when the
    // key is missing, cannot be read, has a name no .reg file can carry, or `out` fails.
    bool exportTree(platform::RegKey root, const QString &path, QIODevice &out);
    // The same into a file, which is replaced only once the export is complete.
    bool exportFile(platform::RegKey root, const QString &path, const QString &fileName);

    // After a failed export: whether it failed because the key does not exist in a store that
    // could be read, rather than for any other reason.
    bool keyWasMissing() const { return missingKey; }

private:
    platform::Registry &registry;
    const Form form;
    bool missingKey = false;
};
