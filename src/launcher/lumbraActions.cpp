// What a click means: the dispatcher, starting programs and documents, the music and the
// theme dialog.

#include "lumbra.h"

#include "HighlightReporter.h"
#include "MissingPrograms.h"
#include "Navigator.h"
#include "TabEntry.h"
#include "TargetCheck.h"
#include "TitleBar.h"
#include "dialogs/CaregiverLock.h"
#include "dialogs/ThemeSettingDialog.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/SystemServices.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/IconQLabel.h"
#include "widgets/TabQLabel.h"

#include <QSystemTrayIcon>

#include <algorithm>

namespace {

std::u16string utf16(const QString &text)
{
    return text.toStdU16String();
}

void startProgram(const APIconQLabel *icon)
{
    const QString &target = icon->exeLocation;
    platform::shell().startDetached(utf16(target), {}, utf16(TargetCheck::workingDirectoryOf(target)));
    if (icon->tabNumber == 6 && icon->position == 6) {
        platform::WindowMessages &windows = platform::windows();
        const platform::WindowHandle window = windows.findWindow(u"SymHTMLWindow", u"Norton Internet Security");
        windows.showWindow(window, platform::kSwShowNormal);
    }
}

void openWithShell(const QString &target)
{
    const QString directory = u'"' + TargetCheck::workingDirectoryOf(target) + u'"';
    platform::shell().shellOpen(utf16(target), utf16(directory));
}

void openThemeDialog(QWidget *launcher)
{
    if (!CaregiverLock::allow(CaregiverLock::Action::ThemeDialog, launcher))
        return;
    ThemeSettingDialog themeDialog(nullptr);
    themeDialog.setupThemeDialog();
    themeDialog.loadThemeList();
    themeDialog.exec();
}

std::u16string musicPath()
{
    std::u16string folder = platform::system().currentDirectory();
    if (!folder.empty() && folder.back() != u'/' && folder.back() != u'\\')
        folder += u'/';
    return folder + u"bgmusic.wav";
}

} // namespace

void lumbra::dispatchAction(APIconQLabel *icon, IconQLabel *button, TabQLabel *tab)
{
    // Before initialise() has built the window there is nothing to act on.
    if (!bar)
        return;
    if (!icon || !missing->tellIfMissing(icon))
        act(icon, button, tab);
    navigator->markSelection();
}

void lumbra::act(APIconQLabel *icon, IconQLabel *button, TabQLabel *tab)
{
    const int kind = icon ? TargetCheck::startKind(icon->kind, icon->exeLocation) : button ? button->kind : tab ? tab->kind : 0;
    switch (kind) {
    case ActionKind::StartProgram:
        if (icon)
            startProgram(icon);
        break;
    case ActionKind::OpenWithShell:
        if (icon)
            openWithShell(icon->exeLocation);
        break;
    case ActionKind::Tab:
        if (tab && tab->tabIndex >= 0 && tab->tabIndex < tabs.size()) {
            navigator->showTab(tab->tabIndex);
            reporter->tabShown(tab->accessibleName());
        }
        break;
    case ActionKind::House:
        // Only the tray icon brings a minimised launcher back; without a tray to show it, the
        // person would be left with an empty screen and no way back.
        if (theSettings.getInt(IntSetting::ALWAYS_ON_BACKGROUND) == 0 && QSystemTrayIcon::isSystemTrayAvailable())
            showMinimized();
        break;
    case ActionKind::SubTab:
        if (icon)
            navigator->openSubTab(icon);
        break;
    case ActionKind::Back:
        navigator->goBack();
        break;
    case ActionKind::PageUp:
    case ActionKind::PageDown:
        navigator->turnPage(kind == ActionKind::PageUp ? -1 : 1);
        break;
    case ActionKind::ThemeDialog:
        if (icon)
            openThemeDialog(this);
        break;
    case ActionKind::Music:
        if (button && button == bar->button(ActionKind::Music))
            storeMusic(theSettings.mySystem.MUSIC_BACKGROUND_ON == 0);
        break;
    default:
        break;
    }
}

void lumbra::setMusic(bool on)
{
    theSettings.mySystem.MUSIC_BACKGROUND_ON = on ? 1 : 0;
    playMusic(on);
}

// The speaker shows whether the music is on, and the music follows it. Storing the choice is
// the caller's: the speaker stores it at once, the settings dialog with its other switches.
void lumbra::playMusic(bool on)
{
    musicPlaying = on;
    IconQLabel *speaker = bar ? bar->button(ActionKind::Music) : nullptr;
    if (on) {
        if (speaker)
            speaker->showPressedImage();
        platform::sound().play(musicPath());
    } else {
        if (speaker)
            speaker->showNormalImage();
        platform::sound().stop();
    }
}
