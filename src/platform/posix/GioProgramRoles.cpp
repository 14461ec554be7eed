#include "GioProgramRoles.h"

#include "GioDesktopEntry.h"

// GLib's headers come before anything of Qt's: Qt's "signals" keyword is a macro, and GIO
// names a structure member so.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "GLibOwned.h"

#include <algorithm>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

struct Role
{
    const char16_t *name;
    const char *contentType; // nullptr: the desktop keeps no default for it
    const char *const *entries;
    const char *alternative; // a Debian alternative in /usr/bin, or nullptr
};

const char *const kBrowsers[] = {"firefox-esr.desktop", "firefox.desktop", "chromium.desktop",
                                 "org.gnome.Epiphany.desktop", "org.kde.falkon.desktop", "google-chrome.desktop",
                                 nullptr};
const char *const kMail[] = {"thunderbird.desktop", "org.gnome.Evolution.desktop", "org.kde.kmail2.desktop",
                             "claws-mail.desktop", "sylpheed.desktop", "geary.desktop", nullptr};
const char *const kFiles[] = {"org.gnome.Nautilus.desktop", "thunar.desktop", "pcmanfm.desktop",
                              "pcmanfm-qt.desktop", "nemo.desktop", "caja.desktop", "org.kde.dolphin.desktop",
                              nullptr};
const char *const kTextEditors[] = {"org.gnome.TextEditor.desktop", "org.gnome.gedit.desktop", "mousepad.desktop",
                                    "pluma.desktop", "org.kde.kate.desktop", "org.kde.kwrite.desktop",
                                    "featherpad.desktop", "leafpad.desktop", nullptr};
const char *const kWriters[] = {"libreoffice-writer.desktop", "abiword.desktop", "calligrawords.desktop", nullptr};
const char *const kSheets[] = {"libreoffice-calc.desktop", "gnumeric.desktop", "calligrasheets.desktop", nullptr};
const char *const kSlides[] = {"libreoffice-impress.desktop", "calligrastage.desktop", nullptr};
const char *const kPdf[] = {"org.gnome.Evince.desktop", "org.gnome.Papers.desktop", "atril.desktop",
                            "org.kde.okular.desktop", "qpdfview.desktop", "xpdf.desktop", nullptr};
const char *const kPictures[] = {"org.gnome.eog.desktop", "org.gnome.Loupe.desktop", "ristretto.desktop",
                                 "shotwell-viewer.desktop", "org.kde.gwenview.desktop", "eom.desktop",
                                 "gpicview.desktop", nullptr};
const char *const kMusic[] = {"org.gnome.Rhythmbox3.desktop", "rhythmbox.desktop", "org.gnome.Music.desktop",
                              "audacious.desktop", "parole.desktop", "vlc.desktop", nullptr};
const char *const kVideos[] = {"org.gnome.Totem.desktop", "vlc.desktop", "mpv.desktop", "parole.desktop",
                               "org.kde.dragonplayer.desktop", "smplayer.desktop", nullptr};
const char *const kTerminals[] = {"org.gnome.Terminal.desktop", "org.gnome.Console.desktop",
                                  "xfce4-terminal.desktop", "org.kde.konsole.desktop", "lxterminal.desktop",
                                  "mate-terminal.desktop", "qterminal.desktop", "xterm.desktop", nullptr};
const char *const kCalculators[] = {"org.gnome.Calculator.desktop", "galculator.desktop", "mate-calc.desktop",
                                    "org.kde.kcalc.desktop", "qalculate-gtk.desktop", nullptr};
const char *const kSettings[] = {"gnome-control-center.desktop", "org.gnome.Settings.desktop",
                                 "xfce-settings-manager.desktop", "systemsettings.desktop",
                                 "mate-control-center.desktop", "lxqt-config.desktop", nullptr};
const char *const kSoftware[] = {"org.gnome.Software.desktop", "org.kde.discover.desktop",
                                 "synaptic.desktop", "gnome-packagekit.desktop", nullptr};
