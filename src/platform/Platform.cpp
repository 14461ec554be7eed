#include "Platform.h"

namespace platform {

namespace {

Registry *registryOverride = nullptr;
SystemServices *systemOverride = nullptr;
ScreenMetrics *screenOverride = nullptr;
Shell *shellOverride = nullptr;
WindowMessages *windowsOverride = nullptr;
Sound *soundOverride = nullptr;
Speech *speechOverride = nullptr;
InstanceLock *instanceLockOverride = nullptr;
Power *powerOverride = nullptr;
Autostart *autostartOverride = nullptr;
TargetLookup *targetsOverride = nullptr;
ProgramRoles *rolesOverride = nullptr;

} // namespace

Registry &registry()
{
    return registryOverride ? *registryOverride : nativeRegistry();
}

SystemServices &system()
{
    return systemOverride ? *systemOverride : nativeSystem();
}

ScreenMetrics &screen()
{
    return screenOverride ? *screenOverride : nativeScreen();
}

Shell &shell()
{
    return shellOverride ? *shellOverride : nativeShell();
}

WindowMessages &windows()
{
    return windowsOverride ? *windowsOverride : nativeWindows();
}

Sound &sound()
{
    return soundOverride ? *soundOverride : nativeSound();
}

Speech &speech()
{
    return speechOverride ? *speechOverride : nativeSpeech();
}

InstanceLock &instanceLock()
{
    return instanceLockOverride ? *instanceLockOverride : nativeInstanceLock();
}

Power &power()
{
    return powerOverride ? *powerOverride : nativePower();
}

Autostart &autostart()
{
    return autostartOverride ? *autostartOverride : nativeAutostart();
}

TargetLookup &targets()
{
    return targetsOverride ? *targetsOverride : nativeTargets();
}

ProgramRoles &roles()
{
    return rolesOverride ? *rolesOverride : nativeRoles();
}

void useRegistry(Registry *backend)
{
    registryOverride = backend;
}

void useSystem(SystemServices *backend)
{
    systemOverride = backend;
}

void useScreen(ScreenMetrics *backend)
{
    screenOverride = backend;
}

void useShell(Shell *backend)
{
    shellOverride = backend;
}

void useWindows(WindowMessages *backend)
{
    windowsOverride = backend;
}

void useSound(Sound *backend)
{
    soundOverride = backend;
}

void useSpeech(Speech *backend)
{
    speechOverride = backend;
}

void useInstanceLock(InstanceLock *backend)
{
    instanceLockOverride = backend;
}

void usePower(Power *backend)
{
    powerOverride = backend;
}

void useAutostart(Autostart *backend)
{
    autostartOverride = backend;
}

void useTargets(TargetLookup *backend)
{
    targetsOverride = backend;
}

void useRoles(ProgramRoles *backend)
{
    rolesOverride = backend;
}

} // namespace platform
