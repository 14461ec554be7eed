#include "Win32WindowMessages.h"

#include "Win32Text.h"

#include <windows.h>

namespace platform {

namespace {

struct Route
{
    Win32WindowMessages *owner = nullptr;
    WindowHandle window = kNoWindow;
};

// Every registered window of the process by the HWNDs its messages arrive at: its own
// hidden window and the native window it stands for.
std::map<std::uintptr_t, Route> &routes()
{
    static std::map<std::uintptr_t, Route> table;
    return table;
}

bool routeMessage(std::uintptr_t hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    const auto found = routes().find(hwnd);
    if (found == routes().end())
        return false;
    const Route route = found->second;
    return route.owner->dispatch(WindowMessage{route.window, message, wParam, lParam});
}

// What reaches a hidden window is meant for the program: messages of other programs and
// the user's range. Broadcasts such as WM_DISPLAYCHANGE reach the native window anyway,
// and are passed on here only for a window that has none.
bool forwarded(unsigned message, bool hasNativeWindow)
{
    switch (message) {
    case WM_CLOSE:
    case WM_SHOWWINDOW:
    case WM_ACTIVATE:
    case WM_KEYDOWN:
    case WM_KEYUP:
        return true;
    case WM_DISPLAYCHANGE:
        return !hasNativeWindow;
    default:
        return message >= WM_USER;
    }
}

bool hasNativeWindow(HWND hidden)
{
    const auto found = routes().find(reinterpret_cast<std::uintptr_t>(hidden));
    if (found == routes().end())
        return false;
    for (const auto &entry : routes()) {
        if (entry.second.window == found->second.window && entry.first != found->first)
            return true;
    }
    return false;
}

LRESULT CALLBACK hiddenWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGING) {
        // Shown from outside, it stays invisible: WM_SHOWWINDOW has told the handler.
        reinterpret_cast<WINDOWPOS *>(lParam)->flags &= ~UINT(SWP_SHOWWINDOW);
        return 0;
    }
    if (forwarded(message, hasNativeWindow(window))
        && routeMessage(reinterpret_cast<std::uintptr_t>(window), message, wParam, lParam))
        return 0;
    if (message == WM_CLOSE)
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

// The class is registered once per process; a class of that name that another part of the
// program registered with its own procedure cannot serve.
bool classReady(const std::u16string &className)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, wide(className), &existing))
        return existing.lpfnWndProc == hiddenWindowProcedure;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = hiddenWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = wide(className);
    return RegisterClassExW(&windowClass) != 0;
}

void reportUnfindable(const std::u16string &title, const std::string &reason)
{
    reportLine("lumbra: other launchers cannot find the window \"" + utf8(title) + "\": " + reason);
}

HWND hwndOf(WindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

} // namespace

Win32WindowMessages::~Win32WindowMessages()
{
    while (!windows.empty())
        unregisterWindow(windows.begin()->first);
}

WindowHandle Win32WindowMessages::findWindow(const std::u16string &className, const std::u16string &title)
{
    if (holdsNul(className) || holdsNul(title))
        return kNoWindow;
    return reinterpret_cast<WindowHandle>(FindWindowW(wideOrNull(className), wideOrNull(title)));
}

bool Win32WindowMessages::showWindow(WindowHandle window, int command)
{
    if (!IsWindow(hwndOf(window)))
        return false;
    ShowWindow(hwndOf(window), command);
    return true;
}

// A null or broadcast handle is no window: PostMessageW would queue the message to this
// thread, or post it to every top-level window of the desktop.
bool Win32WindowMessages::postMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam)
{
    if (!IsWindow(hwndOf(window)))
        return false;
    return PostMessageW(hwndOf(window), message, wParam, lParam) != 0;
}

bool Win32WindowMessages::sendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam, unsigned timeoutMs)
{
    if (!IsWindow(hwndOf(window)))
        return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwndOf(window), message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

unsigned Win32WindowMessages::registerWindowMessage(const std::u16string &name)
{
    if (name.empty() || holdsNul(name))
        return 0;
    return RegisterWindowMessageW(wide(name));
}

bool Win32WindowMessages::setForegroundWindow(WindowHandle window)
{
    return SetForegroundWindow(hwndOf(window)) != 0;
}

WindowHandle Win32WindowMessages::registerWindow(const std::u16string &className, const std::u16string &title,
                                                 std::uintptr_t nativeId, MessageHandler handler)
{
    if (className.empty() || holdsNul(className) || holdsNul(title)) {
        reportUnfindable(title, "its class name is not usable");
        return kNoWindow;
    }
    if (!classReady(className)) {
        reportUnfindable(title, "the window class cannot be registered: " + errorText(GetLastError()));
        return kNoWindow;
    }
    HWND hidden = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wide(className), wide(title), WS_POPUP, 0, 0,
                                  0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hidden) {
        reportUnfindable(title, errorText(GetLastError()));
        return kNoWindow;
    }
    const auto window = reinterpret_cast<WindowHandle>(hidden);
    windows[window] = Window{std::move(handler), nativeId};
    routes()[window] = Route{this, window};
    if (nativeId != 0)
        routes()[nativeId] = Route{this, window};
    return window;
}

// A handler may take its own window away while it runs: dispatch holds copies.
void Win32WindowMessages::unregisterWindow(WindowHandle window)
{
    const auto found = windows.find(window);
    if (found == windows.end())
        return;
    const std::uintptr_t nativeId = found->second.nativeId;
    windows.erase(found);
    routes().erase(window);
    const auto native = routes().find(nativeId);
    if (nativeId != 0 && native != routes().end() && native->second.window == window)
        routes().erase(native);
    DestroyWindow(hwndOf(window));
}

void Win32WindowMessages::setMessageFilter(MessageHandler messageFilter)
{
    filter = std::move(messageFilter);
}

bool Win32WindowMessages::dispatch(const WindowMessage &message)
{
    const MessageHandler applicationFilter = filter;
    if (applicationFilter && applicationFilter(message))
        return true;
    const auto window = windows.find(message.window);
    if (window == windows.end())
        return false;
    const MessageHandler handler = window->second.handler;
    return handler && handler(message);
}

bool dispatchNativeMessage(std::uintptr_t hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    // The hidden windows' messages reach their procedure by themselves; Qt's filter sees
    // them too, and must not deliver them twice.
    const auto found = routes().find(hwnd);
    if (found == routes().end() || found->second.window == hwnd)
        return false;
    return routeMessage(hwnd, message, wParam, lParam);
}

} // namespace platform