const char *const kMonitors[] = {"org.gnome.SystemMonitor.desktop", "gnome-system-monitor.desktop",
                                 "xfce4-taskmanager.desktop", "org.kde.plasma-systemmonitor.desktop",
                                 "lxtask.desktop", "mate-system-monitor.desktop", nullptr};

const Role kRoles[] = {
    {u"web-browser", "x-scheme-handler/http", kBrowsers, "x-www-browser"},
    {u"e-mail", "x-scheme-handler/mailto", kMail, nullptr},
    {u"files", "inode/directory", kFiles, nullptr},
    {u"text-editor", "text/plain", kTextEditors, nullptr},
    {u"word-processor", "application/vnd.oasis.opendocument.text", kWriters, nullptr},
    {u"spreadsheet", "application/vnd.oasis.opendocument.spreadsheet", kSheets, nullptr},
    {u"presentation", "application/vnd.oasis.opendocument.presentation", kSlides, nullptr},
    {u"pdf-viewer", "application/pdf", kPdf, nullptr},
    {u"pictures", "image/png", kPictures, nullptr},
    {u"music", "audio/mpeg", kMusic, nullptr},
    {u"videos", "video/mp4", kVideos, nullptr},
    {u"terminal", nullptr, kTerminals, "x-terminal-emulator"},
    {u"calculator", nullptr, kCalculators, nullptr},
    {u"settings", nullptr, kSettings, nullptr},
    {u"software", nullptr, kSoftware, nullptr},
    {u"system-monitor", nullptr, kMonitors, nullptr},
};

// The sizes of an icon theme's folders, largest first: the launcher draws icons large.
const char *const kIconSizes[] = {"256x256", "128x128", "96x96", "72x72", "64x64", "48x48", "scalable"};
const char *const kPictureTypes[] = {".png", ".svg", ".xpm"};

using AppInfo = std::unique_ptr<GAppInfo, glib::Unref>;
using glib::Text;
using glib::utf16;
using glib::utf8;

const Role *roleNamed(const std::u16string &name)
{
    for (const Role &role : kRoles) {
        if (name == role.name)
            return &role;
    }
    return nullptr;
}

bool usable(const char *file)
{
    return file && GioDesktopEntry::read(file, std::string()).status == DesktopEntry::Status::Usable;
}

RoleProgram entryProgram(GAppInfo *info)
{
    RoleProgram found;
    if (!info || !G_IS_DESKTOP_APP_INFO(info))
        return found;
    const char *file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info));
    if (!usable(file))
        return found;
    found.form = RoleProgram::Form::DesktopEntry;
    found.path = utf16(file);
    return found;
}

RoleProgram defaultFor(const char *contentType)
{
    if (!contentType)
        return RoleProgram();
    AppInfo info(g_app_info_get_default_for_type(contentType, FALSE));
    return entryProgram(info.get());
}

RoleProgram firstInstalled(const char *const *entries)
{
    for (const char *const *id = entries; *id; ++id) {
        std::unique_ptr<GDesktopAppInfo, glib::Unref> info(g_desktop_app_info_new(*id));
        const RoleProgram found = entryProgram(info ? G_APP_INFO(info.get()) : nullptr);
        if (found.form != RoleProgram::Form::None)
            return found;
    }
    return RoleProgram();
}

// Debian's alternatives live in /usr/bin whatever PATH says; a dangling link does not count.
RoleProgram alternative(const char *name)
{
    RoleProgram found;
    if (!name)
        return found;
    const std::string path = std::string("/usr/bin/") + name;
    if (::access(path.c_str(), X_OK) != 0)
        return found;
    found.form = RoleProgram::Form::Program;
    found.path = utf16(path.c_str());
    return found;
}

