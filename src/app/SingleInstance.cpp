#include "SingleInstance.h"

#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"
#include "settings/SettingStore.h"

#include <QElapsedTimer>
#include <QString>

platform::MutexHandle instanceMutex = platform::kNoMutex;
platform::WindowHandle previousInstanceWindow = platform::kNoWindow;

namespace {

constexpr unsigned kCloseGiveUpMs = 10000;
constexpr unsigned kInstanceWaitMs = 30000;
constexpr unsigned kPollMs = 200;
constexpr unsigned kRestoreTimeoutMs = 5000;
constexpr unsigned kRestoreMessage = platform::kWmUser + 1;

platform::WindowHandle launcherWindow()
{
    return platform::windows().findWindow(u"QWidget", u"Lumbra");
}

} // namespace

std::u16string instanceName()
{
    return QStringLiteral("{D6044399-0B9E-4084-A9AC-C4B7C7800FCF}")
        .toLower()
        .replace(u'\\', u'_')
        .toStdU16String();
}

bool handleCloseSwitch(const QStringList &arguments, int *exitCode)
{
    if (arguments.size() < 2 || arguments.last() != QLatin1String("--close"))
        return false;
    *exitCode = 0;
    QElapsedTimer waited;
    waited.start();
    for (platform::WindowHandle window = launcherWindow(); window != platform::kNoWindow;
         window = launcherWindow()) {
        // A launcher that does not go away must not keep an uninstaller waiting for ever.
        if (waited.elapsed() > kCloseGiveUpMs) {
            printDiagnostic("lumbra --close: a running launcher did not end within 10 seconds");
            *exitCode = 2;
            break;
        }
        printDiagnostic("FindWindow() for Lumbra");
        platform::windows().postMessage(window, platform::kWmClose, 0, 0);
        platform::system().sleep(100);
    }
    return true;
}

bool acquireSingleInstance()
{
    const std::u16string name = instanceName();
    bool alreadyExists = false;
    instanceMutex = platform::instanceLock().createMutex(name, &alreadyExists);
    if (instanceMutex == platform::kNoMutex || !alreadyExists)
        return true;
    platform::instanceLock().closeMutex(instanceMutex);
    instanceMutex = platform::kNoMutex;

    platform::WindowMessages &windows = platform::windows();
    const unsigned message = windows.registerWindowMessage(name);
    previousInstanceWindow = windows.findWindow(QString::number(message).toStdU16String(), u"");
    if (previousInstanceWindow != platform::kNoWindow)
        windows.setForegroundWindow(previousInstanceWindow | 1);

    // The running launcher may still be asking its start choice. The wait ends when its
    // window appears, when it ended without one (it chose the normal desktop), or in time.
    QElapsedTimer waited;
    waited.start();
    platform::WindowHandle window = launcherWindow();
    while (window == platform::kNoWindow && platform::instanceLock().mutexHeld(name)
           && waited.elapsed() < kInstanceWaitMs) {
        platform::system().sleep(kPollMs);
        window = launcherWindow();
    }
    if (window != platform::kNoWindow && theSettings.getInt(IntSetting::IS_FIRST_RUN) == 0)
        windows.sendMessage(window, kRestoreMessage, 0, 0, kRestoreTimeoutMs);
    return false;
}
