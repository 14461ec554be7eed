#include "PinPadDialog.h"

#include "CaregiverLock.h"
#include "DialogLook.h"
#include "settings/PinHash.h"
#include "settings/SettingStore.h"

#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 566;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 70;
constexpr int kGap = 12;
constexpr int kGridLeft = (kWidth - 3 * kButtonWidth - 2 * kGap) / 2;
constexpr int kGridTop = 164;
constexpr int kTickMs = 1000;

QFont fontOfSize(int pixelSize, bool bold = false)
{
    QFont font = theSettings.getFont(FontSetting::SYSTEM_STRING_FONT);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A tree written by hand may lack the buttons' texts; a button without a word is no use.
QString textOr(int id, const char *fallback)
{
    const QString text = theSettings.getString(id);
    return text.isEmpty() || text == QLatin1String("NULL") ? QString::fromLatin1(fallback) : text;
}

QRect cell(int row, int column)
{
    return QRect(kGridLeft + column * (kButtonWidth + kGap), kGridTop + row * (kButtonHeight + kGap), kButtonWidth,
                 kButtonHeight);
}

QLabel *makeLabel(QWidget *parent, const QRect &geometry, const QFont &font, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

PinPadDialog::PinPadDialog(const QString &storedHash, QWidget *parent)
    : QDialog(parent)
    , stored(storedHash)
{
    setObjectName(QStringLiteral("PinPadDialogClass"));
    setFixedSize(kWidth, kHeight);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(theSettings.getString(TextSetting::DIALOG_PIN_TITLE));
    // Over its parent Qt centres it; from the tray it has none, and without a window manager
    // it would sit in the screen's corner.
    if (!parent) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    titleLabel = makeLabel(this, QRect(12, 16, kWidth - 24, 36), fontOfSize(22, true), "titleLabel");
    titleLabel->setText(theSettings.getString(TextSetting::DIALOG_PIN_TITLE));
    DialogLook::fitText(titleLabel);
    dotsLabel = makeLabel(this, QRect(kGridLeft, 60, kWidth - 2 * kGridLeft, 44), fontOfSize(30), "dotsLabel");
    dotsLabel->setFrameShape(QFrame::StyledPanel);
    messageLabel = makeLabel(this, QRect(12, 108, kWidth - 24, 50), fontOfSize(15, true), "messageLabel");
    messageLabel->setWordWrap(true);
    buildDigitButtons();
    eraseButton = makeButton(theSettings.getString(TextSetting::DIALOG_PIN_ERASE), cell(3, 0), "eraseButton");
    okButton = makeButton(textOr(1426, "OK"), cell(3, 2), "okButton");
    cancelButton = makeButton(textOr(1427, "Cancel"),
                              QRect(kGridLeft, kGridTop + 4 * (kButtonHeight + kGap), 3 * kButtonWidth + 2 * kGap, 50),
                              "cancelButton");
    for (QPushButton *button : {eraseButton, okButton, cancelButton}) {
        button->setFont(fontOfSize(18));
        DialogLook::fitText(button);
    }
    connect(eraseButton, &QPushButton::clicked, this, &PinPadDialog::erase);
    connect(okButton, &QPushButton::clicked, this, &PinPadDialog::tryPin);
    connect(cancelButton, &QPushButton::clicked, this, &PinPadDialog::reject);
    connect(&waitTimer, &QTimer::timeout, this, &PinPadDialog::tick);
    showDots();
    // A pad opened again while a wait is on goes on waiting: closing it shortens nothing.
    startWait(CaregiverLock::waitSecondsAfter(CaregiverLock::wrongTries()));
    if (!isWaiting())
        messageLabel->clear();
}

QPushButton *PinPadDialog::makeButton(const QString &text, const QRect &geometry, const char *name)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    // The keyboard's Return means OK, whichever button a click last touched.
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void PinPadDialog::buildDigitButtons()
{
    for (int digit = 0; digit <= 9; ++digit) {
        const QRect geometry = digit == 0 ? cell(3, 1) : cell((digit - 1) / 3, (digit - 1) % 3);
        QPushButton *button = makeButton(QString::number(digit), geometry, "digitButton");
        button->setFont(fontOfSize(30, true));
        connect(button, &QPushButton::clicked, this, [this, digit] { typeDigit(digit); });
        digitButtons.append(button);
    }
}

void PinPadDialog::typeDigit(int digit)
{
    if (isWaiting() || digit < 0 || digit > 9 || digits.size() >= PinHash::kLongestPin)
        return;
    digits += QChar(u'0' + digit);
    showDots();
}

void PinPadDialog::erase()
{
    if (isWaiting())
        return;
    digits.chop(1);
    showDots();
}

void PinPadDialog::tryPin()
{
    if (isWaiting() || digits.isEmpty())
        return;
    const bool right = PinHash::matches(digits, stored);
    digits.clear();
    showDots();
    if (right) {
        CaregiverLock::countRightTry();
        accept();
        return;
    }
    CaregiverLock::countWrongTry();
    messageLabel->setText(theSettings.getString(TextSetting::DIALOG_PIN_WRONG));
    startWait(CaregiverLock::waitSecondsAfter(CaregiverLock::wrongTries()));
}

void PinPadDialog::showDots()
{
    dotsLabel->setText(QString(digits.size(), QChar(0x25CF)));
}

void PinPadDialog::startWait(int seconds)
{
    secondsLeft = seconds;
    if (secondsLeft <= 0)
        return;
    setInputEnabled(false);
    messageLabel->setText(theSettings.getString(TextSetting::DIALOG_PIN_WAIT).arg(secondsLeft));
    waitTimer.start(kTickMs);
}

void PinPadDialog::tick()
{
    --secondsLeft;
    if (secondsLeft > 0) {
        messageLabel->setText(theSettings.getString(TextSetting::DIALOG_PIN_WAIT).arg(secondsLeft));
        return;
    }
    waitTimer.stop();
    setInputEnabled(true);
    messageLabel->setText(theSettings.getString(TextSetting::DIALOG_PIN_WRONG));
}

void PinPadDialog::setInputEnabled(bool enabled)
{
    for (QPushButton *button : std::as_const(digitButtons))
        button->setEnabled(enabled);
    eraseButton->setEnabled(enabled);
    okButton->setEnabled(enabled);
}

void PinPadDialog::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        typeDigit(key - Qt::Key_0);
    else if (key == Qt::Key_Backspace || key == Qt::Key_Delete)
        erase();
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        tryPin();
    else
        QDialog::keyPressEvent(event);
}

void PinPadDialog::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    DialogLook::paintFrame(this);
}
