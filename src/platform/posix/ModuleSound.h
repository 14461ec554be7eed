#pragma once

#include "platform/Sound.h"

#include <memory>

namespace platform {

// Music through the sound module beside the executable (liblumbrasound.so), loaded at the
// first play. Without the module the launcher stays silent and says so once.
class ModuleSound : public Sound
{
public:
    ~ModuleSound() override;

    bool play(const std::u16string &path) override;
    void stop() override;

private:
    Sound *player();

    std::unique_ptr<Sound> loaded;
    bool tried = false;
};

} // namespace platform
