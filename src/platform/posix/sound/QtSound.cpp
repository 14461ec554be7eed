#include "QtSound.h"

#include "platform/CodeUnits.h"

#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <cstdio>

namespace platform {

namespace {

void reportSilence(const QString &path, const char *reason)
{
    std::fprintf(stderr, "lumbra: cannot play \"%s\": %s\n", path.toLocal8Bit().constData(), reason);
}

// The player decodes in the background and reports a bad file only later, so the header is
// checked here: a RIFF container of WAVE data.
bool looksLikeWave(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(12);
    return header.size() == 12 && header.startsWith("RIFF") && header.endsWith("WAVE");
}

} // namespace

QSoundEffect *QtSound::player()
{
    if (!effect) {
        QCoreApplication *application = QCoreApplication::instance();
        if (!qobject_cast<QGuiApplication *>(application))
            return nullptr;
        effect = new QSoundEffect(application);
    }
    return effect;
}

bool QtSound::play(const std::u16string &path)
{
    const QString file = fromCodeUnits(path);
    if (!QFile::exists(file)) {
        reportSilence(file, "no such file");
        return false;
    }
    // A pipe or device of that name would block the reading of its header, and the window.
    if (!QFileInfo(file).isFile()) {
        reportSilence(file, "not a file");
        return false;
    }
    if (!looksLikeWave(file)) {
        reportSilence(file, "not a WAV file");
        return false;
    }
    QSoundEffect *sound = player();
    if (!sound) {
        reportSilence(file, "no GUI application to play it in");
        return false;
    }
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        reportSilence(file, "no audio output");
        return false;
    }
    sound->stop();
    const QUrl source = QUrl::fromLocalFile(file);
    if (sound->source() != source)
        sound->setSource(source);
    sound->setLoopCount(1);
    sound->play();
    return sound->status() != QSoundEffect::Error;
}

void QtSound::stop()
{
    if (effect)
        effect->stop();
}

} // namespace platform
