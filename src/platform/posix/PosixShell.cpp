#include "PosixShell.h"

#include <QProcess>
#include <QStringList>

namespace platform {

// First version; the POSIX backend proper replaces it.
bool PosixShell::startDetached(const std::u16string &program, const std::vector<std::u16string> &arguments,
                               const std::u16string &workingDirectory)
{
    QStringList list;
    for (const std::u16string &argument : arguments)
        list.append(QString::fromStdU16String(argument));
    return QProcess::startDetached(QString::fromStdU16String(program), list,
                                   QString::fromStdU16String(workingDirectory));
}

bool PosixShell::shellOpen(const std::u16string &, const std::u16string &)
{
    return false;
}

bool PosixShell::startTaskManager()
{
    return false;
}

} // namespace platform
