#pragma once

#include "platform/Speech.h"

#include <memory>

namespace platform {

// Speech through the speech module beside the executable (liblumbraspeech.so), loaded at
// the first word. Without the module the launcher stays silent and says so once.
class ModuleSpeech : public Speech
{
public:
    ~ModuleSpeech() override;

    bool say(const std::u16string &text, const std::string &language) override;
    void stop() override;

private:
    Speech *voice();

    std::unique_ptr<Speech> loaded;
    bool tried = false;
};

} // namespace platform
