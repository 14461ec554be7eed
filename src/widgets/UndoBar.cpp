#include "UndoBar.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kMargin = 24;
constexpr int kRadius = 16;
constexpr int kCountdownHeight = 6;
// The countdown line moves often enough to look smooth, seldom enough to cost nothing.
constexpr int kCountdownStepMs = 100;

const QColor kBackground(38, 44, 56, 240);
const QColor kCountdown(255, 209, 74);

QString buttonStyle(int pixelSize)
{
    return QStringLiteral("QPushButton { background: #ffd14a; color: #1c1c1c; border: 3px solid #fff3c4;"
                          " border-radius: 14px; padding: 8px 28px; font-weight: bold; font-size: %1px; }"
                          "QPushButton:hover { background: #ffe38a; }"
                          "QPushButton:pressed { background: #e0b020; }")
        .arg(pixelSize);
}

// Kept to what a bar can hold, whatever font it is handed: sizes near the int limit would
// overflow the button's measures.
int pixelSizeOf(const QFont &font)
{
    return std::clamp(font.pixelSize() > 0 ? font.pixelSize() : QFontMetrics(font).height(), 1, 200);
}

} // namespace

UndoBar::UndoBar(QWidget *parent)
    : QFrame(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(kMargin + 8, kMargin / 2, kMargin / 2 + 4, kMargin / 2 + kCountdownHeight);
    layout->setSpacing(kMargin);
    text = new QLabel(this);
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    text->setPalette(palette);
    layout->addWidget(text, 1);
    button = new QPushButton(this);
    // The keyboard stays with the launcher: Return starts icons, Ctrl+Z takes the offer.
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    layout->addWidget(button, 0, Qt::AlignVCenter);
    connect(button, &QPushButton::clicked, this, &UndoBar::buttonPressed);
    ending.setSingleShot(true);
    connect(&ending, &QTimer::timeout, this, &UndoBar::withdraw);
    connect(&countdown, &QTimer::timeout, this, &UndoBar::tick);
    hide();
}

void UndoBar::offer(const QString &message, const QString &buttonText, const QFont &font, int milliseconds)
{
    QFont textFont = font;
    text->setFont(textFont);
    text->setText(message);
    button->setText(buttonText);
    button->setStyleSheet(buttonStyle(pixelSizeOf(font)));
    button->setMinimumSize(std::max(200, QFontMetrics(font).horizontalAdvance(buttonText) + 72),
                           std::max(64, pixelSizeOf(font) * 2 + 12));
    duration = std::max(1, milliseconds);
    offering = true;
    shownFor.start();
    ending.start(duration);
    countdown.start(kCountdownStepMs);
    show();
    raise();
    update();
}

void UndoBar::withdraw()
{
    ending.stop();
    countdown.stop();
    const bool wasOffering = offering;
    offering = false;
    hide();
    if (wasOffering)
        emit closed();
}

QString UndoBar::message() const
{
    return text->text();
}

int UndoBar::preferredHeight(int width) const
{
    const int textHeight = QFontMetrics(text->font()).height() * 2;
    const int least = std::max(button->minimumHeight(), textHeight) + kMargin + kCountdownHeight;
    // A long sentence (a translation, a name in it) gets every line it needs, not two and cut.
    return std::max(least, layout()->totalHeightForWidth(width));
}

void UndoBar::buttonPressed()
{
    if (offering)
        emit undoClicked();
}

void UndoBar::tick()
{
    update(QRect(0, height() - kCountdownHeight - kRadius / 2, width(), kCountdownHeight + kRadius / 2));
}

void UndoBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBackground);
    painter.drawRoundedRect(rect(), kRadius, kRadius);
    if (!offering)
        return;
    const double left = 1.0 - std::min(1.0, double(shownFor.elapsed()) / duration);
    const int lineWidth = int((width() - 2 * kRadius) * left);
    painter.setBrush(kCountdown);
    painter.drawRoundedRect(QRect(kRadius, height() - kCountdownHeight - 4, lineWidth, kCountdownHeight),
                            kCountdownHeight / 2.0, kCountdownHeight / 2.0);
}
