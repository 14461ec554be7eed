#pragma once

#include <QStringList>

// The caregiver lock's maintenance switches, looked for like the others: the last argument,
// compared exactly. PINs are read from standard input, one a line, without echo on a
// terminal, and never written anywhere. Errors go to stderr, with the exit code
// kExitSwitchFailed.

// "--setPin": reads the new PIN twice and stores its hash in LOCK_PIN of the current
// language's tree. When a PIN is already set it is asked for first.
bool handleSetPinSwitch(const QStringList &arguments, int *exitCode);
// "--clearPin": reads the PIN and, when it is right, removes the lock.
bool handleClearPinSwitch(const QStringList &arguments, int *exitCode);

bool isPinSwitch(const QStringList &arguments);
