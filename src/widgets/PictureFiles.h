#pragma once

#include <QString>

// Where the pictures named by the settings are found. A relative name ("./Icon/tool.png") is
// a place in the program's folder; where that folder cannot be written (an installation the
// administrator owns), the picture of a program a person added is kept at the same place in
// the person's data folder instead, and found there. The name in the settings stays the same.
class PictureFiles
{
public:
    // The file a picture name stands for: the name itself where it is a file, else its place
    // in the person's data folder where that is a file, else the name.
    static QString located(const QString &name);
    // The place of a relative name in the person's data folder; empty for an absolute name, a
    // name that climbs out of its folder, or when the person has no data folder.
    static QString userCopyOf(const QString &name);
};
