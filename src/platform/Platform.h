#pragma once

namespace platform {

class Autostart;
class InstanceLock;
class Power;
class ProgramRoles;
class Registry;
class ScreenMetrics;
class Shell;
class Sound;
class Speech;
class SystemServices;
class TargetLookup;
class WindowMessages;

// The operating system as the launcher sees it. Each call answers the native backend of
// the system it was built for, unless a test has put a backend of its own in its place.
Registry &registry();
SystemServices &system();
ScreenMetrics &screen();
Shell &shell();
WindowMessages &windows();
Sound &sound();
Speech &speech();
InstanceLock &instanceLock();
Power &power();
Autostart &autostart();
TargetLookup &targets();
ProgramRoles &roles();

// Tests swap in recording backends here; nullptr brings the native one back.
void useRegistry(Registry *backend);
void useSystem(SystemServices *backend);
void useScreen(ScreenMetrics *backend);
void useShell(Shell *backend);
void useWindows(WindowMessages *backend);
void useSound(Sound *backend);
void useSpeech(Speech *backend);
void useInstanceLock(InstanceLock *backend);
void usePower(Power *backend);
void useAutostart(Autostart *backend);
void useTargets(TargetLookup *backend);
void useRoles(ProgramRoles *backend);

// Each OS folder defines these; the build picks the folder.
Registry &nativeRegistry();
SystemServices &nativeSystem();
ScreenMetrics &nativeScreen();
Shell &nativeShell();
WindowMessages &nativeWindows();
Sound &nativeSound();
Speech &nativeSpeech();
InstanceLock &nativeInstanceLock();
Power &nativePower();
Autostart &nativeAutostart();
TargetLookup &nativeTargets();
ProgramRoles &nativeRoles();

} // namespace platform
