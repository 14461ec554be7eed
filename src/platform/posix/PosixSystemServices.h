#pragma once

#include "platform/SystemServices.h"

namespace platform {

// kernel32's process services on a POSIX system. The system language comes from
// $LUMBRA_LANGID (a hexadecimal identifier, for trying other languages) or else from the
// locale of the messages. The person's data folder is $XDG_DATA_HOME/lumbra (by default
// ~/.local/share/lumbra).
class PosixSystemServices : public SystemServices
{
public:
    std::uint16_t systemDefaultLangId() override;
    std::u16string executablePath() override;
    std::u16string currentDirectory() override;
    std::u16string userDataDirectory() override;
    bool setCurrentDirectory(const std::u16string &path) override;
    std::vector<std::u16string> environmentStrings() override;
    void sleep(unsigned milliseconds) override;
};

} // namespace platform
