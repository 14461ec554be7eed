#include "Platform.h"

namespace platform {

namespace {

Registry *registryOverride = nullptr;
SystemServices *systemOverride = nullptr;
ScreenMetrics *screenOverride = nullptr;

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

} // namespace platform
