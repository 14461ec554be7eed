#include "TestWidgets.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

const QStringList kLanguageCodes =
    QStringLiteral("AR BR CN CS DA DE EL ES FI FR HK HU IT JA KO NL NO PL PT RU SK SV TH TR TW EN").split(u' ');

QFont dejaVuPixels(int pixels, QFont::Weight weight)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

void sendEnter(QWidget *widget)
{
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(widget->mapToGlobal(QPoint(5, 5))));
    QCoreApplication::sendEvent(widget, &event);
}

void sendLeave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
}

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(at), QPointF(widget->mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}
