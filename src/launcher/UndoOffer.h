#pragma once

#include "RemovalOffer.h"

#include <QObject>

class UndoBar;
class lumbra;

// Taking back a Delete: the bar along the foot of the page that says, for ten seconds, what
// was taken off and offers to put it back (its button or Ctrl+Z), and putting the entry back
// into its tab's list in the store. The launcher puts the label back when restored() says so.
class UndoOffer : public QObject
{
    Q_OBJECT

public:
    explicit UndoOffer(lumbra *launcher);

    void offer(const RemovalOffer &removal);
    // Along the foot of the screen as it is now.
    void place();
    // While the bar shows, puts the entry back where it was and stores that at once. False when
    // nothing is offered, or it could not be stored (the person is told).
    bool undo();
    // The settings were read again: an offer that no longer fits them goes.
    void review();
    UndoBar *bar() const { return undoBar; }

signals:
    // The entry is back in the store, at `part` of its tab's list; `shownAnew` when the
    // launcher was built anew from the store on the way.
    void restored(const RemovalOffer &removal, int part, bool shownAnew);

private:
    lumbra *launcher;
    UndoBar *undoBar = nullptr;
    RemovalOffer removal;
};
