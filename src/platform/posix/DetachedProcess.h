#pragma once

#include <QByteArray>
#include <QList>

namespace platform {

// Starts `path` (a file name the kernel can execute, no PATH search) with `arguments` after
// argv[0], in `directory` (empty, or a folder that cannot be entered: the caller's own),
// as a process of its own: in a new session, not a child of the caller (so it never becomes
// a zombie here), with no file descriptor of the caller but the standard three. Answers 0
// once the program runs, else the errno of the step that failed (exec's own included).
int startDetachedProcess(const QByteArray &path, const QList<QByteArray> &arguments,
                         const QByteArray &directory);

} // namespace platform
