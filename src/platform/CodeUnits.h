#pragma once

#include <QString>

#include <string>

namespace platform {

// Exactly these code units: QString::fromStdU16String reads a leading U+FEFF or U+FFFE as a
// byte order mark, dropping it or turning the text around, so that a name or an environment
// entry that starts with one would name something else.
inline QString fromCodeUnits(const std::u16string &text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

} // namespace platform
