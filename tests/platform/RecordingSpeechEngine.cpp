// A speech engine for the speech backend's test: it is silent, and writes down each name it
// is asked to say with the locale and voice in effect at that moment ("Web en_GB alan"), and
// each stop ("stop"), a line each in the file "heard" of LUMBRA_TEST_SPEECH_DIR.
//
// LUMBRA_TEST_VOICES lists its voices, "NAME:LOCALE NAME:LOCALE ...", its own one marked "*"
// (else the first). While it is being made it leaves a file "making" in that folder and
// waits until the test removes it, so that the test can ask for names in that time.

#include <QDeadlineTimer>
#include <QFile>
#include <QTextToSpeechEngine>
#include <QTextToSpeechPlugin>
#include <QThread>
#include <QVoice>

namespace {

class RecordingSpeechEngine : public QTextToSpeechEngine
{
    Q_OBJECT

public:
    explicit RecordingSpeechEngine(QObject *parent)
        : QTextToSpeechEngine(parent),
          folder(qEnvironmentVariable("LUMBRA_TEST_SPEECH_DIR"))
    {
        const QStringList entries = qEnvironmentVariable("LUMBRA_TEST_VOICES").split(u' ', Qt::SkipEmptyParts);
        for (const QString &entry : entries) {
            const QString name = entry.section(u':', 0, 0).remove(u'*');
            voices.append(createVoice(name, QLocale(entry.section(u':', 1)), QVoice::Unknown, QVoice::Other, name));
            if (entry.startsWith(u'*') || voices.size() == 1)
                current = voices.last();
        }
        waitWhileMade();
    }

    QList<QLocale> availableLocales() const override
    {
        QList<QLocale> locales;
        for (const QVoice &voice : voices) {
            if (!locales.contains(voice.locale()))
                locales.append(voice.locale());
        }
        return locales;
    }
    // As the real engines do, the voices of the locale in use.
    QList<QVoice> availableVoices() const override
    {
        QList<QVoice> same;
        for (const QVoice &voice : voices) {
            if (voice.locale() == current.locale())
                same.append(voice);
        }
        return same;
    }
    void say(const QString &text) override { record(text + u' ' + current.locale().name() + u' ' + current.name()); }
    void stop(QTextToSpeech::BoundaryHint) override { record(QStringLiteral("stop")); }
    void pause(QTextToSpeech::BoundaryHint) override {}
    void resume() override {}
    double rate() const override { return 0; }
    bool setRate(double) override { return false; }
    double pitch() const override { return 0; }
    bool setPitch(double) override { return false; }
    double volume() const override { return 1; }
    bool setVolume(double) override { return false; }
    QLocale locale() const override { return current.locale(); }
    // The first voice of the locale, as speech-dispatcher takes it.
    bool setLocale(const QLocale &locale) override
    {
        for (const QVoice &voice : voices) {
            if (voice.locale() == locale)
                return setVoice(voice);
        }
        return false;
    }
    QVoice voice() const override { return current; }
    bool setVoice(const QVoice &voice) override
    {
        current = voice;
        return true;
    }
    // Without voices it has no locales, and the backend turns it down for that.
    QTextToSpeech::State state() const override { return QTextToSpeech::Ready; }
    QTextToSpeech::ErrorReason errorReason() const override { return QTextToSpeech::ErrorReason::NoError; }
    QString errorString() const override { return QString(); }

private:
    // Bounded, so that a test that failed meanwhile does not leave the thread waiting.
    void waitWhileMade()
    {
        QFile making(folder + QStringLiteral("/making"));
        if (folder.isEmpty() || !making.open(QIODevice::WriteOnly))
            return;
        making.close();
        const QDeadlineTimer bound(60000);
        while (making.exists() && !bound.hasExpired())
            QThread::msleep(5);
    }

    void record(const QString &line)
    {
        QFile heard(folder + QStringLiteral("/heard"));
        if (!folder.isEmpty() && heard.open(QIODevice::Append))
            heard.write(line.toUtf8() + '\n');
    }

    const QString folder;
    QList<QVoice> voices;
    QVoice current;
};

class RecordingSpeechPlugin : public QObject, public QTextToSpeechPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.qt.speech.tts.plugin/6.0" FILE "RecordingSpeechEngine.json")
    Q_INTERFACES(QTextToSpeechPlugin)

public:
    QTextToSpeechEngine *createTextToSpeechEngine(const QVariantMap &, QObject *parent, QString *) const override
    {
        return new RecordingSpeechEngine(parent);
    }
};

} // namespace

#include "RecordingSpeechEngine.moc"
