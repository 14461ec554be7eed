#pragma once

#include <QByteArray>
#include <QString>

// Writes `bytes` as the whole file at `path` (in a folder that exists); `executable` lets its
// owner run it. False when any of it failed.
bool writeFile(const QString &path, const QByteArray &bytes, bool executable = false);

// The whole file at `path`, or "<missing>" when it cannot be read.
QByteArray fileBytes(const QString &path);
