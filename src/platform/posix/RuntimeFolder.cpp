#include "RuntimeFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string absoluteEnvironmentValue(const char *name)
{
    const char *value = std::getenv(name);
    if (!value || value[0] != '/')
        return std::string();
    return value;
}

bool ownFolder(const std::string &path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

// A folder that is refused stays refused for the whole run; saying so at every lookup
// (the single-instance wait looks every 200 ms) would bury everything else.
void reportOnce(const std::string &path, const std::string &reason)
{
    static std::mutex guard;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> lock(guard);
    if (!reported.insert(path).second)
        return;
    std::fprintf(stderr, "lumbra: cannot use the runtime folder \"%s\": %s\n", path.c_str(), reason.c_str());
}

} // namespace

std::string runtimeFolderPath()
{
    const std::string explicitFolder = absoluteEnvironmentValue("LUMBRA_RUNTIME_DIR");
    if (!explicitFolder.empty())
        return explicitFolder;
    // A login shell started with su or sudo may carry the runtime folder of the user it came
    // from; that one is not ours to use.
    const std::string sessionFolder = absoluteEnvironmentValue("XDG_RUNTIME_DIR");
    if (!sessionFolder.empty() && ownFolder(sessionFolder))
        return sessionFolder + "/lumbra";
    return "/tmp/lumbra-" + std::to_string(::geteuid());
}

bool runtimeFolderIsSafe(const std::string &path, std::string *reason)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    if (S_ISLNK(info.st_mode)) {
        *reason = "it is a symbolic link, not a folder";
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *reason = "it is not a folder";
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        *reason = "it belongs to another user";
        return false;
    }
    if (info.st_mode & (S_IWGRP | S_IWOTH)) {
        *reason = "other users may write to it";
        return false;
    }
    return true;
}

std::string preparedRuntimeFolder()
{
    const std::string path = runtimeFolderPath();
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        reportOnce(path, std::strerror(errno));
        return std::string();
    }
    std::string reason;
    if (!runtimeFolderIsSafe(path, &reason)) {
        reportOnce(path, reason);
        return std::string();
    }
    return path;
}

} // namespace platform
