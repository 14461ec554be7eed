#include "Win32Sound.h"

#include "Win32Text.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

namespace platform {

namespace {

// "RIFF", a size, "WAVE": the header every WAV file begins with.
bool isWaveFile(const std::u16string &path)
{
    if (path.empty() || holdsNul(path))
        return false;
    HANDLE file = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char header[12] = {};
    DWORD read = 0;
    const bool whole = ReadFile(file, header, sizeof header, &read, nullptr) && read == sizeof header;
    CloseHandle(file);
    return whole && std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0;
}

} // namespace

bool Win32Sound::play(const std::u16string &path)
{
    if (!isWaveFile(path)) {
        stop();
        return false;
    }
    return PlaySoundW(wide(path), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT) != FALSE;
}

void Win32Sound::stop()
{
    PlaySoundW(nullptr, nullptr, 0);
}

} // namespace platform
