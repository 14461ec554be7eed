#pragma once

#include "platform/ScreenMetrics.h"

namespace platform {

// user32's screen metrics answered from the primary QScreen. The launcher window is
// frameless, so there is no caption: the full-screen area is the whole work area.
class QtScreenMetrics : public ScreenMetrics
{
public:
    int systemMetric(int index) override;
};

} // namespace platform
