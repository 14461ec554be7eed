#include "HeldKeys.h"

#include <QKeyEvent>

bool HeldKeys::pressStarts(const QKeyEvent *press)
{
    const int key = press->key();
    // Events made up by a program (tests, input tools) may all carry the time 0.
    const bool pairedWithRelease = press->timestamp() != 0 && releasedAt.value(key) == press->timestamp();
    const bool repeat = down.contains(key) || pairedWithRelease;
    down.insert(key);
    return !repeat;
}

void HeldKeys::released(const QKeyEvent *release)
{
    releasedAt.insert(release->key(), release->timestamp());
    // A release Qt marks as a repeat is one: the key is still held.
    if (!release->isAutoRepeat())
        down.remove(release->key());
}

void HeldKeys::forget()
{
    down.clear();
}
