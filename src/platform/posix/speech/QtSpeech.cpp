#include "QtSpeech.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>
#include <QTextToSpeech>

#include <cstdio>

namespace platform {

namespace {

void reportSilence(const QString &reason)
{
    std::fprintf(stderr, "lumbra: names are not spoken: %s\n", reason.toLocal8Bit().constData());
    std::fflush(stderr);
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
// language; an invalid locale when the engine has no voice for it.
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

} // namespace

QTextToSpeech *QtSpeech::voice()
{
    if (engine || failed)
        return engine;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application) {
        failed = true;
        return nullptr;
    }
    QStringList refusals;
    for (const QString &name : enginesToTry()) {
        auto *candidate = new QTextToSpeech(name, application);
        if (candidate->state() != QTextToSpeech::Error && !candidate->availableLocales().isEmpty()) {
            engine = candidate;
            return engine;
        }
        refusals.append(name + QStringLiteral(" (") + candidate->errorString() + u')');
        delete candidate;
    }
    failed = true;
    reportSilence(refusals.isEmpty() ? QStringLiteral("no speech engine is installed")
                                     : QStringLiteral("no engine answers: ") + refusals.join(QStringLiteral(", ")));
    return nullptr;
}

void QtSpeech::useLanguage(const std::string &language)
{
    if (language == currentLanguage)
        return;
    currentLanguage = language;
    const QLocale wanted(QString::fromStdString(language));
    const QLocale nearest = nearestLocale(engine->availableLocales(), wanted);
    // Without a voice for the language the engine's own voice reads the name: a name read
    // with the wrong accent still tells more than silence.
    if (nearest.language() != QLocale::C && nearest != engine->locale())
        engine->setLocale(nearest);
}

bool QtSpeech::say(const std::u16string &text, const std::string &language)
{
    QTextToSpeech *speech = voice();
    if (!speech)
        return false;
    useLanguage(language);
    speech->stop();
    if (text.empty())
        return true;
    speech->say(QString::fromStdU16String(text));
    return speech->state() != QTextToSpeech::Error;
}

void QtSpeech::stop()
{
    if (engine)
        engine->stop();
}

} // namespace platform
