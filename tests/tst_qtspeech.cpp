// The voice as the launcher uses it, on whatever this machine has for speech (often
// nothing): without an engine it stays silent, says so once, and never blocks or crashes.

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
    void stopBeforeAnyWordIsHarmless();
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
    qputenv("LUMBRA_SPEECH_ENGINE", engine.toUtf8());
    platform::QtSpeech speech;
    StderrCapture capture;
    QVERIFY(!speech.say(u"Web", "en"));
    QVERIFY(!speech.say(u"Mail", "de"));
    speech.stop();
    const QStringList lines = capture.lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(QLatin1String("lumbra: names are not spoken:")), qPrintable(lines.first()));
    qunsetenv("LUMBRA_SPEECH_ENGINE");
}

void tst_QtSpeech::stopBeforeAnyWordIsHarmless()
{
    platform::QtSpeech speech;
    speech.stop();
    speech.stop();
}

QTEST_MAIN(tst_QtSpeech)
#include "tst_qtspeech.moc"
