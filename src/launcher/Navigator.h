#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class APIconQLabel;
class DragIconPage;
class HighlightReporter;
class PageBuilder;
class TabQLabel;
class lumbra;
struct TabEntry;

// Moving about the launcher: the tab shown, folders and the way back, the pages of a tab, and
// the highlight with the "selected" flags it leaves on the widgets. The launcher holds the
// tabs and builds their pages; it is asked for a tab's page when the tab comes on the screen.
class Navigator : public QObject
{
    Q_OBJECT

public:
    // The tab shown, where a folder's back button returns, the highlighted icon and the one
    // before; for a folder in a folder, the tabs each open folder was opened from, the first first.
    struct Selection
    {
        int currentTab = 0, returnTab = 0, selectedIcon = 0, previousSelectedIcon = 0;
        QList<int> folderTrail;
    };

    // `tabs` is the launcher's own list, read as it is at each move; `pageOf` builds a tab's
    // page when it is first asked for.
    Navigator(lumbra *launcher, const QList<TabEntry *> &tabs, PageBuilder *pageBuilder, HighlightReporter *reporter,
              std::function<DragIconPage *(int)> pageOf);

    const Selection &selection() const { return where; }
    void reset() { where = Selection(); }
    // Tab t is the one shown and the way back, before anything is on the screen.
    void startAt(int t) { where.currentTab = where.returnTab = t; }
    void setReturnTab(int t) { where.returnTab = t; }
    // The highlight's place on the tab shown, without painting it.
    void setSelectedIcon(int position) { where.selectedIcon = where.previousSelectedIcon = position; }

    // A tab of the strip, its label painted selected; the back bar goes, and with it every
    // folder's way back.
    void showTab(int t);
    // Tab t's page on the screen at its first page, with the highlight on its first icon.
    void switchToTab(int t);
    // Tab t on the screen from elsewhere (an icon put back), unless it is shown already: a tab
    // of the strip as its label would show it, a folder without the way it was opened.
    void goTo(int t);
    void openSubTab(APIconQLabel *icon);
    void goBack();
    // A tab label pressed: the tab shown is remembered as the way back, then the tab is shown.
    void chooseTab(TabQLabel *tab);
    // Tab and Shift+Tab: `step` tabs on round the strip.
    void moveToTab(int step);
    // An arrow key, by its virtual-key code.
    void moveHighlight(unsigned key);
    void turnPage(int pages);
    void showPagingButtons(int t, bool fromTheFirstPage);
    // Tab t, shown, at the page that holds the icon at `position` (the last one when there are
    // fewer), with that icon highlighted.
    void showIconOf(int t, int position);
    void highlight(APIconQLabel *icon);
    // Moves the keyboard highlight to the icon at a position of the page on the screen.
    void selectIcon(int position);
    void markSelection();

signals:
    // Tab t's page came on the screen.
    void switched(int t);

private:
    void iconHovered(APIconQLabel *icon, bool entered);

    lumbra *launcher;
    const QList<TabEntry *> &tabs;
    PageBuilder *pageBuilder;
    HighlightReporter *reporter;
    std::function<DragIconPage *(int)> pageOf;
    Selection where;
    QPointer<APIconQLabel> markedIcon;
};
