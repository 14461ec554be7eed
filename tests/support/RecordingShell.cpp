#include "RecordingShell.h"

#include "platform/Platform.h"

RecordingShell::RecordingShell()
    : previous(&platform::shell())
{
    platform::useShell(this);
}

RecordingShell::~RecordingShell()
{
    platform::useShell(previous);
}

bool RecordingShell::startDetached(const std::u16string &program, const std::vector<std::u16string> &arguments,
                                   const std::u16string &workingDirectory)
{
    Start start{QString::fromStdU16String(program), {}, QString::fromStdU16String(workingDirectory)};
    for (const std::u16string &argument : arguments)
        start.arguments.append(QString::fromStdU16String(argument));
    starts.append(start);
    return !fail;
}

bool RecordingShell::shellOpen(const std::u16string &file, const std::u16string &directory)
{
    opens.append({QString::fromStdU16String(file), QString::fromStdU16String(directory)});
    return !fail;
}

bool RecordingShell::startTaskManager()
{
    ++taskManagerStarts;
    return !fail;
}

platform::DesktopEntry RecordingShell::readDesktopEntry(const std::u16string &path, const std::u16string &locale)
{
    return previous->readDesktopEntry(path, locale);
}
