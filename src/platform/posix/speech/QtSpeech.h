#pragma once

#include "platform/Speech.h"

#include <QPointer>

#include <string>

class QTextToSpeech;

namespace platform {

// Speaks through Qt TextToSpeech: the speech-dispatcher voice (espeak-ng, which speaks the
// launcher's languages) where it answers, else the flite voice (English only). The engine
// is made at the first word, in the GUI thread, and kept.
class QtSpeech : public Speech
{
public:
    bool say(const std::u16string &text, const std::string &language) override;
    void stop() override;

private:
    QTextToSpeech *voice();
    void useLanguage(const std::string &language);

    // Owned by the application object, as the sound player is.
    QPointer<QTextToSpeech> engine;
    bool failed = false;
    std::string currentLanguage;
};

} // namespace platform
