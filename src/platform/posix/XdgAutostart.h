#pragma once

#include "platform/Autostart.h"

namespace platform {

class XdgAutostart : public Autostart
{
public:
    bool setStartAtLogin(bool on) override;
};

} // namespace platform
