#pragma once

#include <QStringList>

// The maintenance switches an installer uses. Each looks only at the last argument and
// compares it exactly. A handled switch answers true and sets the exit code to return.

// "--installRegister": imports "./" + languageCode + ".reg" from the current directory.
bool handleInstallRegisterSwitch(const QStringList &arguments, int *exitCode);
// "--exportRegister": writes the current language's settings tree to standard output as a
// registry file that "--installRegister" reads back to the same values.
bool handleExportRegisterSwitch(const QStringList &arguments, int *exitCode);

// A switch that needs no window system: the process then runs without a GUI application.
bool isConsoleSwitch(const char *lastArgument);

constexpr int kExitSwitchFailed = 2;
