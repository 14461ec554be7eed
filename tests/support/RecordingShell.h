#pragma once

#include "platform/Shell.h"

#include <QList>
#include <QString>
#include <QStringList>

// Records what the code under test asks to start or open instead of doing it; installed as
// the process's shell for the lifetime of the object (the one it replaced comes back after).
class RecordingShell : public platform::Shell
{
public:
    struct Start
    {
        QString program;
        QStringList arguments;
        QString workingDirectory;
    };
    struct Open
    {
        QString file;
        QString directory;
    };

    RecordingShell();
    ~RecordingShell() override;
    RecordingShell(const RecordingShell &) = delete;
    RecordingShell &operator=(const RecordingShell &) = delete;

    bool startDetached(const std::u16string &program, const std::vector<std::u16string> &arguments,
                       const std::u16string &workingDirectory) override;
    bool shellOpen(const std::u16string &file, const std::u16string &directory) override;
    bool startTaskManager() override;
    // Reading starts nothing: the entry is read by the shell this one replaced.
    platform::DesktopEntry readDesktopEntry(const std::u16string &path, const std::u16string &locale) override;

    QList<Start> starts;
    QList<Open> opens;
    int taskManagerStarts = 0;
    // Every request is still recorded, and answered false.
    bool fail = false;

private:
    platform::Shell *previous;
};
