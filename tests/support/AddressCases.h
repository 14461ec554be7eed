#pragma once

// Which targets are addresses, handed to the program of their scheme, and which are paths,
// looked for on the disk. None of the paths exists, so a document lookup answers exactly
// whether the target is an address. Shared by the POSIX Qt test and the Windows runner.
// Plain C++.
namespace contract {

struct AddressCase
{
    const char *name;
    const char16_t *target;
    bool isAddress;
};

inline constexpr AddressCase kAddressCases[] = {
    {"ftp", u"ftp://files.example.org/a.iso", true},
    {"smb", u"smb://server/share/a.txt", true},
    {"an application's own", u"steam://rungameid/440", true},
    {"in quotes", u"\"steam://rungameid/440\"", true},
    {"upper case", u"HTTPS://EXAMPLE.ORG/", true},
    {"no slashes", u"mailto:someone@example.org", true},
    {"+ - . in the scheme", u"web+app.v-2:open", true},
    {"a drive", u"C:\\nowhere\\a.txt", false},
    {"a drive, forward slashes", u"c:/nowhere/a.txt", false},
    {"a drive's own folder", u"c:nowhere.txt", false},
    {"a POSIX path with a colon", u"/nowhere/a:b", false},
    {"a colon after a slash", u"nowhere/a:b", false},
    {"a digit first", u"1x://nowhere", false},
    {"a blank in the scheme", u"no where:x", false},
    {"nothing after the colon", u"steam:", false},
    {"a colon first", u":nowhere", false},
    {"a dot first", u"./a:b", false},
    {"a file address to nothing", u"file:///nowhere/a.txt", false},
};

} // namespace contract
