#include "QMyApp.h"

QMyApp *theApp = nullptr;

QMyApp::QMyApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
}
