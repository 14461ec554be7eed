#pragma once

#include <QStringList>

class SettingStore;

// Every value a save writes, in the order it writes them: two stores with equal lists save alike.
QStringList writtenValues(const SettingStore &store);
