#pragma once

#include "platform/TargetLookup.h"

namespace platform {

// Looks the way the POSIX shell backend starts and opens: a program counts when exec could
// run it (a plain file this user may execute), a document or folder when it is there.
class PosixTargetLookup : public TargetLookup
{
public:
    bool programExists(const std::u16string &program) override;
    bool documentExists(const std::u16string &file, const std::u16string &directory) override;
};

} // namespace platform
