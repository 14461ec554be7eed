#include "RecordingAutostart.h"

#include "platform/Platform.h"

RecordingAutostart::RecordingAutostart()
    : previous(&platform::autostart())
{
    platform::useAutostart(this);
}

RecordingAutostart::~RecordingAutostart()
{
    platform::useAutostart(previous);
}

bool RecordingAutostart::setStartAtLogin(bool on)
{
    requests.append(on);
    return !fail;
}
