#pragma once

#include <QApplication>

// The launcher's application object. Messages from other launcher processes (close,
// restore) arrive through it.
class QMyApp : public QApplication
{
    Q_OBJECT

public:
    QMyApp(int &argc, char **argv);
};

extern QMyApp *theApp;
