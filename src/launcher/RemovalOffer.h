#pragma once

#include <QString>

// What the last Delete took off, kept while the undo bar offers to put it back: the entry's
// text in its tab's TAB_ITEM_ALL_ICONS and its place there, the whole list before and after,
// and where its label stood on the tab.
struct RemovalOffer
{
    int tab = -1;
    int part = -1;
    QString entry;
    QString listBefore;
    QString listAfter;
    int position = 0;
    QString name;

    // The tab's list with the entry back: the list as it was before the removal when nothing
    // has changed it since, else the entry at its old place among what the list holds `now`
    // (at its end when the list has become shorter). `part` answers where it went.
    QString restoredList(const QString &now, int *part) const;
};
