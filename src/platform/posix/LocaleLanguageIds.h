#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

constexpr std::uint16_t kLangIdEnglishUs = 0x0409;

// The Windows language identifier closest to a POSIX locale name such as
// "de_AT.UTF-8@euro". A known language in an unknown territory gives that language's
// default identifier; an unknown language, "C" and "POSIX" give English (United States).
std::uint16_t langIdForLocale(const std::string &locale);

// A language identifier written in hexadecimal, with or without "0x" ("0816", "0x0C07").
// Nothing when the text is not such a number or does not fit in 16 bits.
std::optional<std::uint16_t> parseLangId(const std::string &text);

} // namespace platform
