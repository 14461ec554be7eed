#pragma once

#include <string>

namespace platform {

// The per-user folder that holds the message bus endpoints and the instance lock files:
// $LUMBRA_RUNTIME_DIR, else $XDG_RUNTIME_DIR/lumbra (when that folder is the user's own),
// else /tmp/lumbra-UID. Relative values are ignored, as the XDG base directory rules say.
std::string runtimeFolderPath();

// Creates the folder (mode 0700) when it is missing and checks it: a folder owned by someone
// else, writable by others, or not a folder at all is refused, with one line on stderr per
// folder and process. Answers the folder, or an empty string when it cannot be used.
std::string preparedRuntimeFolder();

// Whether `path` may hold this user's endpoints: a real folder (not a link), owned by the
// effective user, writable by no one else. `reason` says why not.
bool runtimeFolderIsSafe(const std::string &path, std::string *reason);

} // namespace platform
