#include "PressableLabel.h"

#include "FaceRecipes.h"
#include "settings/SettingStore.h"

#include <QMouseEvent>
#include <QPointer>

#include <algorithm>
#include <cstdio>

namespace {

// A timer started with a negative interval never fires; a broken setting must not leave a
// label blocked or grown for good.
int timerInterval(int settingId)
{
    return std::max(0, theSettings.getInt(settingId));
}

} // namespace

PressableLabel::PressableLabel()
{
    connect(this, &PressableLabel::mouseclicked_signal, &clickTimer, qOverload<int>(&QTimer::start));
    connect(&clickTimer, &QTimer::timeout, this, &PressableLabel::disableTimer);
}

void PressableLabel::startClickBlock()
{
    emit mouseclicked_signal(timerInterval(IntSetting::ICON_DISABLE_CLICK_TIMER));
    clickBlocked = true;
}

void PressableLabel::growStep()
{
    ++growCount;
    const QSize size = faceSize();
    setGeometry(grownGeometry(geometry(), size.width(), size.height(),
                              theSettings.getInt(IntSetting::ICON_EFFICACY_PIXEL), growCount));
    showGrowingFace();
    animating = true;
    emit button_special_efficacy_signal(timerInterval(IntSetting::ICON_EFFICACY_INTERVAL));
}

void PressableLabel::disableTimer()
{
    std::fputs("timer disable\n", stderr);
    clickTimer.stop();
    clickBlocked = false;
}

void PressableLabel::button_special_efficacy_disableTimer()
{
    if (growCount <= theSettings.getInt(IntSetting::ICON_EFFICACY_COUNTER)) {
        growStep();
        return;
    }
    showRestingFace(inside || selected);
    const QPoint cell = gridCell(position);
    const QSize size = faceSize();
    setGeometry(cell.x(), cell.y(), size.width(), size.height());
    growCount = 0;
    pressed = false;
    inside = false;
    growTimer.stop();
    animating = false;
}

bool PressableLabel::hits(const QPoint &point) const
{
    const QSize size = faceSize();
    return point.x() >= 0 && point.x() <= size.width() && point.y() >= 0 && point.y() <= size.height();
}

void PressableLabel::activateAndBlock()
{
    const QPointer<PressableLabel> self(this);
    emit activated();
    if (self)
        startClickBlock();
}

void PressableLabel::mousePressEvent(QMouseEvent *event)
{
    if (clickBlocked)
        return;
    if (!inside && !hits(event->position().toPoint()))
        return;
    inside = true;
    pressed = true;
    if (!noFeedback)
        showPressedFace();
}
