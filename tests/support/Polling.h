#pragma once

#include <QDeadlineTimer>
#include <QTest>

#include <functional>

// Asks `ready` every tenth of a second until it says yes or `timeoutMs` have passed; the
// test's own events go on meanwhile (a launcher's output is read as it comes).
inline bool pollUntil(const std::function<bool()> &ready, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (ready())
            return true;
        QTest::qWait(100);
    }
    return false;
}
