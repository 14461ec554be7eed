#pragma once

// What GLib hands over to be freed, owned the C++ way, and its UTF-8 text as the seam's
// UTF-16. Shared by the code that reads desktop entries and asks GIO for programs.
#include <gio/gio.h>

#include <memory>
#include <string>

namespace platform::glib {

struct Free
{
    void operator()(void *memory) const { g_free(memory); }
};
struct Unref
{
    void operator()(void *object) const { g_object_unref(object); }
};

using Text = std::unique_ptr<gchar, Free>;

inline std::u16string utf16(const gchar *utf8)
{
    std::u16string result;
    if (!utf8)
        return result;
    glong count = 0;
    std::unique_ptr<gunichar2, Free> units(g_utf8_to_utf16(utf8, -1, nullptr, &count, nullptr));
    if (units)
        result.assign(reinterpret_cast<const char16_t *>(units.get()), std::size_t(count));
    return result;
}

inline std::string utf8(const std::u16string &text)
{
    Text bytes(g_utf16_to_utf8(reinterpret_cast<const gunichar2 *>(text.data()), glong(text.size()), nullptr,
                               nullptr, nullptr));
    return bytes ? std::string(bytes.get()) : std::string();
}

} // namespace platform::glib
