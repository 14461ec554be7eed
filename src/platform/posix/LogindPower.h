#pragma once

#include "platform/Power.h"

namespace platform {

// Suspend, Reboot and PowerOff of systemd-logind on the system bus, "interactive", so that
// polkit may ask the user; logind and polkit decide who may, so the privilege is always
// there to enable.
//
// With $LUMBRA_POWER_LOG set, an action only appends its name ("suspend", "reboot",
// "poweroff") as one line to that file. With $LUMBRA_POWER_FORBIDDEN set (test processes and
// everything they start), an action without the log aborts the process instead of reaching
// logind.
class LogindPower : public Power
{
public:
    bool enableShutdownPrivilege() override;
    bool suspend() override;
    bool reboot() override;
    bool powerOff() override;
};

} // namespace platform
