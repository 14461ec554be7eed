#pragma once

#include "platform/Power.h"

#include <QStringList>

// Records the power actions asked for ("suspend", "reboot", "poweroff") and never reaches
// the system; installed as the process's power backend for the lifetime of the object.
class RecordingPower : public platform::Power
{
public:
    RecordingPower();
    ~RecordingPower() override;
    RecordingPower(const RecordingPower &) = delete;
    RecordingPower &operator=(const RecordingPower &) = delete;

    bool enableShutdownPrivilege() override;
    bool suspend() override;
    bool reboot() override;
    bool powerOff() override;

    QStringList actions;
    int privilegeRequests = 0;
    // What enableShutdownPrivilege answers: false stands for a process token that cannot
    // be opened.
    bool privilege = true;

private:
    platform::Power *previous;
};
