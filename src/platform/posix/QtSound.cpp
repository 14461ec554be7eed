#include "QtSound.h"

namespace platform {

// First version: silent; the Qt Multimedia backend replaces it.
bool QtSound::play(const std::u16string &)
{
    return false;
}

void QtSound::stop()
{
}

} // namespace platform
