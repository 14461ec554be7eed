#pragma once

class QString;

// One line on the standard error stream, flushed at once so that it survives a crash and
// interleaves correctly with other processes writing to the same terminal.
void printDiagnostic(const QString &line);
void printDiagnostic(const char *line);
