#include "platform/Platform.h"

#include "Win32Autostart.h"
#include "Win32InstanceLock.h"
#include "Win32Power.h"
#include "Win32ProgramRoles.h"
#include "Win32Registry.h"
#include "Win32ScreenMetrics.h"
#include "Win32Shell.h"
#include "Win32Sound.h"
#include "Win32Speech.h"
#include "Win32SystemServices.h"
#include "Win32TargetLookup.h"
#include "Win32WindowMessages.h"

namespace platform {

Registry &nativeRegistry()
{
    static Win32Registry registry;
    return registry;
}

SystemServices &nativeSystem()
{
    static Win32SystemServices system;
    return system;
}

ScreenMetrics &nativeScreen()
{
    static Win32ScreenMetrics screen;
    return screen;
}

Shell &nativeShell()
{
    static Win32Shell shell;
    return shell;
}

WindowMessages &nativeWindows()
{
    static Win32WindowMessages windows;
    return windows;
}

Sound &nativeSound()
{
    static Win32Sound sound;
    return sound;
}

Speech &nativeSpeech()
{
    static Win32Speech speech;
    return speech;
}

TargetLookup &nativeTargets()
{
    static Win32TargetLookup targets;
    return targets;
}

InstanceLock &nativeInstanceLock()
{
    static Win32InstanceLock lock;
    return lock;
}

Power &nativePower()
{
    static Win32Power power;
    return power;
}

Autostart &nativeAutostart()
{
    static Win32Autostart autostart;
    return autostart;
}

ProgramRoles &nativeRoles()
{
    static Win32ProgramRoles roles;
    return roles;
}

} // namespace platform
