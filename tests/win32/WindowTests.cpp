// Windows of another process found by class and title, messages between two processes in
// both directions, the native messages of a registered window, and the named mutex.

#include "Runner.h"

#include "WindowCases.h"
#include "platform/win32/Win32InstanceLock.h"
#include "platform/win32/Win32WindowMessages.h"

#include <algorithm>
#include <memory>

namespace runner {

namespace {

using namespace platform;

constexpr unsigned kSwallowed = kWmUser + 9;
constexpr unsigned kStop = kWmUser + 99;

std::string line(const char *who, const WindowMessage &message)
{
    return std::string(who) + " " + std::to_string(message.message) + " " + std::to_string(message.wParam) + " "
        + std::to_string(message.lParam) + "\n";
}

void appendLine(const std::u16string &log, const std::string &text)
{
    HANDLE file = CreateFileW(wide(log), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Two windows, as a running launcher has them: the launcher and the shut-down dialog. The
// filter keeps kSwallowed; WM_CLOSE to the launcher ends the child. The handles go to the
// ready file once both are findable; with "hung" the child then stops taking messages.
int windowsChild(const std::vector<std::u16string> &arguments)
{
    const std::u16string log = arguments.at(0);
    const bool hung = arguments.size() > 1 && arguments[1] == u"hung";
    Win32WindowMessages windows;
    bool running = true;
    windows.setMessageFilter([&](const WindowMessage &message) {
        appendLine(log, line("filter", message));
        return message.message == kSwallowed;
    });
    const WindowHandle launcher = windows.registerWindow(u"QWidget", u"Lumbra", 0, [&](const WindowMessage &message) {
        appendLine(log, line("launcher", message));
        if (message.message == kWmClose)
            running = false;
        return false;
    });
    const WindowHandle shutDown = windows.registerWindow(u"QWidget", u"Lumbra Shut Down App", 0,
                                                         [&](const WindowMessage &message) {
                                                             appendLine(log, line("shutdown", message));
                                                             return false;
                                                         });
    if (launcher == kNoWindow || shutDown == kNoWindow)
        return 1;
    writeFile(log + u".ready", std::to_string(launcher) + " " + std::to_string(shutDown));
    if (hung)
        Sleep(INFINITE);
    MSG message;
    while (running && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

// The other process with its two windows, for as long as the object lives.
struct WindowsProcess
{
    explicit WindowsProcess(const std::string &name, bool hung = false)
        : log(temporaryFolder() + utf16("windows " + name + ".log"))
        , child(childArguments("windows", hung ? std::vector<std::u16string>{log, u"hung"}
                                               : std::vector<std::u16string>{log}))
    {
        const std::u16string ready = log + u".ready";
        if (waitFor([&] { return !readFile(ready).empty(); })) {
            const std::string handles = readFile(ready);
            launcher = std::stoull(handles);
            shutDown = std::stoull(handles.substr(handles.find(' ')));
        }
    }

    std::u16string log;
    Child child;
    WindowHandle launcher = kNoWindow;
    WindowHandle shutDown = kNoWindow;
};

std::unique_ptr<WindowsProcess> &sharedProcess()
{
    static std::unique_ptr<WindowsProcess> process;
    return process;
}

std::string findsWindowsOfAnotherProcess(const contract::FindWindowCase &row)
{
    if (!sharedProcess())
        sharedProcess() = std::make_unique<WindowsProcess>("find");
    const WindowsProcess &other = *sharedProcess();
    EXPECT(other.launcher != kNoWindow && other.shutDown != kNoWindow);
    EXPECT(other.launcher != other.shutDown);
    const WindowHandle found = Win32WindowMessages().findWindow(row.className, row.title);
    const std::string expected = row.expected;
    if (expected == "launcher")
        EXPECT_EQ(found, other.launcher);
    else if (expected == "shutdown")
        EXPECT_EQ(found, other.shutDown);
    else if (expected == "either")
        EXPECT(found == other.launcher || found == other.shutDown);
    else
        EXPECT_EQ(found, kNoWindow);
    return std::string();
}

std::string endSharedProcess()
{
    if (!sharedProcess())
        return skip("no windows were started");
    Win32WindowMessages().postMessage(sharedProcess()->launcher, kWmClose, 0, 0);
    EXPECT_EQ(sharedProcess()->child.wait(), 0);
    sharedProcess().reset();
    return std::string();
}

std::string withoutActivation(const std::string &log)
{
    std::string kept;
    std::size_t at = 0;
    while (at < log.size()) {
        const std::size_t end = std::min(log.find('\n', at), log.size() - 1) + 1;
        const std::string text = log.substr(at, end - at);
        if (text.find(' ') != text.find(" 6 "))
            kept += text;
        at = end;
    }
    return kept;
}

// Posted and sent messages reach the filter, then the handler; what the filter keeps goes
// no further; WM_CLOSE is the last, and ends the child. A message sent from another thread
// is handled before the posted ones still queued (GetMessage delivers sent messages first,
// "About Messages and Message Queues"), so the sends here wait until the posts were taken.
// A window shown from outside may be activated too (WM_ACTIVATE), as focus rules allow;
// those lines are left out.
std::string messagesGoBothWays()
{
    WindowsProcess other("round trip");
    EXPECT(other.launcher != kNoWindow);
    Win32WindowMessages windows;
    const WindowHandle found = windows.findWindow(u"QWidget", u"Lumbra");
    EXPECT_EQ(found, other.launcher);
    EXPECT(windows.sendMessage(found, kWmUser + 1, 0, 0, 10000));
    EXPECT(windows.postMessage(found, kWmUser + 5, 7, -3));
    EXPECT(windows.postMessage(found, kSwallowed, 1, 2));
    EXPECT(waitFor([&] { return readFile(other.log).find("filter 1033") != std::string::npos; }));
    EXPECT(windows.sendMessage(other.shutDown, kWmUser + 2, 4, 5, 10000));
    // Shown from outside, the hidden window tells its handler and stays hidden itself.
    EXPECT(windows.showWindow(other.shutDown, kSwShowNormal));
    EXPECT(!IsWindowVisible(reinterpret_cast<HWND>(other.shutDown)));
    EXPECT(windows.postMessage(found, kWmClose, 0, 0));
    EXPECT_EQ(other.child.wait(), 0);
    EXPECT_EQ(withoutActivation(readFile(other.log)), std::string("filter 1025 0 0\nlauncher 1025 0 0\n"
                                                                  "filter 1029 7 -3\nlauncher 1029 7 -3\n"
                                                                  "filter 1033 1 2\n"
                                                                  "filter 1026 4 5\nshutdown 1026 4 5\n"
                                                                  "filter 24 1 0\nshutdown 24 1 0\n"
                                                                  "filter 16 0 0\nlauncher 16 0 0\n"));
    EXPECT(!IsWindow(reinterpret_cast<HWND>(found)));
    return std::string();
}

// A window that takes no messages holds a sender up no longer than its limit.
std::string aHungWindowNeverHangsTheSender()
{
    WindowsProcess other("hung", true);
    EXPECT(other.launcher != kNoWindow);
    EXPECT(!Win32WindowMessages().sendMessage(other.launcher, kWmUser + 1, 0, 0, 500));
    return std::string();
}

std::string nothingGoesToNoWindow(WindowHandle window)
{
    Win32WindowMessages windows;
    EXPECT(!windows.postMessage(window, kStop, 0, 0));
    EXPECT(!windows.sendMessage(window, kStop, 0, 0, 100));
    EXPECT(!windows.showWindow(window, kSwShowNormal));
    MSG queued;
    EXPECT(!PeekMessageW(&queued, nullptr, kStop, kStop, PM_REMOVE));
    return std::string();
}

std::string messageNumbersAgree(const contract::MessageNameCase &row)
{
    const unsigned number = Win32WindowMessages().registerWindowMessage(row.sameAs);
    EXPECT(number >= 0xC000u && number <= 0xFFFFu);
    EXPECT_EQ(runChild(childArguments("message", {row.registered})), int(number));
    return std::string();
}

int messageChild(const std::vector<std::u16string> &arguments)
{
    return int(Win32WindowMessages().registerWindowMessage(arguments.at(0)));
}

LRESULT CALLBACK plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

// A native window as Qt makes it, of a class of its own.
HWND nativeWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = plainProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LumbraTestsNative";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"LumbraTestsNative", L"Lumbra", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// What a Qt native event filter hands over reaches the filter, then the handler of the
// registered window the native window stands behind, as a message for its handle.
std::string nativeMessagesReachTheHandlers()
{
    HWND native = nativeWindow();
    EXPECT(native != nullptr);
    const auto nativeId = reinterpret_cast<std::uintptr_t>(native);
    std::string seen;
    Win32WindowMessages windows;
    windows.setMessageFilter([&](const WindowMessage &message) {
        seen += line("filter", message);
        return message.message == kWmKeyUp;
    });
    const WindowHandle registered =
        windows.registerWindow(u"QWidget", u"Lumbra Native Test", nativeId, [&](const WindowMessage &message) {
            seen += line(message.window == 0 ? "handler?" : "handler", message);
            return message.message == kWmDisplayChange;
        });
    EXPECT(registered != kNoWindow && registered != nativeId);
    EXPECT(!dispatchNativeMessage(nativeId, kWmKeyDown, kVkTab, 0));
    EXPECT(dispatchNativeMessage(nativeId, kWmKeyUp, kVkShift, 0));
    EXPECT(dispatchNativeMessage(nativeId, kWmDisplayChange, 32, 0x03000400));
    // The hidden window's own messages reach it by its procedure, never twice.
    EXPECT(!dispatchNativeMessage(registered, kWmUser + 1, 0, 0));
    EXPECT(!dispatchNativeMessage(reinterpret_cast<std::uintptr_t>(GetDesktopWindow()), kWmKeyDown, 0, 0));
    // In this process a send calls the window at once.
    EXPECT(windows.sendMessage(registered, kWmUser + 1, 0, 0, 1000));
    windows.unregisterWindow(registered);
    EXPECT(!dispatchNativeMessage(nativeId, kWmKeyDown, kVkTab, 0));
    EXPECT(!IsWindow(reinterpret_cast<HWND>(registered)));
    DestroyWindow(native);
    EXPECT_EQ(seen, std::string("filter 256 9 0\nhandler 256 9 0\n"
                                "filter 257 16 0\n"
                                "filter 126 32 50332672\nhandler 126 32 50332672\n"
                                "filter 1025 0 0\nhandler 1025 0 0\n"));
    return std::string();
}

// A handler may take its own window away while it runs.
std::string aHandlerMayUnregisterItsWindow()
{
    Win32WindowMessages windows;
    WindowHandle window = kNoWindow;
    int calls = 0;
    window = windows.registerWindow(u"QWidget", u"Lumbra Going", 0, [&](const WindowMessage &) {
        ++calls;
        windows.unregisterWindow(window);
        return true;
    });
    EXPECT(windows.sendMessage(window, kWmUser + 1, 0, 0, 1000));
    EXPECT(!windows.sendMessage(window, kWmUser + 1, 0, 0, 1000));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(windows.findWindow(u"QWidget", u"Lumbra Going"), kNoWindow);
    return std::string();
}

// Exit codes of a child that creates the mutex: 0 first, 1 already there, 2 none.
int mutexChild(const std::vector<std::u16string> &arguments)
{
    Win32InstanceLock lock;
    bool exists = false;
    const MutexHandle mutex = lock.createMutex(arguments.at(0), &exists);
    if (mutex == kNoMutex)
        return 2;
    if (arguments.size() > 1)
        Sleep(INFINITE);
    return exists ? 1 : 0;
}

int mutexIn(const std::u16string &name)
{
    return runChild(childArguments("mutex", {name}));
}

std::string mutexIsHeldUntilClosed(const std::u16string &name)
{
    Win32InstanceLock lock;
    bool exists = true;
    const MutexHandle mutex = lock.createMutex(name, &exists);
    EXPECT(mutex != kNoMutex);
    EXPECT(!exists);
    EXPECT(lock.mutexHeld(name));
    EXPECT_EQ(mutexIn(name), 1);
    // A second handle in the same process does not own it, and leaves it held when closed.
    const MutexHandle second = lock.createMutex(name, &exists);
    EXPECT(second != kNoMutex && exists);
    lock.closeMutex(second);
    EXPECT_EQ(mutexIn(name), 1);
    lock.closeMutex(mutex);
    EXPECT(!lock.mutexHeld(name));
    EXPECT_EQ(mutexIn(name), 0);
    return std::string();
}

std::string mutexOfADeadHolderIsFree()
{
    const std::u16string name = u"lumbra-tests-dead-holder";
    Child holder(childArguments("mutex", {name, u"hold"}));
    Win32InstanceLock lock;
    EXPECT(waitFor([&] { return lock.mutexHeld(name); }));
    EXPECT_EQ(mutexIn(name), 1);
    holder.kill();
    EXPECT(!lock.mutexHeld(name));
    EXPECT_EQ(mutexIn(name), 0);
    return std::string();
}

std::string unnamedMutexesAreNeverShared()
{
    Win32InstanceLock lock;
    bool exists = true;
    const MutexHandle mutex = lock.createMutex(u"", &exists);
    EXPECT(mutex != kNoMutex && !exists);
    EXPECT(!lock.mutexHeld(u""));
    EXPECT_EQ(mutexIn(u""), 0);
    lock.closeMutex(mutex);
    // Handles it never gave out are left alone: one could be another part's handle.
    lock.closeMutex(reinterpret_cast<MutexHandle>(GetCurrentProcess()));
    lock.closeMutex(kNoMutex);
    return std::string();
}

} // namespace

void addWindowTests()
{
    for (const contract::FindWindowCase &row : contract::kFindWindowCases)
        add(std::string("windows: find ") + row.name, [row] { return findsWindowsOfAnotherProcess(row); });
    add("windows: the other process ends on WM_CLOSE", endSharedProcess);
    add("windows: messages go both ways between two processes", messagesGoBothWays);
    add("windows: a hung window never hangs the sender", aHungWindowNeverHangsTheSender);
    add("windows: nothing goes to no window", [] { return nothingGoesToNoWindow(kNoWindow); });
    add("windows: nothing goes to every window", [] { return nothingGoesToNoWindow(0xffff); });
    for (const contract::MessageNameCase &row : contract::kMessageNameCases)
        add(std::string("windows: message numbers agree: ") + row.name, [row] { return messageNumbersAgree(row); });
    add("windows: native messages reach the filter, then the handler", nativeMessagesReachTheHandlers);
    add("windows: a handler may unregister its own window", aHandlerMayUnregisterItsWindow);
    const struct
    {
        const char *name;
        std::u16string mutex;
    } names[] = {{"the instance name", u"{d6044399-0b9e-4084-a9ac-c4b7c7800fcf}"},
                 {"beyond ASCII", u"\u00dcn\u00efcode \u2713"},
                 {"long", std::u16string(300, u'x')},
                 {"in the session's namespace", u"Local\\lumbra-tests"}};
    for (const auto &row : names)
        add(std::string("mutex: held until closed: ") + row.name, [name = row.mutex] { return mutexIsHeldUntilClosed(name); });
    add("mutex: a dead holder's mutex is free", mutexOfADeadHolderIsFree);
    add("mutex: unnamed mutexes are never shared", unnamedMutexesAreNeverShared);
    addRole("windows", windowsChild);
    addRole("message", messageChild);
    addRole("mutex", mutexChild);
}

} // namespace runner
