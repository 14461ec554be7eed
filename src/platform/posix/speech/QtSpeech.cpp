#include "QtSpeech.h"

#include "platform/CodeUnits.h"

#include <QLocale>
#include <QObject>
#include <QStringList>
#include <QTextToSpeech>
#include <QThread>
#include <QVoice>

#include <cstdio>

namespace platform {

namespace {

// How long the launcher waits at its end for the speech thread; one still making its engine
// is left to the end of the process.
constexpr unsigned long kStopWaitMs = 2000;

void reportSilence(const QString &reason)
{
    std::fprintf(stderr, "lumbra: names are not spoken: %s\n", reason.toLocal8Bit().constData());
}

// LUMBRA_SPEECH_ENGINE names one engine to use (for measuring one against the other);
// otherwise speech-dispatcher comes first, as it has voices for every language.
QStringList enginesToTry()
{
    const QString chosen = qEnvironmentVariable("LUMBRA_SPEECH_ENGINE");
    if (!chosen.isEmpty())
        return {chosen};
    QStringList engines;
    const QStringList available = QTextToSpeech::availableEngines();
    for (const QString &preferred : {QStringLiteral("speechd"), QStringLiteral("flite")}) {
        if (available.contains(preferred))
            engines.append(preferred);
    }
    for (const QString &other : available) {
        if (!engines.contains(other))
            engines.append(other);
    }
    return engines;
}

// The voice's locale nearest the language: the same language and country, else the same
// language; the C locale when the engine has no voice for it.
QLocale nearestLocale(const QList<QLocale> &available, const QLocale &wanted)
{
    QLocale sameLanguage(QLocale::C);
    for (const QLocale &locale : available) {
        if (locale.language() != wanted.language())
            continue;
        if (locale.territory() == wanted.territory())
            return locale;
        if (sameLanguage.language() == QLocale::C)
            sameLanguage = locale;
    }
    return sameLanguage;
}

// Lives on the speech thread with the engine it makes at the first word.
class Voice : public QObject
{
public:
    explicit Voice(std::shared_ptr<QtSpeech::Shared> shared)
        : shared(std::move(shared))
    {
    }

    void say(const QString &text, const QString &language, unsigned generation)
    {
        // A later name was asked for while this one waited: it alone is said.
        if (generation != shared->latest.load() || !engine())
            return;
        // Making the engine may take seconds: a name asked for meanwhile is said instead.
        if (generation != shared->latest.load())
            return;
        useLanguage(language);
        speech->stop();
        if (!text.isEmpty())
            speech->say(text);
    }

    void stop()
    {
        if (speech)
            speech->stop();
    }

private:
    QTextToSpeech *engine()
    {
        if (speech || shared->failed.load())
            return speech;
        QStringList refusals;
        for (const QString &name : enginesToTry()) {
            auto *candidate = new QTextToSpeech(name, this);
            if (candidate->state() != QTextToSpeech::Error && !candidate->availableLocales().isEmpty()) {
                speech = candidate;
                return speech;
            }
            refusals.append(name + QStringLiteral(" (") + candidate->errorString() + u')');
            delete candidate;
        }
        shared->failed.store(true);
        reportSilence(refusals.isEmpty() ? QStringLiteral("no speech engine is installed")
                                         : QStringLiteral("no engine answers: ") + refusals.join(QStringLiteral(", ")));
        return nullptr;
    }

    void useLanguage(const QString &language)
    {
        if (language == currentLanguage)
            return;
        currentLanguage = language;
        const QLocale wanted(language);
        // The engine's own voice is kept where it speaks the language: choosing by locale may
        // land on another voice of it, and speech-dispatcher lists its silent "dummy" module's
        // English voice beside the real ones.
        if (speech->locale().language() != wanted.language()) {
            const QLocale nearest = nearestLocale(speech->availableLocales(), wanted);
            // Without a voice for the language the engine's own voice reads the name: a name
            // read with the wrong accent still tells more than silence.
            if (nearest.language() != QLocale::C)
                speech->setLocale(nearest);
        }
        avoidSilentVoice();
    }

    void avoidSilentVoice()
    {
        if (!speech->voice().name().contains(QLatin1String("dummy"), Qt::CaseInsensitive))
            return;
        const QList<QVoice> voices = speech->availableVoices();
        for (const QVoice &voice : voices) {
            if (!voice.name().contains(QLatin1String("dummy"), Qt::CaseInsensitive)) {
                speech->setVoice(voice);
                return;
            }
        }
    }

    std::shared_ptr<QtSpeech::Shared> shared;
    QTextToSpeech *speech = nullptr;
    QString currentLanguage;
};

} // namespace

QtSpeech::QtSpeech()
    : shared(std::make_shared<Shared>()), thread(new QThread), voice(new Voice(shared))
{
    thread->setObjectName(QStringLiteral("lumbra speech"));
    voice->moveToThread(thread);
    // The voice and its engine end with the thread's event loop, on the thread they live on.
    QObject::connect(thread, &QThread::finished, voice, [voice = voice] { delete voice; }, Qt::DirectConnection);
    thread->start();
}

QtSpeech::~QtSpeech()
{
    thread->quit();
    if (thread->wait(kStopWaitMs))
        delete thread;
}

bool QtSpeech::say(const std::u16string &text, const std::string &language)
{
    if (shared->failed.load())
        return false;
    const unsigned generation = ++shared->latest;
    auto *target = static_cast<Voice *>(voice);
    QMetaObject::invokeMethod(
        voice,
        [target, text = fromCodeUnits(text), language = QString::fromStdString(language), generation] {
            target->say(text, language, generation);
        },
        Qt::QueuedConnection);
    return true;
}

void QtSpeech::stop()
{
    ++shared->latest;
    auto *target = static_cast<Voice *>(voice);
    QMetaObject::invokeMethod(voice, [target] { target->stop(); }, Qt::QueuedConnection);
}

} // namespace platform
