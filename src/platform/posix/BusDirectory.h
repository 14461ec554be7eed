#pragma once

#include "platform/WindowMessages.h"

#include <string>
#include <vector>

namespace platform {

// The endpoints in the runtime folder. A window's handle names its two files: the socket
// "wHHHHHHHHHHHHHHHH.sock" and, beside it, "wHHHHHHHHHHHHHHHH.info" with its class and title.
// The socket listens before the info file appears and is removed after it, so an info file
// whose socket does not answer belongs to a process that is gone.
class BusDirectory
{
public:
    struct Entry
    {
        WindowHandle window = kNoWindow;
        std::u16string className;
        std::u16string title;
    };

    explicit BusDirectory(std::string folder);

    const std::string &folder() const { return path; }
    static std::string socketName(WindowHandle window);
    static std::string infoName(WindowHandle window);
    // Every endpoint with a readable info file, in the order of their handles.
    std::vector<Entry> entries() const;
    // Written under another name and renamed, so that a reader sees all of it or nothing.
    bool writeInfo(const Entry &entry) const;
    void remove(WindowHandle window) const;

private:
    std::string path;
};

} // namespace platform
