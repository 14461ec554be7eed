#pragma once

#include <QString>

// The settings tree the end-to-end tests start the real launcher on, as a registry file:
// two tabs and four columns; tab 1 holds a program, a folder and a program the user added.
QString e2eStoreFile(const QString &program, const QString &folder, int firstRun = 0);
