#pragma once

#include "platform/Autostart.h"

#include <QList>

// Records each switch of starting at login instead of touching the desktop's autostart
// folder; installed as the process's autostart backend for the lifetime of the object.
class RecordingAutostart : public platform::Autostart
{
public:
    RecordingAutostart();
    ~RecordingAutostart() override;
    RecordingAutostart(const RecordingAutostart &) = delete;
    RecordingAutostart &operator=(const RecordingAutostart &) = delete;

    bool setStartAtLogin(bool on) override;

    QList<bool> requests;
    // Every request is still recorded, and answered false.
    bool fail = false;

private:
    platform::Autostart *previous;
};
