// The voice as the launcher uses it, on whatever this machine has for speech (often
// nothing): without an engine it stays silent, says so once, and never blocks or crashes;
// the engine is made on a thread of its own, so the caller is never held up.

#include "ScopedVariable.h"
#include "TestPlatform.h"
#include "platform/posix/speech/QtSpeech.h"

#include <QGuiApplication>
#include <QTest>

class tst_QtSpeech : public QObject
{
    Q_OBJECT

private slots:
    void noEngineIsSilentAndSaysSoOnce_data();
    void noEngineIsSilentAndSaysSoOnce();
    void endsWhileTheEngineIsBeingMade();
};

void tst_QtSpeech::noEngineIsSilentAndSaysSoOnce_data()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("no such engine") << "no-such-engine";
    QTest::newRow("a name with a path in it") << "../../../tmp/evil";
}

void tst_QtSpeech::noEngineIsSilentAndSaysSoOnce()
{
    QFETCH(QString, engine);
    const ScopedVariable chosen("LUMBRA_SPEECH_ENGINE", engine.toUtf8());
    StderrCapture capture;
    {
        platform::QtSpeech speech;
        // The engine is made at the first word: until then words are taken.
        QVERIFY(speech.say(u"Web", "en"));
        QTRY_VERIFY(!speech.say(u"Mail", "de"));
        QVERIFY(!speech.say(u"Maps", "de"));
        speech.stop();
    }
    const QStringList lines = capture.lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(QLatin1String("lumbra: names are not spoken: no engine answers: ") + engine),
             qPrintable(lines.first()));
}

// The launcher may end right after its first word, or stop before any: the speech thread
// must not hold it up for long or take it down.
void tst_QtSpeech::endsWhileTheEngineIsBeingMade()
{
    const ScopedVariable chosen("LUMBRA_SPEECH_ENGINE", "no-such-engine");
    for (int n = 0; n < 5; ++n) {
        platform::QtSpeech speech;
        if (n == 0)
            speech.stop();
        QVERIFY(speech.say(u"Web", "en"));
    }
}

QTEST_MAIN(tst_QtSpeech)
#include "tst_qtspeech.moc"
