#pragma once

#include "platform/InstanceLock.h"
#include "platform/WindowMessages.h"

#include <QStringList>

// The lock a running launcher holds from its start to its end, and its window as a second
// start found it.
extern platform::MutexHandle instanceMutex;
extern platform::WindowHandle previousInstanceWindow;

// "--close" as the last argument: ends every running launcher. Answers true when the switch
// was given; the exit code is then 0, or 2 when a launcher did not go away in time.
bool handleCloseSwitch(const QStringList &arguments, int *exitCode);

// True when this is the only launcher. Otherwise hands over to the running one (which
// restores its window when IS_FIRST_RUN is 0) and answers false.
bool acquireSingleInstance();

// The name of the lock and of the registered message that a first start and a second one share.
std::u16string instanceName();
