// kernel32's process services, the screen metrics, the power actions through their log,
// and the sound's refusals.

#include "Runner.h"

#include "LanguageCases.h"
#include "platform/ScreenMetrics.h"
#include "platform/win32/Win32Power.h"
#include "platform/win32/Win32ScreenMetrics.h"
#include "platform/win32/Win32Sound.h"
#include "platform/win32/Win32Speech.h"
#include "platform/win32/Win32SystemServices.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace runner {

namespace {

using namespace platform;

std::string executablePathIsThisProgram()
{
    const std::u16string path = Win32SystemServices().executablePath();
    EXPECT(path.size() > 3 && path[1] == u':' && path[2] == u'\\');
    EXPECT(GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(path.substr(path.size() - 4), std::u16string(u".exe"));
    return std::string();
}

std::string currentDirectoryFollowsItsChanges()
{
    Win32SystemServices system;
    const std::u16string before = system.currentDirectory();
    const std::u16string target = temporaryFolder() + u"Ordner \u00fc \u0416";
    EXPECT(CreateDirectoryW(wide(target), nullptr));
    EXPECT(system.setCurrentDirectory(target));
    const std::u16string now = system.currentDirectory();
    system.setCurrentDirectory(before);
    EXPECT_EQ(now, target);
    EXPECT_EQ(system.currentDirectory(), before);
    return std::string();
}

std::string currentDirectoryRefuses(const std::u16string &relative)
{
    Win32SystemServices system;
    CreateDirectoryW(wide(temporaryFolder() + u"inner"), nullptr);
    writeFile(temporaryFolder() + u"file", "x");
    const std::u16string before = system.currentDirectory();
    EXPECT(!system.setCurrentDirectory(relative.empty() ? relative : temporaryFolder() + relative));
    EXPECT_EQ(system.currentDirectory(), before);
    return std::string();
}

std::string environmentHoldsTheProcessEnvironment()
{
    const std::u16string value = u"Wert mit Umlaut \u00e4 und = Zeichen";
    EnvironmentOverride marker(L"LUMBRA_TEST_MARKER", wide(value));
    EnvironmentOverride absent(L"LUMBRA_TEST_ABSENT", nullptr);
    const std::vector<std::u16string> entries = Win32SystemServices().environmentStrings();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), u"LUMBRA_TEST_MARKER=" + value), 1L);
    for (const std::u16string &entry : entries) {
        EXPECT(entry.rfind(u"LUMBRA_TEST_ABSENT=", 0) != 0);
        EXPECT(!entry.empty() && entry.front() != u'=');
    }
    return std::string();
}

std::string screenMetric(int index, bool known)
{
    const int value = Win32ScreenMetrics().systemMetric(index);
    if (!known) {
        EXPECT_EQ(value, 0);
        return std::string();
    }
    EXPECT(value > 0);
    EXPECT_EQ(value, GetSystemMetrics(index));
    return std::string();
}

