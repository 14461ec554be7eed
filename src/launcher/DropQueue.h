#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class QWidget;

// Programs dropped on the pages, waiting for their drop dialogs. The dialogs open once the
// drop has been answered (a modal loop inside the drop would keep the file manager waiting
// for it), one after the other when several were dropped together, after one PIN for all.
class DropQueue : public QObject
{
    Q_OBJECT

public:
    explicit DropQueue(QWidget *window);

    // A dropped program: its path and its file name.
    void add(const QString &path, const QString &fileName);
    bool isEmpty() const { return pending.isEmpty(); }

private:
    void openDialogs();

    QWidget *window;
    QList<QPair<QString, QString>> pending;
};
