#pragma once

#include "platform/Sound.h"

namespace platform {

// PlaySoundW of winmm, the call QSound itself made on Windows: one WAV file, played
// asynchronously, a new sound cutting off the one before. PlaySoundW answers before it has
// read the file and would ring the system's default sound for one it cannot play, so the
// file is looked at first: only a RIFF WAVE file is handed over, never with a default.
class Win32Sound : public Sound
{
public:
    bool play(const std::u16string &path) override;
    void stop() override;
};

} // namespace platform
