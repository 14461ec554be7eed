#include "LogindPower.h"

namespace platform {

// First version: does nothing at all.
bool LogindPower::enableShutdownPrivilege()
{
    return false;
}

bool LogindPower::suspend()
{
    return false;
}

bool LogindPower::reboot()
{
    return false;
}

bool LogindPower::powerOff()
{
    return false;
}

} // namespace platform
