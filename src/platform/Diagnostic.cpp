#include "platform/Diagnostic.h"

#include <QString>

#include <cstdio>

void printDiagnostic(const QString &line)
{
    printDiagnostic(line.toLocal8Bit().constData());
}

void printDiagnostic(const char *line)
{
    std::fputs(line, stderr);
    std::fputc('\n', stderr);
}
