#include "StartUp.h"

#include "MaintenanceSwitches.h"
#include "QMyApp.h"
#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"
#include "settings/Diagnostic.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QCoreApplication>
#include <QStringList>

#include <memory>

namespace {

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
    return handleInstallRegisterSwitch(arguments, exitCode)
        || handleExportRegisterSwitch(arguments, exitCode);
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
        auto gui = std::make_unique<QMyApp>(argc, argv);
        theApp = gui.get();
        app = std::move(gui);
    }
    languageCode += chooseLanguageCode();

    int exitCode = 0;
    if (runConsoleSwitch(arguments, &exitCode))
        return exitCode;

    initRegistryPaths();
    loadAllSettings(theSettings);
    moveToExecutableFolder();

    printDiagnostic(QStringLiteral("lumbra: settings loaded (%1 tabs, %2 icons, %3 themes) in %4; "
                                   "the launcher window is not part of this build yet")
                        .arg(theSettings.tabs.size())
                        .arg(theSettings.icons.size())
                        .arg(theSettings.themes.size())
                        .arg(QString::fromStdU16String(platform::system().currentDirectory())));
    theApp = nullptr;
    return 0;
}
