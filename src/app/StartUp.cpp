#include "StartUp.h"

#include "MaintenanceSwitches.h"
#include "PinSwitches.h"
#include "QMyApp.h"
#include "SingleInstance.h"
#include "TaskManagerSysTray.h"
#include "TrayIcon.h"
#include "selectlumbraorwin.h"
#include "dialogs/LumbraShutDown.h"
#include "i18n/LanguageChoice.h"
#include "launcher/lumbra.h"
#include "platform/Diagnostic.h"
#include "platform/InstanceLock.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"
#include "settings/LockPinStore.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kExitNoDisplay = 2;
QtMessageHandler qtHandler = nullptr;

// Qt aborts when it finds no display to open, with a core dump. A person who typed the
// command on a text console gets one more line saying what to do, and exit code 2.
void reportMissingDisplay(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qtHandler)
        qtHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
    if (type != QtFatalMsg)
        return;
    std::fputs("lumbra: no display to show the launcher on; start it from the desktop, or use "
               "--installRegister, --exportRegister or --close, which need none\n",
               stderr);
    std::_Exit(kExitNoDisplay);
}

std::unique_ptr<QCoreApplication> makeGuiApplication(int &argc, char **argv)
{
    qtHandler = qInstallMessageHandler(reportMissingDisplay);
    auto gui = std::make_unique<QMyApp>(argc, argv);
    qInstallMessageHandler(qtHandler);
    theApp = gui.get();
    return gui;
}

// Relative paths in the settings (pictures, music, translations) are resolved against the
// executable's folder. The path is cut after its last separator, which stays.
void moveToExecutableFolder()
{
    platform::SystemServices &system = platform::system();
    const std::u16string path = system.executablePath();
    const std::size_t separator = path.find_last_of(u"/\\");
    if (separator != std::u16string::npos)
        system.setCurrentDirectory(path.substr(0, separator + 1));
}

bool runConsoleSwitch(const QStringList &arguments, int *exitCode)
{
    return handleCloseSwitch(arguments, exitCode) || handleInstallRegisterSwitch(arguments, exitCode)
        || handleExportRegisterSwitch(arguments, exitCode) || handleSetPinSwitch(arguments, exitCode)
        || handleClearPinSwitch(arguments, exitCode);
}

// The four long-lived objects, the event loop, and the tear-down in the reverse order once
// the lock is given back. The launcher shows its first page first; the tray icons, the
// shut-down dialog and the task manager's carrier follow in this order right after its first
// frame, and are destroyed after it. A run always ends with 1.
int runLauncher()
{
    {
        std::unique_ptr<TrayIcon> tray;
        std::unique_ptr<LumbraShutDown> shutDown;
        std::unique_ptr<TaskManagerSysTray> taskManager;
        lumbra launcher;
        theLauncher = &launcher;
        launcher.setRestOfStart([&] {
            tray = std::make_unique<TrayIcon>();
            tray->setupTray();
            tray->setVisible(true);
            shutDown = std::make_unique<LumbraShutDown>(nullptr);
            theShutDownDialog = shutDown.get();
            shutDown->setVisible(false);
            taskManager = std::make_unique<TaskManagerSysTray>(nullptr);
            taskManager->setVisible(true);
        });
        launcher.initialise();
        QApplication::exec();
        platform::instanceLock().closeMutex(instanceMutex);
        instanceMutex = platform::kNoMutex;
        theLauncher = nullptr;
        theShutDownDialog = nullptr;
    }
    return 1;
}

} // namespace

int runLumbra(int argc, char **argv)
{
    // The registry switches run from installers and terminals without a display, so they
    // get a console application; everything else the full GUI one.
    const QStringList arguments = commandLineArguments(argc, argv);
    const bool console = isConsoleSwitch(arguments);
    std::unique_ptr<QCoreApplication> app;
    if (console) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        app = makeGuiApplication(argc, argv);
    }
    languageCode += chooseLanguageCode();

    int exitCode = 0;
    if (runConsoleSwitch(arguments, &exitCode))
        return exitCode;

    initRegistryPaths();
    loadAllSettings(theSettings);
    LockPinStore::remember(theSettings.mySystem.LOCK_PIN);
    if (!acquireSingleInstance())
        return 0;
    moveToExecutableFolder();
    int answered = 0;
    if (!askStartChoice(&answered))
        return answered;
    const int result = runLauncher();
    theApp = nullptr;
    return result;
}
