#include "NoticeBubble.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr int kPointer = 22;      // how far the pointer reaches out towards the widget
constexpr int kPadding = 22;      // between the bubble's edge and its contents
constexpr int kSign = 44;         // the round "!" sign before the text
constexpr int kRadius = 18;
constexpr int kBorder = 3;
constexpr int kGap = 6;           // between the pointer's tip and the widget
constexpr int kMaxTextWidth = 380;

const QColor kBorderColour(150, 104, 0);
const QColor kSignColour(214, 120, 0);
const QColor kTextColour(32, 32, 32);

} // namespace

NoticeBubble::NoticeBubble(QWidget *anchor, const QRect &anchorBox, const QString &text, const QFont &font,
                           int milliseconds)
    : QWidget(anchor->parentWidget()), anchor(anchor), shownText(text), textFont(font)
{
    setAttribute(Qt::WA_TranslucentBackground);
    anchor->installEventFilter(this);
    placeBeside(anchorBox);
    lifetime.setSingleShot(true);
    connect(&lifetime, &QTimer::timeout, this, &QObject::deleteLater);
    lifetime.start(std::max(0, milliseconds));
    show();
    raise();
}

QColor NoticeBubble::fillColour()
{
    return QColor(255, 244, 196);
}

// The text wraps at a width that keeps lines short enough to read at a glance; the bubble
// goes to the right of the widget when there is room, else to its left, and never leaves
// the page.
void NoticeBubble::placeBeside(const QRect &anchorBox)
{
    const QWidget *page = parentWidget();
    const int pageWidth = page ? page->width() : anchorBox.right() + 1;
    const int pageHeight = page ? page->height() : anchorBox.bottom() + 1;
    const QFontMetrics metrics(textFont);
    const int textWidth = std::max(1, std::min(kMaxTextWidth, pageWidth / 2));
    QRect textRect = metrics.boundingRect(QRect(0, 0, textWidth, 10000), Qt::TextWordWrap, shownText);
    // A word wider than the bubble (a path, say) is broken where it must be.
    if (textRect.width() > textWidth) {
        wrap = Qt::TextWrapAnywhere;
        textRect = metrics.boundingRect(QRect(0, 0, textWidth, 10000), wrap, shownText);
    }
    const int width = kPointer + 2 * kPadding + kSign + kPadding + textRect.width();
    // A text longer than the page is cut at the page's foot rather than run off the screen.
    const int height = std::min(std::max(kSign, textRect.height()) + 2 * kPadding, std::max(kSign, pageHeight));
    onRight = anchorBox.right() + kGap + width <= pageWidth || anchorBox.left() - kGap - width < 0;
    const int x = onRight ? anchorBox.right() + 1 + kGap : anchorBox.left() - kGap - width;
    const int centre = anchorBox.center().y();
    const int y = std::clamp(centre - height / 2, 0, std::max(0, pageHeight - height));
    setGeometry(std::max(0, x), y, width, height);
    pointerY = std::clamp(centre - y, kRadius + kPointer / 2, std::max(kRadius + kPointer / 2, height - kRadius - kPointer / 2));
}

QRect NoticeBubble::textBox() const
{
    const int left = (onRight ? kPointer : 0) + kPadding + kSign + kPadding;
    const int right = (onRight ? 0 : kPointer) + kPadding;
    return QRect(left, kPadding, width() - left - right, height() - 2 * kPadding);
}

void NoticeBubble::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(onRight ? kPointer : 0, 0, onRight ? 0 : -kPointer, 0)
                            .adjusted(kBorder / 2.0, kBorder / 2.0, -kBorder / 2.0, -kBorder / 2.0);
    QPainterPath shape;
    shape.addRoundedRect(body, kRadius, kRadius);
    QPolygonF pointer;
    const qreal edge = onRight ? body.left() + 1 : body.right() - 1;
    const qreal tip = onRight ? kBorder / 2.0 : width() - kBorder / 2.0;
    pointer << QPointF(edge, pointerY - kPointer / 2.0) << QPointF(tip, pointerY)
            << QPointF(edge, pointerY + kPointer / 2.0);
    QPainterPath arrow;
    arrow.addPolygon(pointer);
    arrow.closeSubpath();
    shape = shape.united(arrow);
    painter.setPen(QPen(kBorderColour, kBorder));
    painter.setBrush(fillColour());
    painter.drawPath(shape);

    const QRect box = textBox();
    const QRect sign(box.left() - kPadding - kSign, box.center().y() - kSign / 2, kSign, kSign);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSignColour);
    painter.drawEllipse(sign);
    QFont signFont = textFont;
    signFont.setBold(true);
    signFont.setPixelSize(kSign * 2 / 3);
    painter.setFont(signFont);
    painter.setPen(Qt::white);
    painter.drawText(sign, Qt::AlignCenter, QStringLiteral("!"));

    painter.setFont(textFont);
    painter.setPen(kTextColour);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | wrap, shownText);
}

void NoticeBubble::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    deleteLater();
}

// Beside an icon that is no longer on the screen (another page shown), the sentence would
// point at nothing.
bool NoticeBubble::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == anchor && event->type() == QEvent::Hide) {
        hide();
        deleteLater();
    }
    return false;
}
