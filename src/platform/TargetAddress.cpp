#include "TargetAddress.h"

namespace platform {

namespace {

bool isLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSchemeCharacter(char16_t c)
{
    return isLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

} // namespace

bool isAddress(const std::u16string &target)
{
    std::u16string text = target;
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"')
        text = text.substr(1, text.size() - 2);
    const std::size_t colon = text.find(u':');
    if (colon == std::u16string::npos || colon < 2 || colon + 1 >= text.size() || !isLetter(text[0]))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        if (!isSchemeCharacter(text[i]))
            return false;
    }
    return true;
}

} // namespace platform
