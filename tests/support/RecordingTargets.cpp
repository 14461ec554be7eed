#include "RecordingTargets.h"

#include "platform/Platform.h"

RecordingTargets::RecordingTargets()
    : previous(&platform::targets())
{
    platform::useTargets(this);
}

RecordingTargets::~RecordingTargets()
{
    platform::useTargets(previous);
}

bool RecordingTargets::programExists(const std::u16string &program)
{
    const QString name = QString::fromStdU16String(program);
    programsAsked.append(name);
    return !missing.contains(name);
}

bool RecordingTargets::documentExists(const std::u16string &file, const std::u16string &)
{
    const QString name = QString::fromStdU16String(file);
    documentsAsked.append(name);
    return !missing.contains(name);
}
