#include "PosixWindowMessages.h"

#include "platform/CodeUnits.h"

#include "BusDirectory.h"
#include "BusFrame.h"
#include "BusListener.h"
#include "BusSocket.h"
#include "RuntimeFolder.h"
#include "RuntimeFolderWatch.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include <unistd.h>

namespace platform {

namespace {

static_assert(sizeof(WindowHandle) >= 8, "a handle holds a process id and a window number");

constexpr int kSwHide = 0;
constexpr std::uintptr_t kWaActive = 1;
// Handles leave their lowest bit free: callers may set it, as SetForegroundWindow's callers
// do on Windows, and it is ignored.
constexpr unsigned kNumberBits = 23;
constexpr int kProcessShift = 24;
constexpr std::chrono::milliseconds kBusyRetryPause(5);
// A live launcher answers a look-up from its event loop at once; one that has not answered
// in this time is passed over while another answers.
constexpr std::chrono::milliseconds kLookUpAnswer(500);

WindowHandle withoutFlags(WindowHandle window)
{
    return window & ~WindowHandle(1);
}

WindowHandle makeHandle(unsigned number)
{
    return WindowHandle(std::uint64_t(::getpid()) << kProcessShift | std::uint64_t(number) << 1);
}

bool sameName(const std::u16string &wanted, const std::u16string &name)
{
    return wanted.empty()
        || fromCodeUnits(wanted).toCaseFolded() == fromCodeUnits(name).toCaseFolded();
}

// FNV-1a: stable across processes and builds, unlike qHash with its per-process seed.
std::uint32_t stableHash(const QByteArray &bytes)
{
    std::uint32_t hash = 2166136261u;
    for (const char byte : bytes) {
        hash ^= std::uint8_t(byte);
        hash *= 16777619u;
    }
    return hash;
}

void reportUnfindable(const std::u16string &title, const char *reason)
{
    std::fprintf(stderr, "lumbra: other launchers cannot find the window \"%s\": %s\n",
                 fromCodeUnits(title).toLocal8Bit().constData(), reason);
}

// What a connection attempt says about an endpoint.
enum class Reach { Connected, Busy, Gone, Unreachable };

Reach reachOf(int result)
{
    if (result >= 0)
        return Reach::Connected;
    if (result == -EAGAIN)
        return Reach::Busy;
    if (result == -ECONNREFUSED || result == -ENOENT)
        return Reach::Gone;
    return Reach::Unreachable;
}

// A connection to a window of this user; -1 when there is none. A window whose process is
// gone is taken off the bus on the way. A full queue is tried again until `deadline`.
int connectToWindow(const BusDirectory &directory, WindowHandle window,
                    std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const int fd = connectTo(directory.folder(), BusDirectory::socketName(window));
        const Reach reach = reachOf(fd);
        if (reach == Reach::Connected) {
            if (peerIsCurrentUser(fd, nullptr))
                return fd;
            ::close(fd);
            return -1;
        }
        if (reach == Reach::Gone)
            directory.remove(window);
        if (reach != Reach::Busy || std::chrono::steady_clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(kBusyRetryPause);
    }
}

// What a look-up frame finds at a window's endpoint.
enum class Probe { Answered, Silent, Gone, Unreachable };

Probe probe(const BusDirectory &directory, WindowHandle window)
{
    const int fd = connectTo(directory.folder(), BusDirectory::socketName(window));
    const Reach reach = reachOf(fd);
    if (reach != Reach::Connected)
        return reach == Reach::Busy ? Probe::Silent : reach == Reach::Gone ? Probe::Gone : Probe::Unreachable;
    if (!peerIsCurrentUser(fd, nullptr)) {
        ::close(fd);
        return Probe::Unreachable;
    }
    const BusFrame::Bytes bytes = BusFrame{BusFrame::Kind::LookUp, 0, 0, 0}.encode();
    unsigned char answer = 0;
    const bool answered = sendAll(fd, bytes.data(), bytes.size())
        && receiveByte(fd, std::chrono::steady_clock::now() + kLookUpAnswer, &answer);
    ::close(fd);
    return answered ? Probe::Answered : Probe::Silent;
}

bool isApplicationThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

} // namespace

struct PosixWindowMessages::Window
{
    MessageHandler handler;
    std::unique_ptr<BusListener> listener;
    std::u16string title;
    // Whether a failure to put it back has been reported; cleared once it is back.
    bool reported = false;
};

PosixWindowMessages::PosixWindowMessages() = default;

PosixWindowMessages::~PosixWindowMessages() = default;

WindowHandle PosixWindowMessages::findWindow(const std::u16string &className, const std::u16string &title)
{
    const std::string folder = preparedRuntimeFolder();
    if (folder.empty())
        return kNoWindow;
    const BusDirectory directory(folder);
    std::vector<WindowHandle> others;
    for (const BusDirectory::Entry &entry : directory.entries()) {
        if (!sameName(className, entry.className) || !sameName(title, entry.title))
            continue;
        if (windows.count(entry.window))
            return entry.window;
        others.push_back(entry.window);
    }
    WindowHandle silent = kNoWindow;
    for (const WindowHandle window : others) {
        switch (probe(directory, window)) {
        case Probe::Answered:
            return window;
        case Probe::Silent:
            if (silent == kNoWindow)
                silent = window;
            break;
        case Probe::Gone:
            directory.remove(window);
            break;
        case Probe::Unreachable:
            break;
        }
    }
    return silent;
}

bool PosixWindowMessages::showWindow(WindowHandle window, int command)
{
    return postMessage(window, kWmShowWindow, command == kSwHide ? 0 : 1, 0);
}

bool PosixWindowMessages::postMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam)
{
    window = withoutFlags(window);
    const std::string folder = preparedRuntimeFolder();
    if (window == kNoWindow || folder.empty())
        return false;
    const int fd = connectToWindow(BusDirectory(folder), window, std::chrono::steady_clock::now());
    if (fd < 0)
        return false;
    const BusFrame::Bytes bytes = BusFrame{BusFrame::Kind::Post, message, wParam, lParam}.encode();
    const bool sent = sendAll(fd, bytes.data(), bytes.size());
    ::close(fd);
    return sent;
}

