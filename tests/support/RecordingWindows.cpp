#include "RecordingWindows.h"

#include "platform/Platform.h"

RecordingWindows::RecordingWindows()
    : previous(&platform::windows())
{
    platform::useWindows(this);
}

RecordingWindows::~RecordingWindows()
{
    platform::useWindows(previous);
}

platform::WindowHandle RecordingWindows::addWindow(const QString &className, const QString &title)
{
    const platform::WindowHandle handle = platform::WindowHandle(windows.size() + 1);
    windows.insert({className.toCaseFolded(), title.toCaseFolded()}, handle);
    return handle;
}

platform::WindowHandle RecordingWindows::findWindow(const std::u16string &className, const std::u16string &title)
{
    const QString name = QString::fromStdU16String(className);
    const QString caption = QString::fromStdU16String(title);
    finds.append({name, caption});
    return windows.value({name.toCaseFolded(), caption.toCaseFolded()}, platform::kNoWindow);
}

bool RecordingWindows::showWindow(platform::WindowHandle window, int command)
{
    shows.append({window, command});
    return window != platform::kNoWindow && window <= platform::WindowHandle(windows.size());
}
