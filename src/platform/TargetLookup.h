#pragma once

#include <string>

namespace platform {

// Whether what an icon starts or opens is on this computer, told from the file system alone:
// nothing is started, opened or read. Targets may stand in double quotes, the way a Windows
// command line quotes a path with blanks; the quotes are not part of the name.
class TargetLookup
{
public:
    virtual ~TargetLookup() = default;

    // SearchPathW, then GetFileAttributesW: true when `program` names a file that could be
    // started: a path as it stands (a relative one against the current folder), or a bare
    // name in one of the folders of PATH.
    virtual bool programExists(const std::u16string &program) = 0;
    // GetFileAttributesW: true when the document or folder `file` exists; a relative one is
    // looked for in `directory` (quoted or not), else in the current folder. Addresses the
    // shell hands on to the program of their scheme (http:, mailto:, ftp:, smb:, steam:, any
    // that isAddress() takes) are not looked up and answer true; a file: address is looked up
    // as the path it names.
    virtual bool documentExists(const std::u16string &file, const std::u16string &directory) = 0;
};

} // namespace platform
