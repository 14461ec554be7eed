#include "QtScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

namespace {

constexpr int kCaptionHeight = 0;

// Screens exist only while a QGuiApplication does; before it, or when the last screen
// has gone away, there is nothing to measure.
QScreen *primaryScreen()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::primaryScreen();
}

} // namespace

int QtScreenMetrics::systemMetric(int index)
{
    const QScreen *screen = primaryScreen();
    if (!screen)
        return 0;
    switch (index) {
    case kSmCxFullScreen:
        return screen->availableGeometry().width();
    case kSmCyFullScreen:
        return screen->availableGeometry().height() - kCaptionHeight;
    case kSmCyCaption:
        return kCaptionHeight;
    default:
        return 0;
    }
}

} // namespace platform
