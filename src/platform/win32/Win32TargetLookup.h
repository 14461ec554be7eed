#pragma once

#include "platform/TargetLookup.h"

namespace platform {

// SearchPathW for bare program names (the folders CreateProcessW itself searches, with .exe
// added when the name has no extension), GetFileAttributesW for paths.
class Win32TargetLookup : public TargetLookup
{
public:
    bool programExists(const std::u16string &program) override;
    bool documentExists(const std::u16string &file, const std::u16string &directory) override;
};

} // namespace platform
