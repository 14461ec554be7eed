#include "BusDirectory.h"

#include "platform/CodeUnits.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const char kInfoHeader[] = "lumbra-endpoint 1";
const char kInfoSuffix[] = ".info";
const char kSocketSuffix[] = ".sock";
constexpr std::size_t kHexDigits = 16;
// Names of windows are short; anything larger is not an info file of ours.
constexpr off_t kMaxInfoSize = 64 * 1024;

std::string baseName(WindowHandle window)
{
    char name[2 + kHexDigits];
    std::snprintf(name, sizeof name, "w%016" PRIx64, std::uint64_t(window));
    return name;
}

bool parseInfoName(const char *name, WindowHandle *window)
{
    const std::size_t length = std::strlen(name);
    if (length != 1 + kHexDigits + std::strlen(kInfoSuffix) || name[0] != 'w'
        || std::strcmp(name + 1 + kHexDigits, kInfoSuffix) != 0)
        return false;
    std::uint64_t value = 0;
    for (std::size_t i = 1; i <= kHexDigits; ++i) {
        const char c = name[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return false;
        value = value << 4 | std::uint64_t(digit);
    }
    *window = WindowHandle(value);
    return value != 0;
}

QByteArray readSmallFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return QByteArray();
    struct stat info;
    QByteArray bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxInfoSize) {
        bytes.resize(qsizetype(info.st_size));
        const ssize_t got = ::read(fd, bytes.data(), bytes.size());
        bytes.resize(got < 0 ? 0 : qsizetype(got));
    }
    ::close(fd);
    return bytes;
}

// Percent-encoded, so that a title with a line break cannot pass for the next field.
QByteArray encodedName(const std::u16string &name)
{
    return fromCodeUnits(name).toUtf8().toPercentEncoding();
}

std::u16string decodedName(const QByteArray &field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field)).toStdU16String();
}

bool writeAllTo(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

BusDirectory::BusDirectory(std::string folder)
    : path(std::move(folder))
{
}

std::string BusDirectory::socketName(WindowHandle window)
{
    return baseName(window) + kSocketSuffix;
}

std::string BusDirectory::infoName(WindowHandle window)
{
    return baseName(window) + kInfoSuffix;
}

std::vector<BusDirectory::Entry> BusDirectory::entries() const
{
    std::vector<Entry> found;
    DIR *directory = ::opendir(path.c_str());
    if (!directory)
        return found;
    while (const dirent *item = ::readdir(directory)) {
        Entry entry;
        if (!parseInfoName(item->d_name, &entry.window))
            continue;
        const QList<QByteArray> lines = readSmallFile(path + "/" + item->d_name).split('\n');
        if (lines.size() < 3 || lines.at(0) != kInfoHeader)
            continue;
        entry.className = decodedName(lines.at(1));
        entry.title = decodedName(lines.at(2));
        found.push_back(std::move(entry));
    }
    ::closedir(directory);
    std::sort(found.begin(), found.end(), [](const Entry &a, const Entry &b) { return a.window < b.window; });
    return found;
}

bool BusDirectory::writeInfo(const Entry &entry) const
{
    const std::string target = path + "/" + infoName(entry.window);
    const std::string partial = target + ".part";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    const QByteArray text = QByteArray(kInfoHeader) + '\n' + encodedName(entry.className) + '\n'
        + encodedName(entry.title) + '\n';
    const bool written = writeAllTo(fd, text);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(partial.c_str(), target.c_str()) != 0) {
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}

void BusDirectory::remove(WindowHandle window) const
{
    const std::string base = path + "/" + baseName(window);
    ::unlink((base + kInfoSuffix).c_str());
    ::unlink((base + kSocketSuffix).c_str());
}

} // namespace platform
