#include "DetachedProcess.h"

#include <cerrno>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <linux/close_range.h>

extern char **environ;

namespace platform {

namespace {

// Everything the forked children need, made before fork(): after it, only
// async-signal-safe calls are allowed, because other threads may hold the allocator's lock.
struct ExecPlan
{
    const char *path = nullptr;
    std::vector<char *> argv;
    const char *directory = nullptr;
    int errorPipe = -1;
    int highestFd = 0;
};

void writeErrno(int pipe, int error)
{
    while (::write(pipe, &error, sizeof error) < 0 && errno == EINTR) {
    }
}

// Descriptors opened without O_CLOEXEC (by us, by a library, or inherited by the launcher
// itself) must not reach the program. Marking them close-on-exec rather than closing them
// keeps the error pipe open until exec has succeeded.
void markDescriptorsCloseOnExec(const ExecPlan &plan)
{
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
    for (int fd = 3; fd <= plan.highestFd; ++fd)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// The launcher may block or ignore signals; the program must start with the defaults.
void resetSignals()
{
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP)
            ::sigaction(signal, &standard, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

[[noreturn]] void execProgram(const ExecPlan &plan)
{
    // A session of its own: a Ctrl+C in the terminal the launcher was started from, or the
    // launcher's end, does not reach the programs it started.
    ::setsid();
    resetSignals();
    // A folder that vanished since it was checked: the program starts where the launcher is.
    if (plan.directory)
        (void)::chdir(plan.directory);
    markDescriptorsCloseOnExec(plan);
    ::execve(plan.path, plan.argv.data(), environ);
    writeErrno(plan.errorPipe, errno);
    ::_exit(127);
}

// The middle process of the double fork: it exits at once, so the program is adopted by
// init (or the session's subreaper), which reaps it when it ends.
[[noreturn]] void forkProgram(const ExecPlan &plan)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        execProgram(plan);
    if (pid < 0)
        writeErrno(plan.errorPipe, errno);
    ::_exit(0);
}

void reap(pid_t pid)
{
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// The pipe closes without a word when exec succeeds (close-on-exec) and carries the errno
// when any step failed.
int readErrno(int pipe)
{
    int error = 0;
    std::size_t got = 0;
    char *bytes = reinterpret_cast<char *>(&error);
    while (got < sizeof error) {
        const ssize_t n = ::read(pipe, bytes + got, sizeof error - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    return got == sizeof error ? error : 0;
}

int highestDescriptor()
{
    const long limit = ::sysconf(_SC_OPEN_MAX);
    // Only a fallback for kernels without close_range: a huge limit must not make each start
    // walk through millions of numbers.
    return limit > 0 && limit < 65536 ? int(limit) - 1 : 65535;
}

} // namespace

int startDetachedProcess(const QByteArray &path, const QList<QByteArray> &arguments, const QByteArray &directory)
{
    QList<QByteArray> argvStorage;
    argvStorage.reserve(arguments.size() + 1);
    argvStorage.append(path);
    argvStorage.append(arguments);

    ExecPlan plan;
    plan.path = path.constData();
    for (QByteArray &argument : argvStorage)
        plan.argv.push_back(argument.data());
    plan.argv.push_back(nullptr);
    plan.directory = directory.isEmpty() ? nullptr : directory.constData();
    plan.highestFd = highestDescriptor();

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return errno;
    plan.errorPipe = pipe[1];

    const pid_t middle = ::fork();
    if (middle == 0)
        forkProgram(plan);
    const int forkError = middle < 0 ? errno : 0;
    ::close(pipe[1]);
    if (middle > 0)
        reap(middle);
    const int error = forkError ? forkError : readErrno(pipe[0]);
    ::close(pipe[0]);
    return error;
}

} // namespace platform
