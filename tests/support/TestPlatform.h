#pragma once

#include "RecordingAutostart.h"
#include "RecordingInstanceLock.h"
#include "RecordingPower.h"
#include "RecordingShell.h"
#include "RecordingSound.h"
#include "RecordingSpeech.h"
#include "RecordingTargets.h"
#include "RecordingWindows.h"
#include "platform/ScreenMetrics.h"
#include "platform/posix/SqliteRegistry.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// A screen of a fixed size, as GetSystemMetrics would report it.
class FakeScreen : public platform::ScreenMetrics
{
public:
    int width = 1024;
    int height = 768;
    int caption = 0;

    int systemMetric(int index) override;
};

// Keys and values of the store at `databasePath` that no path from a root reaches, described;
// empty when there are none. Such rows are lost data, or data waiting to turn up under a key
// created later.
QString storeFaults(const QString &databasePath);

// Runs SQL on the store file through a connection of its own. Tests use it to build stores
// of older layouts and to make the store refuse writes the way a full disk or a file of
// another owner would (a trigger that raises an error).
bool executeOnStore(const QString &databasePath, const QString &sql);
// A name as the store keeps it (UTF-16LE bytes), as an SQL literal: X'...'.
QString utf16Blob(const QString &name);

// A fresh registry store in a temporary folder, installed as the process's registry for the
// lifetime of the object, with a fake screen beside it, and recording backends for starting
// programs, other windows, sound, speech, the instance lock, power, autostart and looking
// programs up, so that no test starts a program, makes a noise, speaks, touches the desktop's
// autostart folder or the machine's power, or depends on what this machine has installed.
class TestPlatform
{
public:
    TestPlatform();
    ~TestPlatform();

    QString databasePath() const;
    platform::SqliteRegistry &registry() { return *store; }
    FakeScreen screen;
    RecordingShell shell;
    RecordingWindows windows;
    RecordingSound sound;
    RecordingSpeech speech;
    RecordingInstanceLock instanceLock;
    RecordingPower power;
    RecordingAutostart autostart;
    RecordingTargets targets;

    // Starts over with an empty store.
    void reset();
    // What storeFaults() finds in the current store.
    QString faults() const { return storeFaults(databasePath()); }

private:
    QTemporaryDir folder;
    int generation = 0;
    std::unique_ptr<platform::SqliteRegistry> store;
};

// A store in which something else happens while it is being read: after `opens` keys were
// opened or `reads` keys' values read, `meanwhile` runs once, as another process would between
// two of them. The call named `failing` ("begin", "open", "commit") reports a broken store.
class BusyStore : public platform::SqliteRegistry
{
public:
    using SqliteRegistry::SqliteRegistry;
    std::function<void()> meanwhile;
    int opens = 0;
    int reads = 0;
    QString failing;

    long beginReadScope() override { return broken("begin", SqliteRegistry::beginReadScope()); }
    long commitScope() override { return broken("commit", SqliteRegistry::commitScope()); }
    long openKey(platform::RegKey parent, const std::u16string &path, platform::RegKey *key) override
    {
        if (--opens == 0 && meanwhile)
            meanwhile();
        return broken("open", SqliteRegistry::openKey(parent, path, key));
    }
    long enumValues(platform::RegKey key, std::vector<platform::RegValue> *values) override
    {
        if (--reads == 0 && meanwhile)
            meanwhile();
        return SqliteRegistry::enumValues(key, values);
    }

private:
    long broken(const char *call, long status) const
    {
        return failing == QLatin1String(call) ? platform::kErrorRegistryIoFailed : status;
    }
};

// Collects what the code under test writes to the standard error stream.
class StderrCapture
{
public:
    StderrCapture();
    ~StderrCapture();
    // Stops capturing and answers the lines written since the start.
    QStringList lines();

private:
    QTemporaryDir folder;
    int savedFd = -1;
    QString path;
};
