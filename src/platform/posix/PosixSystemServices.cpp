#include "PosixSystemServices.h"

#include "platform/CodeUnits.h"

#include "LocaleLanguageIds.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <pwd.h>
#include <unistd.h>

extern char **environ;

namespace platform {

namespace {

// Unset and empty mean the same to the C library's locale lookup, so they do here too.
std::string environmentValue(const char *name)
{
    const char *value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The locale that decides the language of messages, in the C library's order of precedence.
std::string messagesLocale()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string value = environmentValue(name);
        if (!value.empty())
            return value;
    }
    return std::string();
}

std::u16string decodedPath(const QByteArray &bytes)
{
    return QFile::decodeName(bytes).toStdU16String();
}

// readlink() does not say whether it truncated, so grow the buffer until the link fits.
QByteArray readLink(const char *path)
{
    QByteArray buffer(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = ::readlink(path, buffer.data(), buffer.size());
        if (length < 0)
            return QByteArray();
        if (length < buffer.size())
            return buffer.left(length);
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::uint16_t PosixSystemServices::systemDefaultLangId()
{
    const std::string chosen = environmentValue("LUMBRA_LANGID");
    if (!chosen.empty()) {
        if (const auto langId = parseLangId(chosen))
            return *langId;
        std::fprintf(stderr, "LUMBRA_LANGID \"%s\" is not a hexadecimal language identifier; "
                             "using the locale\n", chosen.c_str());
    }
    return langIdForLocale(messagesLocale());
}

std::u16string PosixSystemServices::executablePath()
{
    return decodedPath(readLink("/proc/self/exe"));
}

std::u16string PosixSystemServices::currentDirectory()
{
    QByteArray buffer(256, Qt::Uninitialized);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return std::u16string();
        buffer.resize(buffer.size() * 2);
    }
    return decodedPath(QByteArray(buffer.constData()));
}

// A relative XDG_DATA_HOME is ignored: only an absolute one names a folder for every process.
std::u16string PosixSystemServices::userDataDirectory()
{
    QString dataHome = QFile::decodeName(QByteArray(environmentValue("XDG_DATA_HOME").c_str()));
    if (!dataHome.startsWith(u'/')) {
        QString home = QFile::decodeName(QByteArray(environmentValue("HOME").c_str()));
        if (home.isEmpty()) {
            const passwd *entry = ::getpwuid(::geteuid());
            home = entry && entry->pw_dir ? QFile::decodeName(entry->pw_dir) : QString();
        }
        if (!home.startsWith(u'/'))
            return std::u16string();
        dataHome = home + QStringLiteral("/.local/share");
    }
    return (dataHome + QStringLiteral("/lumbra")).toStdU16String();
}

bool PosixSystemServices::setCurrentDirectory(const std::u16string &path)
{
    // A NUL would end the name early and change into some other folder.
    if (path.empty() || path.find(u'\0') != std::u16string::npos)
        return false;
    return ::chdir(QFile::encodeName(fromCodeUnits(path)).constData()) == 0;
}

std::vector<std::u16string> PosixSystemServices::environmentStrings()
{
    std::vector<std::u16string> entries;
    for (char **entry = environ; entry && *entry; ++entry)
        entries.push_back(QString::fromUtf8(*entry).toStdU16String());
    return entries;
}

void PosixSystemServices::sleep(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace platform
