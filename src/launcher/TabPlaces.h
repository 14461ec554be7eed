#pragma once

#include <QHash>
#include <QString>

class InstalledPrograms;

// Which entries of a tab's icon list have a label on its page, and the way between a label's
// position and the entry ("part") it stands for. A tab's labels stand for its labelled
// entries in the list's order; the installed programs its category adds come after them.
// An entry is labelled when it names an icon and, on a tab with a category, when the program
// or document it starts is on this computer: such a tab shows what is installed first rather
// than a page of grey icons. A tab without a category labels every icon it names, the missing
// ones dimmed; so does a tab whose category has nothing installed at all, rather than an
// empty page that tells the person nothing. Everything that turns a place on the screen into an entry of the store, or
// back, asks here, so that they all agree on what is left out.
class TabPlaces
{
public:
    explicit TabPlaces(InstalledPrograms *programs);

    bool isLabelled(int t, int part);
    // The entry the label at `position` stands for, or -1 (a category's program, or beyond).
    int partAt(int t, int position);
    // Where the label of entry `part` stands, or would stand: the labelled entries before it.
    int positionOf(int t, int part);
    // How entry `part` of tab t starts: its kind and target, or what this computer has for
    // its role.
    void startOf(int t, int part, int *kind, QString *target);
    // An icon a person has just added keeps its label whatever its target: they see what
    // they did, dimmed when it is not there.
    void keepLabelled(int t, int part);
    // The pages are built anew from settings read again, whose icons may be numbered anew.
    void forget();

private:
    bool hidesMissing(int t);
    bool isPresent(int t, int part);

    InstalledPrograms *programs;
    // Whether each icon (by number) was on this computer when first asked. Asked once: the
    // labels built from the answer and every later lookup must take the same one, whatever
    // is installed or removed meanwhile.
    QHash<int, bool> present;
    // Whether each tab (by index) leaves its missing icons out, decided with the same answers.
    QHash<int, bool> hiding;
};