// The launcher fills W = SM_CXFULLSCREEN: the work area's width.
std::string fullScreenWidthIsTheWorkArea()
{
    RECT area = {};
    EXPECT(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_EQ(Win32ScreenMetrics().systemMetric(kSmCxFullScreen), int(area.right - area.left));
    return std::string();
}

// H = SM_CYFULLSCREEN + SM_CYCAPTION: the work area's height. Windows documents
// SM_CYFULLSCREEN as the client height of a full-screen window, the work area less the
// caption; Wine 8 answers more than the screen (779 with a caption of 19 on a 768-pixel
// screen with its null driver), so there the case only reports what it found.
std::string fullScreenHeightIsTheWorkArea()
{
    RECT area = {};
    EXPECT(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    Win32ScreenMetrics metrics;
    const int height = metrics.systemMetric(kSmCyFullScreen) + metrics.systemMetric(kSmCyCaption);
    if (underWine() && height != area.bottom - area.top)
        return skip("Wine's SM_CYFULLSCREEN + SM_CYCAPTION is " + std::to_string(height) + ", its work area "
                    + std::to_string(area.bottom - area.top) + " high");
    EXPECT_EQ(height, int(area.bottom - area.top));
    return std::string();
}

std::string powerActionsGoToTheLog()
{
    const std::u16string log = temporaryFolder() + u"power \u00fc.log";
    writeFile(log, "before\n");
    EnvironmentOverride setLog(L"LUMBRA_POWER_LOG", wide(log));
    Win32Power power;
    EXPECT(power.enableShutdownPrivilege());
    EXPECT(power.reboot());
    EXPECT(power.suspend());
    EXPECT(power.powerOff());
    EXPECT_EQ(readFile(log), std::string("before\nreboot\nsuspend\npoweroff\n"));
    return std::string();
}

std::string anUnusableLogIsRefused(const std::u16string &log)
{
    EnvironmentOverride setLog(L"LUMBRA_POWER_LOG", wide(log));
    EXPECT(!Win32Power().suspend());
    EXPECT(!Win32Power().powerOff());
    return std::string();
}

// Without a log, a process that forbids power actions ends before it can reach Windows.
std::string withoutALogATestAborts()
{
    EnvironmentOverride noLog(L"LUMBRA_POWER_LOG", nullptr);
    EnvironmentOverride forbidden(L"LUMBRA_POWER_FORBIDDEN", L"1");
    EXPECT_EQ(runChild(childArguments("power")), 3);
    return std::string();
}

int powerChild(const std::vector<std::u16string> &)
{
    Win32Power().reboot();
    return 0;
}

std::string soundRefuses(const std::u16string &name, const std::string &bytes, bool folder)
{
    const std::u16string path = temporaryFolder() + name;
    if (folder)
        CreateDirectoryW(wide(path), nullptr);
    else if (bytes != "<absent>")
        writeFile(path, bytes);
    Win32Sound sound;
    EXPECT(!sound.play(path));
    sound.stop();
    return std::string();
}

// A machine without a voice (Wine has none that speaks) answers false and stays quiet; one
// with a voice speaks. Either way every call returns at once and none fails, whatever the
// language tag.
std::string speechNeverFails()
{
    Win32Speech speech;
    speech.stop();
    const bool spoke = speech.say(u"Calculator", "en");
    EXPECT_EQ(speech.say(u"<Games> & more", "pt-BR"), spoke);
    EXPECT_EQ(speech.say(u"Rechner", "de"), spoke);
    EXPECT_EQ(speech.say(u"", std::string(200, 'x')), spoke);
    EXPECT_EQ(speech.say(u"Words", "not a tag"), spoke);
    speech.stop();
    speech.stop();
    return std::string();
}

} // namespace

// Wine takes the system language from the locale of its Unix process, which is set before
// Wine starts; Windows has one for the whole machine. So scripts/test-win32.sh starts the
// runner once per row under that row's LC_ALL.
void listLanguageCases()
{
    for (std::size_t index = 0; index < std::size(contract::kLanguageCases); ++index)
        std::printf("%zu %s\n", index, contract::kLanguageCases[index].locale);
}

int checkLanguageCase(std::size_t index)
{
    if (index >= std::size(contract::kLanguageCases))
        return 2;
    const contract::LanguageCase &row = contract::kLanguageCases[index];
    const unsigned answer = Win32SystemServices().systemDefaultLangId();
    if (answer == row.langId) {
        std::printf("PASS   system: the language of %s is 0x%04X\n", row.locale, answer);
        return 0;
    }
    std::printf("FAIL!  system: the language of %s: expected 0x%04X, got 0x%04X\n", row.locale, unsigned(row.langId),
                answer);
    return 1;
}

void addSystemTests()
{
    add("system: the executable's path", executablePathIsThisProgram);
    add("system: the current folder follows its changes", currentDirectoryFollowsItsChanges);
    const struct
    {
        const char *name;
        std::u16string path;
    } refusals[] = {{"missing folder", u"missing"}, {"a file", u"file"}, {"NUL inside", std::u16string(u"inner\0x", 7)},
                    {"nothing", u""}};
    for (const auto &row : refusals)
        add(std::string("system: the current folder stays for ") + row.name,
            [path = row.path] { return currentDirectoryRefuses(path); });
    add("system: the environment", environmentHoldsTheProcessEnvironment);
    add("system: the person's data folder is in LOCALAPPDATA", [] {
        wchar_t expected[MAX_PATH] = {};
        EXPECT(GetEnvironmentVariableW(L"LOCALAPPDATA", expected, MAX_PATH) > 0);
        EXPECT_EQ(Win32SystemServices().userDataDirectory(),
                  reinterpret_cast<char16_t *>(expected) + std::u16string(u"\\Lumbra"));
        return std::string();
    });
    const struct
    {
        const char *name;
        int index;
        bool known;
    } metrics[] = {{"full-screen width", kSmCxFullScreen, true}, {"full-screen height", kSmCyFullScreen, true},
                   {"caption", kSmCyCaption, true}, {"negative", -1, false}, {"far out", 9999, false}};
    for (const auto &row : metrics)
        add(std::string("screen: ") + row.name, [row] { return screenMetric(row.index, row.known); });
    add("screen: the full-screen width is the work area's", fullScreenWidthIsTheWorkArea);
    add("screen: the full-screen height and the caption are the work area's", fullScreenHeightIsTheWorkArea);
    add("power: actions go to the log", powerActionsGoToTheLog);
    add("power: a folder for a log is refused", [] { return anUnusableLogIsRefused(temporaryFolder()); });
    add("power: a log in a missing folder is refused",
        [] { return anUnusableLogIsRefused(temporaryFolder() + u"gone\\power.log"); });
    add("power: an empty log name is refused", [] { return anUnusableLogIsRefused(u""); });
    add("power: without a log a test aborts", withoutALogATestAborts);
    const struct
    {
        const char *name;
        std::u16string file;
        std::string bytes;
        bool folder;
    } sounds[] = {{"missing", u"absent.wav", "<absent>", false},
                  {"empty", u"empty.wav", "", false},
                  {"text", u"text.wav", "this is not sound at all\n", false},
                  {"another container", u"other.wav", std::string("RIFF\x10\0\0\0AVI LIST", 16), false},
                  {"a folder", u"folder.wav", "", true}};
    for (const auto &row : sounds)
        add(std::string("sound: stays silent on ") + row.name,
            [row] { return soundRefuses(row.file, row.bytes, row.folder); });
    add("speech: speaks or stays quiet, and never fails", speechNeverFails);
    addRole("power", powerChild);
}

} // namespace runner
