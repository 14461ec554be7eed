#pragma once

#include "platform/Speech.h"

#include <string>

struct ISpVoice;

namespace platform {

// SAPI's ISpVoice, the voice every Windows has: speaking asynchronously, a new text purging
// the one before it. The voice is made at the first word, on the thread that speaks (the GUI
// thread), and chosen by language among the installed voices; with no voice for the
// language the system's default voice speaks, and with none at all say() answers false.
class Win32Speech : public Speech
{
public:
    Win32Speech() = default;
    Win32Speech(const Win32Speech &) = delete;
    Win32Speech &operator=(const Win32Speech &) = delete;
    ~Win32Speech() override;

    bool say(const std::u16string &text, const std::string &language) override;
    void stop() override;

private:
    bool ensureVoice();
    void chooseVoice(const std::string &language);

    ISpVoice *voice = nullptr;
    bool comStarted = false;
    bool unavailable = false;
    std::string chosenLanguage;
};

} // namespace platform
