#pragma once

#include "platform/TargetLookup.h"

#include <QSet>
#include <QString>
#include <QStringList>

// Answers whether programs and documents exist from a list instead of the disk, and records
// what it was asked; installed as the process's lookup for the lifetime of the object.
// Everything exists unless it is listed in `missing` (the target exactly as asked).
class RecordingTargets : public platform::TargetLookup
{
public:
    RecordingTargets();
    ~RecordingTargets() override;
    RecordingTargets(const RecordingTargets &) = delete;
    RecordingTargets &operator=(const RecordingTargets &) = delete;

    bool programExists(const std::u16string &program) override;
    bool documentExists(const std::u16string &file, const std::u16string &directory) override;

    QSet<QString> missing;
    QStringList programsAsked;
    QStringList documentsAsked;

private:
    platform::TargetLookup *previous;
};
