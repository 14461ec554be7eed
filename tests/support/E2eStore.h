#pragma once

#include <QString>

// The settings tree the end-to-end tests start the real launcher on, as a registry file:
// two tabs and four columns; tab 1 holds a program, a folder and a program the user added,
// tab 2 the program and one that is not installed.
QString e2eStoreFile(const QString &program, const QString &folder, int firstRun = 0);
