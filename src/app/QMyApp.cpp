#include "QMyApp.h"

#include "dialogs/LauncherControl.h"
#include "platform/Platform.h"
#include "platform/WindowMessages.h"

#include <QWidget>

QMyApp *theApp = nullptr;

QMyApp::QMyApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    platform::windows().setMessageFilter(&QMyApp::winEventFilter);
}

QMyApp::~QMyApp()
{
    platform::windows().setMessageFilter(nullptr);
}

bool QMyApp::winEventFilter(const platform::WindowMessage &message)
{
    if (message.message == platform::kWmClose) {
        QCoreApplication::exit(0);
    } else if (message.message == platform::kWmUser + 1 && theLauncher) {
        const QWidget *launcher = theLauncher->widget();
        if (launcher->isMinimized() || launcher->isHidden())
            theLauncher->restore();
    }
    return false;
}
