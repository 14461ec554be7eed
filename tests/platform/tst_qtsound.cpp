// The music player as the launcher uses it, on whatever this machine has for audio (often
// nothing): it must never crash, hang or take the launcher down, and say when it cannot play.

#include "TestFiles.h"
#include "TestPlatform.h"
#include "platform/posix/sound/QtSound.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include <sys/stat.h>

namespace {

// A short WAV of silence: 8 kHz, 16-bit mono.
QByteArray silentWave(int milliseconds)
{
    const quint32 samples = 8 * quint32(milliseconds);
    const quint32 dataBytes = samples * 2;
    QByteArray bytes;
    const auto u32 = [&bytes](quint32 v) {
        for (int i = 0; i < 4; ++i)
            bytes.append(char((v >> (8 * i)) & 0xff));
    };
    const auto u16 = [&bytes](quint16 v) { bytes.append(char(v & 0xff)).append(char(v >> 8)); };
    bytes.append("RIFF");
    u32(36 + dataBytes);
    bytes.append("WAVEfmt ");
    u32(16);
    u16(1);        // PCM
    u16(1);        // mono
    u32(8000);     // samples per second
    u32(16000);    // bytes per second
    u16(2);        // bytes per frame
    u16(16);       // bits per sample
    bytes.append("data");
    u32(dataBytes);
    bytes.append(QByteArray(int(dataBytes), '\0'));
    return bytes;
}

bool audioOutputExists()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

// Child modes: the player used where the launcher's process has no GUI application, and
// the application torn down while the player still exists.
int runChild(const char *mode, const char *file)
{
    platform::QtSound sound;
    const std::u16string path = QString::fromLocal8Bit(file).toStdU16String();
    int argc = 1;
    char name[] = "tst_qtsound";
    char *argv[] = {name, nullptr};
    if (std::strcmp(mode, "--without-gui") == 0) {
        QCoreApplication app(argc, argv);
        return sound.play(path) ? 1 : 0;
    }
    {
        QGuiApplication app(argc, argv);
        sound.play(path);
        QTest::qWait(100);
    }
    // The application is gone; the player went with it, and stopping or playing again
    // must be harmless.
    sound.stop();
    return sound.play(path) ? 1 : 0;
}

} // namespace

class tst_QtSound : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void staysSilentOnBadFiles_data();
    void staysSilentOnBadFiles();
    void playsAWaveWhenThereIsAnOutput();
    void outsideTheApplicationIsSilent_data();
    void outsideTheApplicationIsSilent();

private:
    int runSelf(const QString &mode);

    QTemporaryDir folder;
    QString wave;
    platform::QtSound sound;
};

void tst_QtSound::initTestCase()
{
    QVERIFY(folder.isValid());
    wave = folder.filePath(QStringLiteral("bgmusic.wav"));
    QVERIFY(writeFile(wave, silentWave(50)));
    qInfo("audio output: %s", audioOutputExists() ? "yes" : "none");
}

void tst_QtSound::staysSilentOnBadFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing") << "absent.wav" << QByteArray() << "no such file";
    QTest::newRow("empty") << "empty.wav" << QByteArray("") << "not a WAV file";
    QTest::newRow("text") << "text.wav" << QByteArray("this is not sound at all\n") << "not a WAV file";
    QTest::newRow("another container") << "other.wav" << QByteArray("RIFF\x10\0\0\0AVI LIST", 16) << "not a WAV file";
    QTest::newRow("a folder") << "folder.wav" << QByteArray() << "not a file";
    QTest::newRow("a pipe nobody writes to") << "pipe.wav" << QByteArray() << "not a file";
}

void tst_QtSound::staysSilentOnBadFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);

    const QString path = folder.filePath(name);
    if (name == QLatin1String("folder.wav"))
        QVERIFY(QDir(folder.path()).mkpath(name));
    else if (name == QLatin1String("pipe.wav"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (!bytes.isNull())
        QVERIFY(writeFile(path, bytes));
    StderrCapture capture;
    QVERIFY(!sound.play(path.toStdU16String()));
    const QStringList lines = capture.lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(path) && lines.first().endsWith(reason), qPrintable(lines.first()));
}

// Each play starts the wave again; without an output each says why it is silent. A fresh
// player stops without having played.
void tst_QtSound::playsAWaveWhenThereIsAnOutput()
{
    platform::QtSound fresh;
    fresh.stop();
    for (int i = 0; i < 3; ++i) {
        StderrCapture capture;
        QCOMPARE(fresh.play(wave.toStdU16String()), audioOutputExists());
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), audioOutputExists() ? 0 : 1);
        QVERIFY(audioOutputExists() || lines.first().endsWith(QLatin1String("no audio output")));
    }
    fresh.stop();
}

int tst_QtSound::runSelf(const QString &mode)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {mode, wave});
    if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit) {
        qWarning("%s", child.readAllStandardError().constData());
        return -1;
    }
    return child.exitCode();
}

void tst_QtSound::outsideTheApplicationIsSilent_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("no GUI application") << "--without-gui";
    QTest::newRow("past the application's end") << "--past-the-application";
}

void tst_QtSound::outsideTheApplicationIsSilent()
{
    QFETCH(QString, mode);
    QCOMPARE(runSelf(mode), 0);
}

int main(int argc, char **argv)
{
    const bool child = argc == 3
        && (std::strcmp(argv[1], "--without-gui") == 0 || std::strcmp(argv[1], "--past-the-application") == 0);
    if (child)
        return runChild(argv[1], argv[2]);
    QGuiApplication app(argc, argv);
    tst_QtSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qtsound.moc"
