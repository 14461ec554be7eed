#pragma once

#include <QApplication>

namespace platform {
struct WindowMessage;
}

// The launcher's application object. Messages from other launcher processes (close,
// restore) arrive through it.
class QMyApp : public QApplication
{
    Q_OBJECT

public:
    QMyApp(int &argc, char **argv);
    ~QMyApp() override;

    // Sees every message to the program's windows first: WM_CLOSE ends the event loop,
    // WM_USER + 1 brings a minimised or hidden launcher back. Answers false: the message
    // goes on to its window.
    static bool winEventFilter(const platform::WindowMessage &message);
};

extern QMyApp *theApp;
