#include "DragIconPage.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

// More files than anyone drops at once; the rest of a huge selection is ignored.
constexpr int kMostUrlsPerDrop = 32;

// Windows programs and shortcuts by their extension (as written: "APP.EXE" is not one), and
// on other systems any regular file the user may execute and every desktop entry, the
// shortcut of Linux desktops (the dialog tells whether it can be used).
bool namesApplication(const QFileInfo &file)
{
    if (file.isDir())
        return false;
    const QString name = file.fileName();
    if (name.endsWith(QLatin1String(".exe")) || name.endsWith(QLatin1String(".lnk")))
        return true;
    if (name.endsWith(QLatin1String(".desktop")))
        return file.isFile();
    return file.isFile() && file.isExecutable();
}

} // namespace

DragIconPage::DragIconPage()
{
    setAcceptDrops(true);
    connect(this, &DragIconPage::fn_acceptFileDrop, this, &DragIconPage::fn_chooseFavoriteIcon);
}

void DragIconPage::fn_chooseFavoriteIcon(const QMimeData *mimeData)
{
    if (!mimeData || !mimeData->hasUrls())
        return;
    const QList<QUrl> urls = mimeData->urls().mid(0, kMostUrlsPerDrop);
    for (const QUrl &url : urls) {
        // file:// URIs arrive percent-encoded; anything else is not a file of this machine.
        const QString path = url.toLocalFile();
        if (path.isEmpty())
            continue;
        const QFileInfo file(path);
        if (namesApplication(file))
            emit applicationDropped(path, file.fileName());
    }
}

void DragIconPage::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void DragIconPage::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void DragIconPage::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
}

void DragIconPage::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    emit fn_acceptFileDrop(event->mimeData());
}
