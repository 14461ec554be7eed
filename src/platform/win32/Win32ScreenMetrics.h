#pragma once

#include "platform/ScreenMetrics.h"

namespace platform {

// GetSystemMetrics itself: Windows reads the values anew at every call.
class Win32ScreenMetrics : public ScreenMetrics
{
public:
    int systemMetric(int index) override;
};

} // namespace platform
