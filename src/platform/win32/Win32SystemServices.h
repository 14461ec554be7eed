#pragma once

#include "platform/SystemServices.h"

namespace platform {

// kernel32's process services, called as they are.
class Win32SystemServices : public SystemServices
{
public:
    std::uint16_t systemDefaultLangId() override;
    std::u16string executablePath() override;
    std::u16string currentDirectory() override;
    std::u16string userDataDirectory() override;
    bool setCurrentDirectory(const std::u16string &path) override;
    // Without the "=C:=C:\..." entries: they are the command processor's current folder per
    // drive, not variables, and their empty names would match an empty %% reference.
    std::vector<std::u16string> environmentStrings() override;
    void sleep(unsigned milliseconds) override;
};

} // namespace platform
