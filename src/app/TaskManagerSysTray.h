#pragma once

#include <QDialog>
#include <QSystemTrayIcon>

// An invisible window that carries the task manager's tray icon; a click starts the
// system's task manager.
class TaskManagerSysTray : public QDialog
{
    Q_OBJECT

public:
    explicit TaskManagerSysTray(QWidget *parent);

    QSystemTrayIcon *trayIcon = nullptr;

    // The carrier is never mapped: a window of no size still takes a pixel of the screen
    // and could take the keyboard from the launcher.
    void setVisible(bool visible) override;

public slots:
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
};
