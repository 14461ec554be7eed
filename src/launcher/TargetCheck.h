#pragma once

#include <QList>
#include <QString>

class APIconQLabel;

// Which icons name a program or a document that is not on this computer. Only the file
// system is asked: nothing is started or opened. Programs (kind 1) and the documents,
// folders and shortcuts the shell opens (kind 3) are looked up; other kinds never count
// as missing.
class TargetCheck
{
public:
    // How an icon's target is started: a program (kind 1) whose target is an address (a URL
    // of any scheme) is handed to the shell open (kind 3), as no program is named by it.
    // Any other kind as it is.
    static int startKind(int kind, const QString &target);
    static bool isMissing(int kind, const QString &target);
    // The folder a target starts in.
    static QString workingDirectoryOf(const QString &target);
    // Marks each icon as the disk is now: the missing ones dimmed, with the "not installed"
    // text as their tool tip; the others as the settings draw them.
    static void markIcons(const QList<APIconQLabel *> &icons);
};
