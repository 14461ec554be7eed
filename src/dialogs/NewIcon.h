#pragma once

#include <QString>

// A program or document the drop dialog hands to the launcher to be added to the tab shown:
// its name, its target as the launcher starts it, the picture saved for it and the kind of
// the dropped file.
struct NewIcon
{
    QString name;
    QString target;
    QString image;
    int kind = 0;

    // The kind of a dropped file, from the last "."-separated part of its name: 1 a program
    // (".exe"), 3 a shortcut (".lnk", ".desktop"), 0, 2 and 4 other Windows files, -1 any
    // other file.
    static int fileKindOf(const QString &path);
};
