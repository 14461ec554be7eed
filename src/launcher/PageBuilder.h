#pragma once

#include "InstalledPrograms.h"
#include "PagePictures.h"
#include "TabPlaces.h"

#include <QList>
#include <QObject>

class APIconQLabel;
class DragIconPage;
class QWidget;
struct TabEntry;

// Builds a tab's page and its icon labels from theSettings: the icons of the tab's list that
// TabPlaces labels, then the installed programs of its category, each in its cell of the grid. Keeps the pages'
// pictures and what the computer has installed for as long as the launcher stands, so that
// pages built anew take the same answers.
class PageBuilder : public QObject
{
    Q_OBJECT

public:
    // Pages are built as children of `window`.
    explicit PageBuilder(QWidget *window);

    // Builds tab t's page, hidden, into `entry` with its icons, the first page's shown.
    DragIconPage *build(int t, TabEntry *entry);
    // The label for part `part` of tab t's list, at `position` on the page; not yet on one.
    APIconQLabel *makeIcon(int t, int part, int position);
    // Puts a label into the entry's list at `position` and moves the later ones on by one
    // place; `pageShown` is the page on the screen, or -1 when the tab is not shown.
    static void insertLabel(TabEntry *entry, APIconQLabel *icon, int position, int pageShown);
    // Shows the icons at positions first to last and hides the others.
    static void showIconRange(const TabEntry *entry, int first, int last);
    // Every icon in its cell of the grid of now, at the cell's size.
    static void layOut(const QList<TabEntry *> &tabs);
    // Tab t's page picture of the current theme on its page, if it has one built.
    void showPicture(int t, const TabEntry *entry);
    // Which entries of a tab's list have labels, as the pages are built.
    TabPlaces &places() { return tabPlaces; }

signals:
    void iconActivated(APIconQLabel *icon);
    void iconHovered(APIconQLabel *icon, bool entered);
    void applicationDropped(const QString &path, const QString &fileName);

private:
    APIconQLabel *makeInstalledIcon(int t, const platform::InstalledProgram &program, int position);
    void addInstalledIcons(int t, TabEntry *entry);
    void connectIcon(APIconQLabel *icon);

    QWidget *window;
    PagePictures pictures;
    InstalledPrograms programs;
    TabPlaces tabPlaces{&programs};
};
