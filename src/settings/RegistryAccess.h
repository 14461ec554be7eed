#pragma once

#include "platform/CodeUnits.h"
#include "platform/RegistryTypes.h"

#include <QString>

#include <string>

// The registry operations the settings store and the dialogs use. Texts and numbers (as
// decimal text) are stored as REG_SZ with one terminating NUL, as the importer and Windows'
// own tools store them, so that an exported tree shows them as text. Reading ignores the
// stored type and takes the data as UTF-16 up to the first NUL, so texts stored without a
// NUL and numbers padded with NULs to 16 bytes (as earlier versions wrote them) read the same.

platform::RegKey openRegKey(platform::RegKey root, const QString &path, bool create);
platform::RegKey createRegKey(platform::RegKey root, const QString &path);
long queryRegKey(platform::RegKey root, const QString &path);
void closeRegKey(platform::RegKey key);

long writeRegString(platform::RegKey key, const QString &name, const QString &text);
long writeRegInt(platform::RegKey key, const QString &name, int number);
// The value as stored, %NAME% references and all; empty when it is missing.
QString readRegText(platform::RegKey key, const QString &name);
// readRegText with the references expanded.
QString readRegString(platform::RegKey key, const QString &name);
int readRegInt(platform::RegKey key, const QString &name);
// The same for a name already in UTF-16: a store's records are read by the thousand.
QString readRegText(platform::RegKey key, const std::u16string &name);
int readRegInt(platform::RegKey key, const std::u16string &name);

// %NAME% references replaced by the environment's values, names compared without regard
// to case; unknown names and an unpaired "%" stay as they are.
QString expandEnvironmentReferences(const QString &text);

inline std::u16string toUtf16(const QString &text) { return text.toStdU16String(); }
inline QString fromUtf16(const std::u16string &text) { return platform::fromCodeUnits(text); }
