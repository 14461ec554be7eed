#include "Win32Text.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace platform {

std::u16string fromWide(const wchar_t *text)
{
    return text ? fromWide(text, std::wcslen(text)) : std::u16string();
}

std::string utf8(const std::u16string &text)
{
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide(text), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string result(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide(text), length, &result[0], needed, nullptr, nullptr);
    return result;
}

std::string errorText(unsigned long code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::u16string text = length ? fromWide(buffer, length) : std::u16string();
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '
                             || text.back() == u'.'))
        text.pop_back();
    const std::string number = "error " + std::to_string(code);
    return text.empty() ? number : utf8(text) + " (" + number + ")";
}

void reportLine(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace platform
