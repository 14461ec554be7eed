#pragma once

#include <QFont>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

// A large speech bubble beside a widget that tells the person something in one sentence, for
// a few seconds. It points at the widget's resting place `anchorBox` (in the coordinates of the
// widget's parent, which the bubble shares), stays on that page, goes as soon as the widget
// is hidden or when it is clicked, and then deletes itself.
class NoticeBubble : public QWidget
{
    Q_OBJECT

public:
    NoticeBubble(QWidget *anchor, const QRect &anchorBox, const QString &text, const QFont &font, int milliseconds);

    QString text() const { return shownText; }
    // True when the bubble stands to the right of its widget, pointing left at it.
    bool pointsLeft() const { return onRight; }

    // The fill of the bubble, which end-to-end tests look for on the screen.
    static QColor fillColour();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeBeside(const QRect &anchorBox);
    QRect textBox() const;

    QPointer<QWidget> anchor;
    QString shownText;
    QFont textFont;
    QTimer lifetime;
    bool onRight = true;
    int pointerY = 0;
    int wrap = Qt::TextWordWrap;
};
