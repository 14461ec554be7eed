#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QTimer>

class QLabel;
class QPushButton;

// Asks for the caregiver's PIN with big digit buttons (the keyboard's digits, Backspace,
// Return and Escape work too). Accepted only for the right PIN; a wrong one is said plainly
// and, from the second wrong try on, the pad waits a little longer each time before it takes
// another.
class PinPadDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PinPadDialog(const QString &storedHash, QWidget *parent = nullptr);

    // What has been typed so far, and whether the pad is waiting after a wrong try.
    QString typed() const { return digits; }
    bool isWaiting() const { return secondsLeft > 0; }

    QLabel *titleLabel = nullptr;
    QLabel *dotsLabel = nullptr;
    QLabel *messageLabel = nullptr;
    QList<QPushButton *> digitButtons;
    QPushButton *eraseButton = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;

public slots:
    void typeDigit(int digit);
    void erase();
    void tryPin();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPushButton *makeButton(const QString &text, const QRect &geometry, const char *name);
    void buildDigitButtons();
    void showDots();
    void startWait(int seconds);
    void tick();
    void setInputEnabled(bool enabled);

    QString stored;
    QString digits;
    QTimer waitTimer;
    int secondsLeft = 0;
};
