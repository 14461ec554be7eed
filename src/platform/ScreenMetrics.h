#pragma once

namespace platform {

// GetSystemMetrics indexes the launcher asks for.
constexpr int kSmCyCaption = 4;
constexpr int kSmCxFullScreen = 16;
constexpr int kSmCyFullScreen = 17;

// The user32 screen metrics, read anew at every call so that a change of resolution shows.
class ScreenMetrics
{
public:
    virtual ~ScreenMetrics() = default;
    // GetSystemMetrics: 0 for an index it does not know.
    virtual int systemMetric(int index) = 0;
};

} // namespace platform
