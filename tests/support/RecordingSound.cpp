#include "RecordingSound.h"

#include "platform/Platform.h"

RecordingSound::RecordingSound()
    : previous(&platform::sound())
{
    platform::useSound(this);
}

RecordingSound::~RecordingSound()
{
    platform::useSound(previous);
}

bool RecordingSound::play(const std::u16string &path)
{
    calls.append(QStringLiteral("play ") + QString::fromStdU16String(path));
    playing = !fail;
    return !fail;
}

void RecordingSound::stop()
{
    calls.append(QStringLiteral("stop"));
    playing = false;
}
