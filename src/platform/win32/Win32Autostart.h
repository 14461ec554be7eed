#pragma once

#include "platform/Autostart.h"

namespace platform {

// On Windows the "Lumbra" value under ...\CurrentVersion\Run, which the settings dialog
// writes through the registry, is all it takes: there is no entry of our own to keep.
class Win32Autostart : public Autostart
{
public:
    bool setStartAtLogin(bool on) override;
};

} // namespace platform
