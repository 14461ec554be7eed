#pragma once

#include "platform/Sound.h"

#include <QPointer>

class QSoundEffect;

namespace platform {

// Plays through Qt Multimedia. The player is made at the first play, not before: it needs a
// GUI application, and the launcher's start should not pay for an audio connection that
// most sessions never use.
class QtSound : public Sound
{
public:
    bool play(const std::u16string &path) override;
    void stop() override;

private:
    QSoundEffect *player();

    // Owned by the application object, so it goes before the application does; the pointer
    // then clears itself and a later application gets a player of its own.
    QPointer<QSoundEffect> effect;
};

} // namespace platform
