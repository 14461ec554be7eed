#pragma once

#include <QLabel>

class QMimeData;

// The page of a tab: its picture, the parent of its icons, and the target for programs
// dragged from the file manager.
class DragIconPage : public QLabel
{
    Q_OBJECT

public:
    DragIconPage();

signals:
    void fn_acceptFileDrop(const QMimeData *mimedata = nullptr);
    // One per dropped program or shortcut: its local path and its file name.
    void applicationDropped(const QString &path, const QString &fileName);

public slots:
    void fn_chooseFavoriteIcon(const QMimeData *mimeData);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
