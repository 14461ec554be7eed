#pragma once

#include <QString>

// The settings tree the end-to-end tests start the real launcher on, as a registry file:
// two tabs and four columns; tab 1 holds a program, a folder and a program the user added,
// tab 2 the program and one that is not installed.
QString e2eStoreFile(const QString &program, const QString &folder, int firstRun = 0);

// Further keys to append to that file (later keys add to or replace earlier ones):
// an icon of `kind` (1 a program, 3 a document or folder, 11 the theme dialog) ...
QString e2eIconEntry(int number, const QString &name, const QString &target, int kind, int isDefault);
// ... the icons tab `tab` (from 1) shows, as "1.2.3" ...
QString e2eTabIcons(int tab, const QString &icons);
// ... a value of the System key ...
QString e2eSystemValue(const QString &name, const QString &value);
// ... and the shipped themes "Light" (current) and "Dark" in place of the plain one, with
// their page pictures for both tabs.
QString e2eThemes();
