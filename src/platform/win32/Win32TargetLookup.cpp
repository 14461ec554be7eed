#include "Win32TargetLookup.h"

#include "platform/TargetAddress.h"

#include <windows.h>

#include <string>

namespace platform {

namespace {

std::u16string unquoted(const std::u16string &text)
{
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"')
        return text.substr(1, text.size() - 2);
    return text;
}

// A NUL would cut the name short and test another file; MAX_PATH-long names and longer are
// still asked, since Windows 10 may allow them.
bool usableName(const std::u16string &name)
{
    return !name.empty() && name.find(u'\0') == std::u16string::npos;
}

bool isPath(const std::u16string &name)
{
    return name.find_first_of(u"\\/:") != std::u16string::npos;
}

// C:\x, \\server\x, \x: not against a folder.
bool isAbsolute(const std::u16string &name)
{
    return (name.size() >= 2 && name[1] == u':') || name[0] == u'\\' || name[0] == u'/';
}

DWORD attributesOf(const std::u16string &path)
{
    return GetFileAttributesW(reinterpret_cast<const wchar_t *>(path.c_str()));
}

bool isFile(const std::u16string &path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool startsWithNoCase(const std::u16string &text, const std::u16string &prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// file:///C:/x -> C:/x; file://server/share -> //server/share.
std::u16string pathOfFileAddress(const std::u16string &address)
{
    std::u16string path = address.substr(5);
    if (path.rfind(u"///", 0) == 0)
        return path.substr(3);
    return path;
}

} // namespace

bool Win32TargetLookup::programExists(const std::u16string &program)
{
    const std::u16string name = unquoted(program);
    if (!usableName(name))
        return false;
    if (isPath(name))
        return isFile(name);
    wchar_t found[MAX_PATH] = {};
    const DWORD length = SearchPathW(nullptr, reinterpret_cast<const wchar_t *>(name.c_str()), L".exe", MAX_PATH,
                                     found, nullptr);
    return length > 0 && length < MAX_PATH && isFile(std::u16string(reinterpret_cast<const char16_t *>(found), length));
}

bool Win32TargetLookup::documentExists(const std::u16string &file, const std::u16string &directory)
{
    std::u16string name = unquoted(file);
    if (!usableName(name))
        return false;
    if (startsWithNoCase(name, u"file:"))
        name = pathOfFileAddress(name);
    else if (isAddress(name))
        return true;
    std::u16string folder = unquoted(directory);
    if (usableName(name) && !isAbsolute(name) && usableName(folder)) {
        if (folder.back() != u'\\' && folder.back() != u'/')
            folder += u'\\';
        name = folder + name;
    }
    return usableName(name) && attributesOf(name) != INVALID_FILE_ATTRIBUTES;
}

} // namespace platform
