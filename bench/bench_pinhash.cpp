// How long the PIN pad takes to check one PIN (the key derivation of the stored hash), and how
// long a lock answers whether it is on (LOCK_PIN read from the store at each locked action).
// A person waits for the first after pressing OK; the second comes before every Delete.
// Prints median, min and max of N runs; asserts nothing.
//
// Targets on a cheap PC: a PIN checked in under 300 ms, the lock looked up in under 2 ms.

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/posix/SqliteRegistry.h"
#include "settings/LockPinStore.h"
#include "settings/PinHash.h"
#include "settings/RegistryPaths.h"
#include "settings/RegistryAccess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

int runs = 15;

void measure(const char *what, const char *goal, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-40s median %9.3f ms  min %9.3f  max %9.3f   goal %s\n", what, times[times.size() / 2],
                times.front(), times.back(), goal);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        runs = std::max(1, QByteArray(argv[1]).toInt());
    QTemporaryDir folder;
    platform::SqliteRegistry store(folder.filePath(QStringLiteral("bench.sqlite")).toStdString());
    platform::useRegistry(&store);
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    closeRegKey(createRegKey(platform::kLocalMachine, systemKeyPath));

    const QString stored = PinHash::make(QStringLiteral("2468"));
    bool right = false;
    measure("check a right PIN", "< 300 ms", [&] { right = PinHash::matches(QStringLiteral("2468"), stored); });
    measure("check a wrong PIN", "< 300 ms", [&] { right = PinHash::matches(QStringLiteral("1357"), stored); });
    measure("make a new PIN's hash", "-", [&] { (void)PinHash::make(QStringLiteral("2468")); });
    measure("is the lock on? (off)", "< 2 ms", [] { (void)LockPinStore::read(); });
    LockPinStore::write(stored);
    measure("is the lock on? (on)", "< 2 ms", [] { (void)LockPinStore::read(); });
    platform::useRegistry(nullptr);
    // Used, so that the checks are not optimised away.
    std::printf("(last check: %s)\n", right ? "right" : "wrong");
    return 0;
}
