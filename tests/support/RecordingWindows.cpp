#include "RecordingWindows.h"

#include "platform/Platform.h"

#include <QTimer>

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
    const platform::WindowHandle handle = ++lastHandle;
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

// As on the bus, a window of this program is told with WM_SHOWWINDOW (wParam 0 for SW_HIDE).
bool RecordingWindows::showWindow(platform::WindowHandle window, int command)
{
    shows.append({window, command});
    if (handlers.contains(window)) {
        const platform::WindowMessage shown{window, platform::kWmShowWindow, command == 0 ? 0u : 1u, 0};
        QTimer::singleShot(0, &posts, [this, shown] { deliver(shown); });
        return true;
    }
    return window != platform::kNoWindow && windows.key(window, {}) != QPair<QString, QString>();
}

bool RecordingWindows::deliver(const platform::WindowMessage &message)
{
    const auto handler = handlers.constFind(message.window);
    if (handler == handlers.constEnd())
        return false;
    if (filter && filter(message))
        return true;
    if (*handler)
        (*handler)(message);
    return true;
}

bool RecordingWindows::postMessage(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                                   std::intptr_t lParam)
{
    const platform::WindowMessage posted{window, message, wParam, lParam};
    messages.append(posted);
    if (!handlers.contains(window))
        return window != platform::kNoWindow && windows.key(window, {}) != QPair<QString, QString>();
    QTimer::singleShot(0, &posts, [this, posted] { deliver(posted); });
    return true;
}

bool RecordingWindows::sendMessage(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                                   std::intptr_t lParam, unsigned)
{
    const platform::WindowMessage sent{window, message, wParam, lParam};
    messages.append(sent);
    return deliver(sent);
}

unsigned RecordingWindows::registerWindowMessage(const std::u16string &name)
{
    return 0xC000u + unsigned(qHash(QString::fromStdU16String(name).toCaseFolded()) % 0x4000u);
}

bool RecordingWindows::setForegroundWindow(platform::WindowHandle window)
{
    foregrounds.append(window);
    return true;
}

platform::WindowHandle RecordingWindows::registerWindow(const std::u16string &className, const std::u16string &title,
                                                        std::uintptr_t, platform::MessageHandler handler)
{
    const platform::WindowHandle handle =
        addWindow(QString::fromStdU16String(className), QString::fromStdU16String(title));
    handlers.insert(handle, std::move(handler));
    return handle;
}

void RecordingWindows::unregisterWindow(platform::WindowHandle window)
{
    handlers.remove(window);
    for (auto it = windows.begin(); it != windows.end(); ++it) {
        if (it.value() == window) {
            windows.erase(it);
            break;
        }
    }
}

void RecordingWindows::setMessageFilter(platform::MessageHandler messageFilter)
{
    filter = std::move(messageFilter);
}
