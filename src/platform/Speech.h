#pragma once

#include <string>

namespace platform {

// A voice that reads names aloud, for people who cannot read them on the screen.
class Speech
{
public:
    virtual ~Speech() = default;

    // Says `text` in `language` (a language tag such as "en", "de" or "pt-BR"), cutting off
    // what was being said. False when there is no voice; the launcher then stays silent.
    virtual bool say(const std::u16string &text, const std::string &language) = 0;
    // Stops speaking at once; nothing when nothing is being said.
    virtual void stop() = 0;
};

} // namespace platform
