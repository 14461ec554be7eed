#pragma once

#include <QDialog>
#include <QFont>
#include <QString>
#include <QSystemTrayIcon>
#include <QTranslator>

#include "platform/WindowMessages.h"

class QLabel;
class ShutdownQLabel;

// Six big buttons: leave the launcher, the task manager, stand-by, restart, shut down, and
// close this window. It carries its own tray icon, whose click shows it.
class LumbraShutDown : public QDialog
{
    Q_OBJECT

public:
    explicit LumbraShutDown(QWidget *parent);
    ~LumbraShutDown() override;

    // The translation file for a language identifier, relative to the program's folder.
    static QString translationFileFor(quint16 langId);
    // The buttons' font for a language identifier: two lines of it fit a caption.
    static QFont buttonFont(quint16 langId);
    // What another program's ShowWindow and the like send to this window.
    bool handleMessage(const platform::WindowMessage &message);
    void setVisible(bool visible) override;

    QLabel *backgroundLabel = nullptr;
    QString quitLumbraText1, quitLumbraText2;
    QString taskManagerText1, taskManagerText2;
    QString standByText1, standByText2;
    QString restartText1, restartText2;
    QString shutDownText1, shutDownText2;
    QString quitText1, quitText2;
    ShutdownQLabel *quitLumbraLabel = nullptr;
    ShutdownQLabel *taskManagerLabel = nullptr;
    ShutdownQLabel *standByLabel = nullptr;
    ShutdownQLabel *restartLabel = nullptr;
    ShutdownQLabel *shutDownLabel = nullptr;
    ShutdownQLabel *quitLabel = nullptr;
    QTranslator translator;
    QSystemTrayIcon *trayIcon = nullptr;

public slots:
    void ActionQuitLumbra();
    void ActionTaskManager();
    void ActionStandBy();
    void ActionRestart();
    void ActionShutDown();
    void ActionQuit();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

private:
    void fetchTexts();
    void buildButtons();
    ShutdownQLabel *makeButton(const QRect &geometry, const QString &picture, const QRect &textBox,
                               const QString &first, const QString &second, const QColor &normal,
                               const QColor &hover, void (LumbraShutDown::*action)());

    platform::WindowHandle endpoint = platform::kNoWindow;
};

extern LumbraShutDown *theShutDownDialog;
