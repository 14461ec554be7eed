#pragma once

#include "platform/Autostart.h"

#include <QString>

namespace platform {

// The desktop's autostart entry $XDG_CONFIG_HOME/autostart/lumbra.desktop (by default under
// ~/.config), starting the running executable by its absolute path.
class XdgAutostart : public Autostart
{
public:
    bool setStartAtLogin(bool on) override;

    static QString entryPath();
    // The Exec= value that runs `program` with no arguments, quoted and escaped as desktop
    // entries require.
    static QString execValue(const QString &program);
};

} // namespace platform
