#pragma once

#include <QString>

// Key paths of the current language's settings tree, relative to HKEY_LOCAL_MACHINE.
extern QString registryBasePath;
extern QString systemKeyPath;
extern QString tabKeyPath;
extern QString iconKeyPath;
extern QString themeKeyPath;

// Builds the paths above from languageCode; start-up calls it once, before loading.
void initRegistryPaths();

// The key that holds the tree of every language: Lumbra's settings and nothing else.
QString settingsRootPath();

// Subkeys of the lists are numbered from 1: 01 ... 99, then 100, 101 ...
QString tabSubKeyPath(int tab);
QString iconSubKeyPath(int icon);
QString themeSubKeyPath(int theme);
QString themeImageSubKeyPath(int theme, int image);
