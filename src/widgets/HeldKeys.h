#pragma once

#include <QHash>
#include <QSet>

class QKeyEvent;

// Tells a key pressed from a key held down. The keyboard repeats a held key, and Qt's X11
// backend marks only some of the repeats (it looks for the release and press pair of a repeat
// in its queue, and the press is often not there yet): an unmarked repeat arrives as a release
// and a press with the same time stamp. A key counts as held from its press until a release
// that no press at the same moment follows, or until the program loses the keyboard (a key
// released while another program had it never reaches this one).
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
