#pragma once

#include <string>

namespace platform {

// Background music: one sound file played once from its start, as QSound did it.
class Sound
{
public:
    virtual ~Sound() = default;

    // Plays the WAV file once from the start, stopping what was playing. False when there is
    // no file, no audio device or no player; the launcher then stays silent.
    virtual bool play(const std::u16string &path) = 0;
    virtual void stop() = 0;
};

} // namespace platform
