#pragma once

#include <QAccessibleWidget>

// What a screen reader learns of the launcher's picture widgets. To Qt they are labels with
// a picture and no text, which a reader passes over in silence; here icons and title-bar
// buttons are buttons and tabs are page tabs, each named by its full name (a tab's too,
// where the strip shows it shortened), described by its tool tip, and focused while it has
// the launcher's highlight.
class LauncherAccessible : public QAccessibleWidget
{
public:
    LauncherAccessible(QWidget *widget, QAccessible::Role role);

    QAccessible::State state() const override;

    // Puts the launcher's widgets in the care of this class; once per process is enough.
    static void install();
    // The highlight went from `from` (may be null) to `to`: the reader hears of it as the focus.
    static void moveFocus(QWidget *from, QWidget *to);
    // Whether a widget has the launcher's highlight, as the reader is told.
    static bool hasHighlight(const QWidget *widget);
    // The name of a title-bar button of a kind (house, back, page up, page down, music).
    static QString buttonName(int kind);
};
