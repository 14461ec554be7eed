#include "XdgAutostart.h"

namespace platform {

// First version: does nothing.
bool XdgAutostart::setStartAtLogin(bool)
{
    return false;
}

} // namespace platform
