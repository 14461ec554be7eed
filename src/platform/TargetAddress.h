#pragma once

#include <string>

namespace platform {

// Whether a target is an address that the shell hands to the program registered for its
// scheme (http:, ftp:, smb:, mailto:, steam:, ms-settings:, file: ...) rather than a path.
// A scheme is two or more characters, a letter and then letters, digits, "+", "-" or ".",
// and is followed by ":" and something more. One letter before the colon is a Windows drive
// (C:\x, c:foo), and a path that starts with "/", "\", "." or a blank never has a scheme. A
// target in double quotes is judged by what is inside them, as the lookups and the shell
// take it.
bool isAddress(const std::u16string &target);

} // namespace platform
