#pragma once

#include <QHash>
#include <QSet>

class QKeyEvent;

// Tells a key pressed from a key held down, without trusting QKeyEvent::isAutoRepeat(): Qt's
// X11 backend marks only some repeats (it looks for the release and press pair of a repeat in
// its queue, and the press is often not there yet), and after a release it never saw (the key
// let go while another program had the keyboard) it marks the next real press as a repeat.
// A repeat is a press while the key is down, or a press at the very moment of a release. A
// key is down from its press until an unmarked release, or until the program loses the
// keyboard, whose releases then go elsewhere.
class HeldKeys
{
public:
    // True for the press that starts a hold, false for the keyboard repeating a held key.
    bool pressStarts(const QKeyEvent *press);
    void released(const QKeyEvent *release);
    // Every key counts as released.
    void forget();

private:
    QSet<int> down;
    QHash<int, quint64> releasedAt;
};
