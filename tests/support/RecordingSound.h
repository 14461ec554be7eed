#pragma once

#include "platform/Sound.h"

#include <QStringList>

// Remembers what would have been played, and whether it would still be playing; installed as
// the process's sound backend for the lifetime of the object. Tests never make a noise.
class RecordingSound : public platform::Sound
{
public:
    RecordingSound();
    ~RecordingSound() override;
    RecordingSound(const RecordingSound &) = delete;
    RecordingSound &operator=(const RecordingSound &) = delete;

    bool play(const std::u16string &path) override;
    void stop() override;

    // Every call in order: "play PATH" or "stop".
    QStringList calls;
    bool playing = false;
    // Plays are still recorded, answered false and leave nothing playing, as with no
    // audio device.
    bool fail = false;

private:
    platform::Sound *previous;
};
