#pragma once

#include "dialogs/TrayIconLumbraSettingdialog.h"

#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

class QAction;
class QMenu;

// The launcher's own tray icon: a click minimises or restores the launcher; its menu opens
// the settings or ends the launcher.
class TrayIcon : public QSystemTrayIcon
{
    Q_OBJECT

public:
    TrayIcon();
    ~TrayIcon() override;

    void setupTray();

    TrayIconLumbraSettingdialog settingDialog;
    QString settingText;
    QString exitText;
    bool clickDisabled = false;
    bool settingDialogOpen = false;
    QMenu *trayMenu = nullptr;
    QAction *settingAction = nullptr;
    QAction *exitAction = nullptr;
    QTimer clickTimer;

signals:
    void disableClickSystemTrayicon_signal(int);

public slots:
    void call_settingDialog();
    void call_shutDownDialog();
    void disableClickSystemTrayicon_slot();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
};
