#pragma once

#include "platform/Power.h"

namespace platform {

class LogindPower : public Power
{
public:
    bool enableShutdownPrivilege() override;
    bool suspend() override;
    bool reboot() override;
    bool powerOff() override;
};

} // namespace platform
