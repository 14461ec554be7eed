#include "TrayIcon.h"

#include "dialogs/CaregiverLock.h"
#include "dialogs/LauncherControl.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"
#include "platform/WindowMessages.h"
#include "settings/SettingStore.h"
#include "widgets/FaceRecipes.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

namespace {

constexpr int kClickGuardMs = 300;

// A tree without the text (or no tree at all) still gives the menu its way out.
QString textOr(const QString &text, const QString &fallback)
{
    return text.isEmpty() || text == QLatin1String("NULL") ? fallback : text;
}

void printTrace(const char *line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

TrayIcon::TrayIcon()
    : QSystemTrayIcon(nullptr)
{
}

TrayIcon::~TrayIcon()
{
    // The menu has no parent: the tray icon owns it.
    delete trayMenu;
}

void TrayIcon::setupTray()
{
    QIcon icon(QPixmap::fromImage(loadPicture(theSettings.getString(TextSetting::SYSTEMTRAY_LUMBRA_PNGFILENAME))));
    // Without its picture the tray shows no icon, and its menu with Exit could not be reached.
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/images/LUMBRA_normal.png"));
    setToolTip(theSettings.getString(TextSetting::SYSTEMTRAY_LUMBRA_TOOLTIPNAME) + u' '
               + theSettings.getString(TextSetting::VERSION));
    setIcon(icon);
    settingText = textOr(theSettings.getString(TextSetting::SYSTEMTRAY_LUMBRA_SETTING_SETTING), tr("Settings"));
    exitText = textOr(theSettings.getString(TextSetting::SYSTEMTRAY_LUMBRA_SETTING_EXIT), tr("Exit Lumbra"));
    trayMenu = new QMenu;
    settingAction = new QAction(settingText, this);
    exitAction = new QAction(exitText, this);
    connect(settingAction, &QAction::triggered, this, &TrayIcon::call_settingDialog);
    connect(exitAction, &QAction::triggered, this, &TrayIcon::call_shutDownDialog);
    clickDisabled = false;
    settingDialogOpen = false;
    trayMenu->addAction(settingAction);
    trayMenu->addAction(exitAction);
    setContextMenu(trayMenu);
    connect(this, &QSystemTrayIcon::activated, this, &TrayIcon::iconActivated);
    connect(this, &TrayIcon::disableClickSystemTrayicon_signal, &clickTimer, qOverload<int>(&QTimer::start));
    connect(&clickTimer, &QTimer::timeout, this, &TrayIcon::disableClickSystemTrayicon_slot);
}

void TrayIcon::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason != QSystemTrayIcon::Trigger)
        return;
    if (settingDialogOpen || clickDisabled || !theLauncher)
        return;
    QWidget *launcher = theLauncher->widget();
    const bool away = launcher->isMinimized() || launcher->isHidden();
    // A launcher kept in the background is never minimised from here; but one the desktop
    // minimised (its "show desktop" key) must come back, or nothing would bring it back.
    if (theSettings.getInt(IntSetting::ALWAYS_ON_BACKGROUND) != 0 && !away)
        return;
    clickDisabled = true;
    emit disableClickSystemTrayicon_signal(kClickGuardMs);
    if (away)
        theLauncher->restore();
    else
        launcher->showMinimized();
}

void TrayIcon::disableClickSystemTrayicon_slot()
{
    clickDisabled = false;
    clickTimer.stop();
}

void TrayIcon::call_settingDialog()
{
    printTrace("call lumbra setting");
    if (!settingDialog.isHidden() || settingDialogOpen)
        return;
    // The tray click stays blocked while the PIN is asked, as while the dialog is open.
    settingDialogOpen = true;
    const bool allowed = CaregiverLock::allow(CaregiverLock::Action::TraySettings);
    settingDialogOpen = false;
    if (!allowed)
        return;
    settingDialog.prepareDialog();
    settingDialogOpen = true;
    settingDialog.exec();
    settingDialogOpen = false;
}

// Despite its name, this ends the launcher: the way every part of the program does it,
// with WM_CLOSE to the launcher window.
void TrayIcon::call_shutDownDialog()
{
    printTrace("call shut down");
    if (!CaregiverLock::allow(CaregiverLock::Action::TrayExit))
        return;
    platform::WindowMessages &windows = platform::windows();
    const platform::WindowHandle window = windows.findWindow(u"QWidget", u"Lumbra");
    printDiagnostic("FindWindow() for Lumbra");
    if (window != platform::kNoWindow)
        windows.postMessage(window, platform::kWmClose, 0, 0);
    platform::system().sleep(100);
    settingDialog.close();
    if (theLauncher)
        theLauncher->widget()->close();
}
