#include "TestWidgets.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QWidget>

const QStringList kLanguageCodes = {
    QStringLiteral("AR"), QStringLiteral("BR"), QStringLiteral("CN"), QStringLiteral("CS"), QStringLiteral("DA"),
    QStringLiteral("DE"), QStringLiteral("EL"), QStringLiteral("ES"), QStringLiteral("FI"), QStringLiteral("FR"),
    QStringLiteral("HK"), QStringLiteral("HU"), QStringLiteral("IT"), QStringLiteral("JA"), QStringLiteral("KO"),
    QStringLiteral("NL"), QStringLiteral("NO"), QStringLiteral("PL"), QStringLiteral("PT"), QStringLiteral("RU"),
    QStringLiteral("SK"), QStringLiteral("SV"), QStringLiteral("TH"), QStringLiteral("TR"), QStringLiteral("TW"),
    QStringLiteral("EN")};

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
