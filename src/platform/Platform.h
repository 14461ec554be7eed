#pragma once

namespace platform {

class Registry;
class ScreenMetrics;
class SystemServices;

// The operating system as the launcher sees it. Each call answers the native backend of
// the system it was built for, unless a test has put a backend of its own in its place.
Registry &registry();
SystemServices &system();
ScreenMetrics &screen();

// Tests swap in recording backends here; nullptr brings the native one back.
void useRegistry(Registry *backend);
void useSystem(SystemServices *backend);
void useScreen(ScreenMetrics *backend);

// Each OS folder defines these three; the build picks the folder.
Registry &nativeRegistry();
SystemServices &nativeSystem();
ScreenMetrics &nativeScreen();

} // namespace platform
