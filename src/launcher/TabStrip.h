#pragma once

#include "TabTree.h"

#include <QList>
#include <QObject>

class QLabel;
class TabQLabel;
struct TabEntry;

// The strip of tab labels across the top of the window, with a separator before the first
// and after each, and the tree of tabs and folders it is built from. Folders have no label
// in the strip.
class TabStrip : public QObject
{
    Q_OBJECT

public:
    explicit TabStrip(QObject *parent);

    // Reads the tabs from theSettings, puts their labels into `tabArea` and one new entry for
    // each tab into `tabs`, then places them.
    void build(QLabel *tabArea, QList<TabEntry *> &tabs);
    // The labels the strip shows stand side by side, narrower where they would reach the
    // title-bar buttons, for the screen of now.
    void place(const QList<TabEntry *> &tabs);
    // The separators in the theme's picture of now.
    void applyTheme();
    // The tab area, the separators' parent, is gone.
    void forget() { separators.clear(); }
    const TabTree &tree() const { return tabTree; }

signals:
    void chosen(TabQLabel *tab);

private:
    QList<QLabel *> separators;
    TabTree tabTree;
};
