#include "TaskManagerSysTray.h"

#include "platform/Platform.h"
#include "platform/Shell.h"
#include "settings/SettingStore.h"

#include <QIcon>
#include <QPixmap>

TaskManagerSysTray::TaskManagerSysTray(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("TaskManagerSysTray"));
    setGeometry(0, 0, 0, 0);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/Image/Image/taskmanager.png")), QIcon::Normal, QIcon::Off);
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(icon);
    trayIcon->setToolTip(theSettings.getString(TextSetting::SYSTEMTRAY_TASKMANAGER_TOOLTIPNAME));
    trayIcon->setVisible(true);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &TaskManagerSysTray::iconActivated);
}

void TaskManagerSysTray::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        platform::shell().startTaskManager();
}

void TaskManagerSysTray::setVisible(bool)
{
    QDialog::setVisible(false);
}
