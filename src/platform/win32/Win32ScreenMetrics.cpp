#include "Win32ScreenMetrics.h"

#include <windows.h>

namespace platform {

int Win32ScreenMetrics::systemMetric(int index)
{
    return GetSystemMetrics(index);
}

} // namespace platform
