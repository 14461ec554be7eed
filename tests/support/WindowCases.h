#pragma once

// Cases that every WindowMessages backend answers alike, shared by the POSIX bus's Qt test and
// the Windows runner. Plain C++: the Windows runner has no Qt.
namespace contract {

// Two windows of another process are registered: the launcher ("QWidget", "Lumbra") and the
// shut-down dialog ("QWidget", "Lumbra Shut Down App"). `expected` is "launcher",
// "shutdown", "either" or "none".
struct FindWindowCase
{
    const char *name;
    const char16_t *className;
    const char16_t *title;
    const char *expected;
};

inline constexpr FindWindowCase kFindWindowCases[] = {
    {"launcher", u"QWidget", u"Lumbra", "launcher"},
    {"any case", u"qwidget", u"LUMBRA", "launcher"},
    {"shut-down dialog", u"QWidget", u"lumbra shut down app", "shutdown"},
    {"any title", u"QWidget", u"", "either"},
    {"any class", u"", u"Lumbra", "launcher"},
    {"part of a title", u"QWidget", u"Lumbr", "none"},
    {"longer title", u"QWidget", u"Lumbra ", "none"},
    {"another class", u"SymHTMLWindow", u"Lumbra", "none"},
    {"a message number for a class", u"49152", u"", "none"},
};

// RegisterWindowMessageW: `name` in one process and `sameAs` in another give one number.
struct MessageNameCase
{
    const char *name;
    const char16_t *registered;
    const char16_t *sameAs;
};

inline constexpr MessageNameCase kMessageNameCases[] = {
    {"instance name", u"{d6044399-0b9e-4084-a9ac-c4b7c7800fcf}", u"{D6044399-0B9E-4084-A9AC-C4B7C7800FCF}"},
    {"mixed case", u"TaskbarCreated", u"taskbarcreated"},
    {"beyond ASCII", u"\u00dcber \u00c6r\u00f8", u"\u00fcber \u00e6r\u00f8"},
    {"one character", u"x", u"X"},
};

} // namespace contract
