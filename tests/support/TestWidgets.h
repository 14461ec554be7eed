#pragma once

#include <QEvent>
#include <QFont>
#include <QPoint>
#include <QStringList>

class QWidget;

// Every language code the program may choose; each has its own factory registry file.
extern const QStringList kLanguageCodes;

// DejaVu Sans at `pixels` pixels, the face the tests measure names in.
QFont dejaVuPixels(int pixels, QFont::Weight weight = QFont::Normal);

// The pointer enters (at 5, 5) or leaves the widget.
void sendEnter(QWidget *widget);
void sendLeave(QWidget *widget);
// A left-button event (no button for a move) at `at` in the widget; `held`: the buttons down after it.
void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &at, Qt::MouseButtons held);
