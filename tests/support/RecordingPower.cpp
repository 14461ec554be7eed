#include "RecordingPower.h"

#include "platform/Platform.h"

RecordingPower::RecordingPower()
    : previous(&platform::power())
{
    platform::usePower(this);
}

RecordingPower::~RecordingPower()
{
    platform::usePower(previous);
}

bool RecordingPower::enableShutdownPrivilege()
{
    ++privilegeRequests;
    return privilege;
}

bool RecordingPower::suspend()
{
    actions.append(QStringLiteral("suspend"));
    return true;
}

bool RecordingPower::reboot()
{
    actions.append(QStringLiteral("reboot"));
    return true;
}

bool RecordingPower::powerOff()
{
    actions.append(QStringLiteral("poweroff"));
    return true;
}
