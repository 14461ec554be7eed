#include "platform/Platform.h"

#include "GioProgramRoles.h"
#include "LogindPower.h"
#include "PosixInstanceLock.h"
#include "PosixShell.h"
#include "PosixSystemServices.h"
#include "PosixTargetLookup.h"
#include "PosixWindowMessages.h"
#include "QtScreenMetrics.h"
#include "ModuleSound.h"
#include "ModuleSpeech.h"
#include "SqliteRegistry.h"
#include "XdgAutostart.h"

#include <cstdlib>
#include <string>

namespace platform {

namespace {

std::string environmentValue(const char *name)
{
    const char *value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// $LUMBRA_REGISTRY, else the XDG configuration folder; a relative XDG_CONFIG_HOME is
// ignored, as the base directory rules require.
std::string registryPath()
{
    const std::string explicitPath = environmentValue("LUMBRA_REGISTRY");
    if (!explicitPath.empty())
        return explicitPath;
    std::string configHome = environmentValue("XDG_CONFIG_HOME");
    if (configHome.empty() || configHome.front() != '/')
        configHome = environmentValue("HOME") + "/.config";
    return configHome + "/lumbra/registry.sqlite";
}

} // namespace

Registry &nativeRegistry()
{
    static SqliteRegistry registry(registryPath());
    return registry;
}

SystemServices &nativeSystem()
{
    static PosixSystemServices system;
    return system;
}

ScreenMetrics &nativeScreen()
{
    static QtScreenMetrics screen;
    return screen;
}

Shell &nativeShell()
{
    static PosixShell shell;
    return shell;
}

WindowMessages &nativeWindows()
{
    static PosixWindowMessages windows;
    return windows;
}

Sound &nativeSound()
{
    static ModuleSound sound;
    return sound;
}

Speech &nativeSpeech()
{
    static ModuleSpeech speech;
    return speech;
}

InstanceLock &nativeInstanceLock()
{
    static PosixInstanceLock lock;
    return lock;
}

Power &nativePower()
{
    static LogindPower power;
    return power;
}

Autostart &nativeAutostart()
{
    static XdgAutostart autostart;
    return autostart;
}

TargetLookup &nativeTargets()
{
    static PosixTargetLookup targets;
    return targets;
}

ProgramRoles &nativeRoles()
{
    static GioProgramRoles roles;
    return roles;
}

} // namespace platform