bool isFile(const std::string &path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string pictureIn(const std::string &folder, const std::string &name)
{
    for (const char *type : kPictureTypes) {
        const std::string path = folder + '/' + name + type;
        if (isFile(path))
            return path;
    }
    return std::string();
}

// The picture of an Icon value: a path as it stands, else a name looked up in the hicolor
// theme every desktop falls back to, then in the legacy pixmaps folders.
std::string pictureOf(const char *icon)
{
    if (!icon || !*icon)
        return std::string();
    const std::string name(icon);
    if (name.front() == '/')
        return isFile(name) ? name : std::string();
    if (name.find('/') != std::string::npos)
        return std::string();
    std::vector<std::string> bases{g_get_user_data_dir()};
    for (const gchar *const *folder = g_get_system_data_dirs(); *folder; ++folder)
        bases.emplace_back(*folder);
    for (const std::string &base : bases) {
        for (const char *size : kIconSizes) {
            const std::string found = pictureIn(base + "/icons/hicolor/" + size + "/apps", name);
            if (!found.empty())
                return found;
        }
    }
    for (const std::string &base : bases) {
        const std::string found = pictureIn(base + "/pixmaps", name);
        if (!found.empty())
            return found;
    }
    return std::string();
}

bool inCategory(GDesktopAppInfo *info, const std::string &category)
{
    const char *categories = g_desktop_app_info_get_categories(info);
    if (!categories)
        return false;
    std::string list = std::string(";") + categories;
    if (list.back() != ';')
        list += ';';
    return list.find(';' + category + ';') != std::string::npos;
}

// The file name of the program the entry's Exec line starts.
std::u16string programOf(GAppInfo *info)
{
    const char *executable = g_app_info_get_executable(info);
    if (!executable)
        return std::u16string();
    Text base(g_path_get_basename(executable));
    return utf16(base.get());
}

InstalledProgram describe(GAppInfo *info, const std::string &locale)
{
    InstalledProgram program;
    const char *file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info));
    const DesktopEntry entry = GioDesktopEntry::read(file, locale);
    program.entry = utf16(file);
    program.name = entry.name;
    Text icon(g_desktop_app_info_get_string(G_DESKTOP_APP_INFO(info), "Icon"));
    program.picture = utf16(pictureOf(icon.get()).c_str());
    program.program = programOf(info);
    return program;
}

} // namespace

RoleProgram GioProgramRoles::programFor(const std::u16string &name)
{
    const Role *role = roleNamed(name);
    if (!role)
        return RoleProgram();
    RoleProgram found = defaultFor(role->contentType);
    if (found.form == RoleProgram::Form::None)
        found = firstInstalled(role->entries);
    if (found.form == RoleProgram::Form::None)
        found = alternative(role->alternative);
    return found;
}

std::vector<InstalledProgram> GioProgramRoles::programsOfCategory(const std::u16string &category,
                                                                   const std::u16string &locale, std::size_t limit)
{
    std::vector<InstalledProgram> found;
    const std::string wanted = utf8(category);
    // A category never holds ";", which separates them in the entry.
    if (wanted.empty() || wanted.find(';') != std::string::npos || limit == 0)
        return found;
    std::vector<GAppInfo *> matching;
    GList *all = g_app_info_get_all();
    for (GList *item = all; item; item = item->next) {
        GAppInfo *info = G_APP_INFO(item->data);
        if (G_IS_DESKTOP_APP_INFO(info) && g_app_info_should_show(info)
            && inCategory(G_DESKTOP_APP_INFO(info), wanted)
            && usable(g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info))))
            matching.push_back(info);
    }
    std::sort(matching.begin(), matching.end(), [](GAppInfo *a, GAppInfo *b) {
        return g_utf8_collate(g_app_info_get_name(a), g_app_info_get_name(b)) < 0;
    });
    const std::string language = utf8(locale);
    for (std::size_t i = 0; i < matching.size() && i < limit; ++i)
        found.push_back(describe(matching[i], language));
    g_list_free_full(all, g_object_unref);
    return found;
}

} // namespace platform
