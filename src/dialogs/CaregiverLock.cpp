#include "CaregiverLock.h"

#include "PinPadDialog.h"
#include "settings/LockPinStore.h"

#include <QDialog>

#include <algorithm>

namespace {

constexpr int kLongestWaitSeconds = 30;

CaregiverLock::Asker &testAsker()
{
    static CaregiverLock::Asker asker;
    return asker;
}

int &wrongTriesInARow()
{
    static int tries = 0;
    return tries;
}

} // namespace

bool CaregiverLock::isLocked()
{
    return !LockPinStore::read().isEmpty();
}

bool CaregiverLock::allow(Action action, QWidget *parent)
{
    const QString stored = LockPinStore::read();
    if (stored.isEmpty())
        return true;
    if (testAsker())
        return testAsker()(action);
    PinPadDialog pad(stored, parent);
    return pad.exec() == QDialog::Accepted;
}

int CaregiverLock::waitSecondsAfter(int wrongTries)
{
    return std::clamp(wrongTries - 1, 0, kLongestWaitSeconds);
}

int CaregiverLock::wrongTries()
{
    return wrongTriesInARow();
}

void CaregiverLock::countWrongTry()
{
    int &tries = wrongTriesInARow();
    // Past the longest wait the count only needs to stay there.
    tries = std::min(tries + 1, kLongestWaitSeconds + 1);
}

void CaregiverLock::countRightTry()
{
    wrongTriesInARow() = 0;
}

void CaregiverLock::useAsker(Asker asker)
{
    testAsker() = std::move(asker);
}
