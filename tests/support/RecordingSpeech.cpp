#include "RecordingSpeech.h"

#include "platform/Platform.h"

RecordingSpeech::RecordingSpeech()
    : previous(&platform::speech())
{
    platform::useSpeech(this);
}

RecordingSpeech::~RecordingSpeech()
{
    platform::useSpeech(previous);
}

bool RecordingSpeech::say(const std::u16string &text, const std::string &language)
{
    calls.append(QStringLiteral("say %1: %2").arg(QString::fromStdString(language), QString::fromStdU16String(text)));
    return !fail;
}

void RecordingSpeech::stop()
{
    calls.append(QStringLiteral("stop"));
}

QStringList RecordingSpeech::said() const
{
    QStringList texts;
    for (const QString &call : calls) {
        if (call.startsWith(QLatin1String("say ")))
            texts.append(call.mid(call.indexOf(QLatin1String(": ")) + 2));
    }
    return texts;
}
