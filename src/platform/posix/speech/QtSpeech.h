#pragma once

#include "platform/Speech.h"

#include <atomic>
#include <memory>
#include <string>

class QObject;
class QThread;

namespace platform {

// Speaks through Qt TextToSpeech: the speech-dispatcher voice (espeak-ng, which speaks the
// launcher's languages) where it answers, else the flite voice (English only).
//
// Everything runs on a thread of its own: making the engine connects to speech-dispatcher,
// which starts the service first where it is not running and may take seconds, and the
// window must go on painting and taking keys meanwhile. Names asked for while the engine
// is being made are not queued up: only the last one is said.
class QtSpeech : public Speech
{
public:
    QtSpeech();
    ~QtSpeech() override;
    QtSpeech(const QtSpeech &) = delete;
    QtSpeech &operator=(const QtSpeech &) = delete;

    // True until the engine is known to be missing.
    bool say(const std::u16string &text, const std::string &language) override;
    void stop() override;

    // What the speech thread and this object share; the thread may outlive the object.
    struct Shared
    {
        std::atomic<bool> failed{false};
        std::atomic<unsigned> latest{0};
    };

private:
    std::shared_ptr<Shared> shared;
    QThread *thread;
    QObject *voice;
};

} // namespace platform
