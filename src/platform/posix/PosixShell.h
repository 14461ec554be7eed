#pragma once

#include "platform/Shell.h"

namespace platform {

class PosixShell : public Shell
{
public:
    bool startDetached(const std::u16string &program, const std::vector<std::u16string> &arguments,
                       const std::u16string &workingDirectory) override;
    bool shellOpen(const std::u16string &file, const std::u16string &directory) override;
    bool startTaskManager() override;
};

} // namespace platform
