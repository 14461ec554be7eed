#pragma once

class QString;

// One line on the standard error stream. The stream is unbuffered, so the line is out at once:
// it survives a crash and interleaves correctly with other processes on the same terminal.
void printDiagnostic(const QString &line);
void printDiagnostic(const char *line);
