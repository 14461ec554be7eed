#include "DropQueue.h"

#include "dialogs/CaregiverLock.h"
#include "dialogs/DropIconDialog.h"

#include <QTimer>
#include <QWidget>

DropQueue::DropQueue(QWidget *window)
    : QObject(window),
      window(window)
{
}

void DropQueue::add(const QString &path, const QString &fileName)
{
    pending.append({path, fileName});
    if (pending.size() == 1)
        QTimer::singleShot(0, this, &DropQueue::openDialogs);
}

void DropQueue::openDialogs()
{
    // Without the PIN nothing of the drop is added.
    if (!pending.isEmpty() && !CaregiverLock::allow(CaregiverLock::Action::Drop, window))
        pending.clear();
    while (!pending.isEmpty()) {
        QString path = pending.first().first;
        const QString fileName = pending.first().second;
        DropIconDialog dialog;
        dialog.setDroppedFile(path, fileName);
        dialog.exec();
        pending.removeFirst();
    }
}
