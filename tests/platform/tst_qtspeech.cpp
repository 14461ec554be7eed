// The voice as the launcher uses it, on whatever this machine has for speech (often
// nothing): without an engine it stays silent, says so once, and never blocks or crashes;
// the engine is made on a thread of its own, so the caller is never held up. With an engine
// (one that writes down what it is asked), each name is heard in its language.

#include "ScopedVariable.h"
#include "TestPlatform.h"
#include "platform/posix/speech/QtSpeech.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_QtSpeech : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void heardInTheNamesLanguage_data();
    void heardInTheNamesLanguage();
    void noEngineIsSilentAndSaysSoOnce_data();
    void noEngineIsSilentAndSaysSoOnce();
    void endsWhileTheEngineIsBeingMade();
};

void tst_QtSpeech::initTestCase()
{
    QCoreApplication::addLibraryPath(QStringLiteral(LUMBRA_TEST_PLUGINS));
}

void tst_QtSpeech::heardInTheNamesLanguage_data()
{
    // The engine's voices, its own marked "*" (else the first); the names asked for while it
    // is being made ("NAME/LANGUAGE"); what it was asked to do.
    QTest::addColumn<QString>("voices");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("own voice kept for its language")
        << "alan:en_GB *kal:en_GB joe:en_US" << QStringList{"Web/en"} << QStringList{"stop", "Web en_GB kal"};
    QTest::newRow("same language and country")
        << "alan:en_GB pia:pt_PT bia:pt_BR" << QStringList{"Mapas/pt-BR"} << QStringList{"stop", "Mapas pt_BR bia"};
    QTest::newRow("same language elsewhere")
        << "alan:en_GB lena:de_AT" << QStringList{"Post/de"} << QStringList{"stop", "Post de_AT lena"};
    QTest::newRow("no voice for the language: own voice")
        << "alan:en_GB lena:de_AT" << QStringList{"Carte/fr"} << QStringList{"stop", "Carte en_GB alan"};
    QTest::newRow("silent voice avoided")
        << "lena:de_DE dummy:en_US kal:en_US" << QStringList{"Web/en"} << QStringList{"stop", "Web en_US kal"};
    QTest::newRow("only the last name asked") << "alan:en_GB lena:de_DE" << QStringList{"Web/en", "Post/de", "Karte/de"}
                                              << QStringList{"stop", "Karte de_DE lena"};
    QTest::newRow("empty name stops") << "alan:en_GB" << QStringList{"Web/en", "/en"} << QStringList{"stop"};
}

void tst_QtSpeech::heardInTheNamesLanguage()
{
    QFETCH(QString, voices);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, heard);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const ScopedVariable engine("LUMBRA_SPEECH_ENGINE", "lumbratest");
    const ScopedVariable offered("LUMBRA_TEST_VOICES", voices.toUtf8());
    const ScopedVariable recorded("LUMBRA_TEST_SPEECH_DIR", QFile::encodeName(folder.path()));
    const auto recording = [&folder] {
        QFile file(folder.filePath(QStringLiteral("heard")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                              : QStringList();
    };
    {
        platform::QtSpeech speech;
        for (const QString &name : asked) {
            QVERIFY(speech.say(name.section(u'/', 0, 0).toStdU16String(), name.section(u'/', 1).toStdString()));
            // Loading the engine takes a while under the sanitizers on a busy machine.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.filePath(QStringLiteral("making"))), 30000);
        }
        QVERIFY(QFile::remove(folder.filePath(QStringLiteral("making"))));
        QTRY_COMPARE(recording(), heard);
    }
    // Nothing more came after, but the stop of the engine's end.
    QCOMPARE(recording(), heard + QStringList{"stop"});
}

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
