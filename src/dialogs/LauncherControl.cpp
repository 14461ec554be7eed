#include "LauncherControl.h"

LauncherControl *theLauncher = nullptr;
