#include "DragIconPage.h"

// First version: drops are being written.
DragIconPage::DragIconPage() {}
void DragIconPage::fn_chooseFavoriteIcon(const QMimeData *) {}
void DragIconPage::dragEnterEvent(QDragEnterEvent *) {}
void DragIconPage::dragMoveEvent(QDragMoveEvent *) {}
void DragIconPage::dragLeaveEvent(QDragLeaveEvent *) {}
void DragIconPage::dropEvent(QDropEvent *) {}
