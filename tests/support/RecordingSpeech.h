#pragma once

#include "platform/Speech.h"

#include <QStringList>

// Remembers what would have been said; installed as the process's speech backend for the
// lifetime of the object. Tests never speak aloud.
class RecordingSpeech : public platform::Speech
{
public:
    RecordingSpeech();
    ~RecordingSpeech() override;
    RecordingSpeech(const RecordingSpeech &) = delete;
    RecordingSpeech &operator=(const RecordingSpeech &) = delete;

    bool say(const std::u16string &text, const std::string &language) override;
    void stop() override;

    // Every call in order: "say LANGUAGE: TEXT" or "stop".
    QStringList calls;
    // Only the texts said, in order.
    QStringList said() const;
    // Says are still recorded and answered false, as with no speech engine.
    bool fail = false;

private:
    platform::Speech *previous;
};