bool PosixWindowMessages::sendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam, unsigned timeoutMs)
{
    window = withoutFlags(window);
    // The GUI thread would wait for itself.
    if (windows.count(window)) {
        dispatch(WindowMessage{window, message, wParam, lParam});
        return true;
    }
    const std::string folder = preparedRuntimeFolder();
    if (window == kNoWindow || folder.empty())
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const int fd = connectToWindow(BusDirectory(folder), window, deadline);
    if (fd < 0)
        return false;
    const BusFrame::Bytes bytes = BusFrame{BusFrame::Kind::Send, message, wParam, lParam}.encode();
    unsigned char answer = 0;
    const bool handled = sendAll(fd, bytes.data(), bytes.size()) && receiveByte(fd, deadline, &answer);
    ::close(fd);
    return handled;
}

unsigned PosixWindowMessages::registerWindowMessage(const std::u16string &name)
{
    if (name.empty())
        return 0;
    const QByteArray folded = fromCodeUnits(name).toCaseFolded().toUtf8();
    return 0xC000u + stableHash(folded) % 0x4000u;
}

bool PosixWindowMessages::setForegroundWindow(WindowHandle window)
{
    return postMessage(window, kWmActivate, kWaActive, 0);
}

// Ids hold the process id, so they are unique among running processes, unless processes in
// different process namespaces share the folder: an id whose socket answers is skipped.
WindowHandle PosixWindowMessages::freeHandle(const std::string &folder)
{
    for (unsigned tries = 0; tries < 1000; ++tries) {
        lastNumber = lastNumber % ((1u << kNumberBits) - 1) + 1;
        const WindowHandle window = makeHandle(lastNumber);
        if (windows.count(window))
            continue;
        const int fd = connectTo(folder, BusDirectory::socketName(window));
        if (fd >= 0)
            ::close(fd);
        if (reachOf(fd) != Reach::Connected && reachOf(fd) != Reach::Busy)
            return window;
    }
    return kNoWindow;
}

WindowHandle PosixWindowMessages::registerWindow(const std::u16string &className, const std::u16string &title,
                                                 std::uintptr_t, MessageHandler handler)
{
    if (!isApplicationThread()) {
        reportUnfindable(title, "it was not registered from the application's event loop");
        return kNoWindow;
    }
    const std::string folder = preparedRuntimeFolder();
    if (folder.empty())
        return kNoWindow;
    const WindowHandle window = freeHandle(folder);
    if (window == kNoWindow) {
        reportUnfindable(title, "every window number is taken");
        return kNoWindow;
    }
    int error = 0;
    auto listener = BusListener::open(BusDirectory(folder), BusDirectory::Entry{window, className, title},
                                      [this](const WindowMessage &message) { return dispatch(message); }, &error);
    if (!listener) {
        reportUnfindable(title, std::strerror(error));
        return kNoWindow;
    }
    windows[window] = std::make_unique<Window>(Window{std::move(handler), std::move(listener), title});
    if (!watch)
        watch = std::make_unique<RuntimeFolderWatch>([this] { restoreEndpoints(); });
    return window;
}

void PosixWindowMessages::unregisterWindow(WindowHandle window)
{
    windows.erase(withoutFlags(window));
    if (windows.empty())
        watch.reset();
}

// A cleaner that empties the runtime folder, or a session folder removed and made again,
// must not leave the launcher unfindable: a second start would then run a second launcher,
// and "--close" would not reach this one.
void PosixWindowMessages::restoreEndpoints()
{
    const std::string folder = preparedRuntimeFolder();
    if (folder.empty())
        return;
    const BusDirectory directory(folder);
    for (const auto &[handle, window] : windows) {
        if (window->listener->isFindable(directory))
            continue;
        int error = 0;
        if (window->listener->reopen(directory, &error)) {
            window->reported = false;
        } else if (!window->reported) {
            reportUnfindable(window->title, std::strerror(error));
            window->reported = true;
        }
    }
}

void PosixWindowMessages::setMessageFilter(MessageHandler messageFilter)
{
    filter = std::move(messageFilter);
}

// Copies, because a filter or handler may replace itself or take its window off the bus.
bool PosixWindowMessages::dispatch(const WindowMessage &message)
{
    const MessageHandler applicationFilter = filter;
    if (applicationFilter && applicationFilter(message))
        return true;
    const auto window = windows.find(message.window);
    if (window == windows.end())
        return false;
    const MessageHandler handler = window->second->handler;
    return handler && handler(message);
}

} // namespace platform
