#pragma once

#include <string>

// Text at the edge of the Windows API. A wchar_t there is one UTF-16 code unit, as a char16_t
// is, so the seam's strings are handed over without conversion.
namespace platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

inline const wchar_t *wide(const std::u16string &text)
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}

// Null for an empty text, where an API reads null as "any" or "none".
inline const wchar_t *wideOrNull(const std::u16string &text)
{
    return text.empty() ? nullptr : wide(text);
}

inline std::u16string fromWide(const wchar_t *text, std::size_t length)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text), length);
}

std::u16string fromWide(const wchar_t *text);

// A name with a NUL inside would reach Windows cut short, and name something else.
inline bool holdsNul(const std::u16string &text)
{
    return text.find(u'\0') != std::u16string::npos;
}

// UTF-8, for diagnostics on the standard error stream.
std::string utf8(const std::u16string &text);

// The system's own wording of a Win32 error code, without its line end.
std::string errorText(unsigned long code);

// One diagnostic line on stderr, flushed.
void reportLine(const std::string &line);

} // namespace platform
