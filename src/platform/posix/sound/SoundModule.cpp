// The entry of the sound module: the launcher loads it at the first play, so that Qt
// Multimedia and the audio libraries under it cost nothing at start.

#include "QtSound.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT platform::Sound *lumbraCreateSound()
{
    return new platform::QtSound;
}
