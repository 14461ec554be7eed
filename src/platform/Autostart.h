#pragma once

namespace platform {

// Starting the launcher when the user logs in. On Windows the Run value the settings dialog
// writes is the whole of it; other systems keep an entry of their own beside it.
class Autostart
{
public:
    virtual ~Autostart() = default;

    // Creates (on) or removes (off) the system's own entry for starting the running executable
    // at login; false when that could not be done.
    virtual bool setStartAtLogin(bool on) = 0;
};

} // namespace platform
