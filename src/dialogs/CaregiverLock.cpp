#include "CaregiverLock.h"

#include "PinPadDialog.h"
#include "settings/LockPinStore.h"

#include <QDialog>

#include <algorithm>

namespace {

constexpr int kLongestWaitSeconds = 30;

// The count of this process, for a store that cannot keep it.
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

// Every locked action asks alike; the action is named for the callers' readers.
bool CaregiverLock::allow(Action /*action*/, QWidget *parent)
{
    const QString stored = LockPinStore::read();
    if (stored.isEmpty())
        return true;
    PinPadDialog pad(stored, parent);
    return pad.exec() == QDialog::Accepted;
}

int CaregiverLock::waitSecondsAfter(int wrongTries)
{
    return std::clamp(wrongTries - 1, 0, kLongestWaitSeconds);
}

int CaregiverLock::wrongTries()
{
    return std::max(wrongTriesInARow(), LockPinStore::wrongTries());
}

void CaregiverLock::countWrongTry()
{
    // Past the longest wait the count only needs to stay there.
    const int tries = std::min(wrongTries() + 1, kLongestWaitSeconds + 1);
    wrongTriesInARow() = tries;
    LockPinStore::writeWrongTries(tries);
}

void CaregiverLock::countRightTry()
{
    wrongTriesInARow() = 0;
    LockPinStore::writeWrongTries(0);
}
