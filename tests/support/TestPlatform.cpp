#include "TestPlatform.h"

#include "platform/Platform.h"

#include <QFile>
#include <QStringList>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int FakeScreen::systemMetric(int index)
{
    switch (index) {
    case platform::kSmCxFullScreen:
        return width;
    case platform::kSmCyFullScreen:
        return height - caption;
    case platform::kSmCyCaption:
        return caption;
    default:
        return 0;
    }
}

TestPlatform::TestPlatform()
{
    reset();
    platform::useScreen(&screen);
}

TestPlatform::~TestPlatform()
{
    platform::useRegistry(nullptr);
    platform::useScreen(nullptr);
}

QString TestPlatform::databasePath() const
{
    return folder.filePath(QStringLiteral("registry-%1.sqlite").arg(generation));
}

void TestPlatform::reset()
{
    platform::useRegistry(nullptr);
    ++generation;
    store = std::make_unique<platform::SqliteRegistry>(databasePath().toStdString());
    platform::useRegistry(store.get());
}

StderrCapture::StderrCapture()
    : path(folder.filePath(QStringLiteral("stderr.txt")))
{
    std::fflush(stderr);
    savedFd = dup(STDERR_FILENO);
    const int fd = open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDERR_FILENO);
    close(fd);
}

StderrCapture::~StderrCapture()
{
    lines();
}

QStringList StderrCapture::lines()
{
    if (savedFd >= 0) {
        std::fflush(stderr);
        dup2(savedFd, STDERR_FILENO);
        close(savedFd);
        savedFd = -1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}
