#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <QString>
#include <QTimer>

class QLabel;
class QPushButton;

// A bar along the bottom of the page that tells what has just happened and offers to take it
// back with one large button, for a while. A thin line along its foot shrinks as the offer
// runs out. A new offer replaces the one shown.
class UndoBar : public QFrame
{
    Q_OBJECT

public:
    explicit UndoBar(QWidget *parent);

    // Shows `message` and a button reading `buttonText` for `milliseconds`, in `font`.
    void offer(const QString &message, const QString &buttonText, const QFont &font, int milliseconds);
    // Hides the bar; what it offered can no longer be taken.
    void withdraw();
    bool isOffering() const { return offering; }

    QString message() const;
    QPushButton *undoButton() const { return button; }
    // The height the bar wants at this width for the text and font of its last offer.
    int preferredHeight(int width) const;

signals:
    // The button was pressed while the offer stood.
    void undoClicked();
    // The offer ran out or was withdrawn.
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void buttonPressed();
    void tick();

    QLabel *text = nullptr;
    QPushButton *button = nullptr;
    QTimer ending;
    QTimer countdown;
    QElapsedTimer shownFor;
    int duration = 0;
    bool offering = false;
};
