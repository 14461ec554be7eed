#pragma once

#include "platform/Sound.h"

namespace platform {

class QtSound : public Sound
{
public:
    bool play(const std::u16string &path) override;
    void stop() override;
};

} // namespace platform
