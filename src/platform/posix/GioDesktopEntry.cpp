#include "GioDesktopEntry.h"

// GLib's headers come before anything of Qt's: Qt's "signals" keyword is a macro, and GIO
// names a structure member so.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "GLibOwned.h"

#include <memory>

#include <sys/stat.h>

namespace platform {

namespace {

const char kGroup[] = "Desktop Entry";
// Real entries are a few kilobytes; the largest on a desktop system stay under 100.
constexpr off_t kLargestEntryBytes = 1 << 20;

struct KeyFileDeleter
{
    void operator()(GKeyFile *file) const { g_key_file_free(file); }
};
struct StrvDeleter
{
    void operator()(gchar **vector) const { g_strfreev(vector); }
};
struct ErrorDeleter
{
    void operator()(GError *error) const { g_error_free(error); }
};

using KeyFile = std::unique_ptr<GKeyFile, KeyFileDeleter>;
using glib::Text;
using glib::utf16;

bool installed(const gchar *program)
{
    Text found(g_find_program_in_path(program));
    return found != nullptr;
}

// The program Exec names, the first word as a shell would split it.
bool execProgramInstalled(const gchar *exec)
{
    gchar **words = nullptr;
    if (!g_shell_parse_argv(exec, nullptr, &words, nullptr))
        return false;
    std::unique_ptr<gchar *, StrvDeleter> owned(words);
    return words[0] && installed(words[0]);
}

DesktopEntry::Status statusOf(GKeyFile *file)
{
    Text type(g_key_file_get_string(file, kGroup, G_KEY_FILE_DESKTOP_KEY_TYPE, nullptr));
    if (!type || g_strcmp0(type.get(), G_KEY_FILE_DESKTOP_TYPE_APPLICATION) != 0)
        return DesktopEntry::Status::Unreadable;
    if (g_key_file_get_boolean(file, kGroup, G_KEY_FILE_DESKTOP_KEY_HIDDEN, nullptr))
        return DesktopEntry::Status::Hidden;
    Text exec(g_key_file_get_string(file, kGroup, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr));
    if (!exec || exec.get()[0] == '\0')
        return DesktopEntry::Status::NoProgram;
    Text tryExec(g_key_file_get_string(file, kGroup, G_KEY_FILE_DESKTOP_KEY_TRY_EXEC, nullptr));
    if (tryExec && tryExec.get()[0] != '\0' && !installed(tryExec.get()))
        return DesktopEntry::Status::ProgramMissing;
    if (!execProgramInstalled(exec.get()))
        return DesktopEntry::Status::ProgramMissing;
    return DesktopEntry::Status::Usable;
}

const char *reasonFor(DesktopEntry::Status status)
{
    switch (status) {
    case DesktopEntry::Status::Hidden:
        return "the entry is hidden (Hidden=true)";
    case DesktopEntry::Status::NoProgram:
        return "the entry names no program (no Exec line)";
    case DesktopEntry::Status::ProgramMissing:
        return "the program it names is not installed";
    case DesktopEntry::Status::Unreadable:
        return "it is not a readable desktop entry of an application";
    case DesktopEntry::Status::Usable:
        break;
    }
    return "";
}

// Only a plain file is read: a named pipe of that name would hang the launcher, a device
// would never end.
bool plainFileOfEntrySize(const std::string &path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kLargestEntryBytes;
}

} // namespace

DesktopEntry GioDesktopEntry::read(const std::string &path, const std::string &locale)
{
    DesktopEntry entry;
    if (!plainFileOfEntrySize(path))
        return entry;
    KeyFile file(g_key_file_new());
    // Without KEEP_TRANSLATIONS GKeyFile drops every name but the process locale's; the
    // name wanted is the settings tree's.
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_KEEP_TRANSLATIONS, nullptr))
        return entry;
    entry.status = statusOf(file.get());
    const gchar *language = locale.empty() ? nullptr : locale.c_str();
    Text name(g_key_file_get_locale_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_NAME, language, nullptr));
    Text icon(g_key_file_get_locale_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_ICON, language, nullptr));
    entry.name = utf16(name.get());
    entry.icon = utf16(icon.get());
    return entry;
}

bool GioDesktopEntry::launch(const std::string &path, std::string *reason)
{
    const DesktopEntry entry = read(path, std::string());
    if (entry.status != DesktopEntry::Status::Usable) {
        *reason = reasonFor(entry.status);
        return false;
    }
    std::unique_ptr<GDesktopAppInfo, glib::Unref> info(g_desktop_app_info_new_from_filename(path.c_str()));
    if (!info) {
        *reason = reasonFor(DesktopEntry::Status::Unreadable);
        return false;
    }
    GError *error = nullptr;
    const bool started = g_app_info_launch_uris(G_APP_INFO(info.get()), nullptr, nullptr, &error);
    if (!started) {
        std::unique_ptr<GError, ErrorDeleter> owned(error);
        *reason = owned ? owned->message : "it could not be started";
    }
    return started;
}

} // namespace platform
