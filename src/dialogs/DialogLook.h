#pragma once

class QPainter;
class QWidget;

// What the program's own small frameless dialogs share so that they look finished: a thin
// frame (the window manager draws none), and texts that fit the fixed buttons in every
// language.
namespace DialogLook {

// Makes the widget's font smaller, down to a readable floor, until its text fits the
// widget's width with a little room on each side.
void fitText(QWidget *widget);

// A one-pixel frame around the dialog in the palette's dark colour.
void paintFrame(QWidget *dialog);

} // namespace DialogLook
