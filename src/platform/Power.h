#pragma once

namespace platform {

// Stand-by, restart and shut-down, as advapi32, kernel32 and user32 offer them.
class Power
{
public:
    virtual ~Power() = default;

    // OpenProcessToken and AdjustTokenPrivileges for SeShutdownPrivilege: false when the
    // process token cannot be opened, and then none of the actions below may be tried.
    virtual bool enableShutdownPrivilege() = 0;
    // SetSystemPowerState(TRUE, TRUE): returns after the machine has resumed, or at once
    // when it could not suspend.
    virtual bool suspend() = 0;
    // ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0).
    virtual bool reboot() = 0;
    // ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0).
    virtual bool powerOff() = 0;
};

} // namespace platform
