#pragma once

#include <QStringList>

// The maintenance switches an installer uses. Each looks only at the last argument and
// compares it exactly. A handled switch answers true and sets the exit code to return.
// `arguments` is the command line as given, program name first: GUI options such as
// "-reverse" count as arguments too, so that a switch followed by one is not the last.

// "--installRegister": imports "./" + languageCode + ".reg" from the current directory, into
// Lumbra's settings only (RegFileImporter::limitToSettings).
bool handleInstallRegisterSwitch(const QStringList &arguments, int *exitCode);
// "--exportRegister": writes the current language's settings tree to standard output as a
// registry file that "--installRegister" reads back to the same values: UTF-16 with CRLF, as
// Windows writes such a file, or followed by "--utf8" UTF-8 with LF. Exit
// code kExitNoSettings when the store holds no tree for the language.
bool handleExportRegisterSwitch(const QStringList &arguments, int *exitCode);

// A switch that needs no window system: the process then runs without a GUI application.
bool isConsoleSwitch(const QStringList &arguments);

// The command line as main() received it, for the switches above.
QStringList commandLineArguments(int argc, char **argv);

constexpr int kExitSwitchFailed = 2;
// Only from "--exportRegister": the store could be read and has no tree for the language, so
// that a start script installs the factory settings then and only then.
constexpr int kExitNoSettings = 3;
