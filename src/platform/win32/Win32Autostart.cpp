#include "Win32Autostart.h"

namespace platform {

bool Win32Autostart::setStartAtLogin(bool)
{
    return true;
}

} // namespace platform
