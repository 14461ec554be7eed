#pragma once

#include <QDialog>
#include <QFont>
#include <QPushButton>
#include <QString>

#include "platform/RegistryTypes.h"
#include "settings/SettingsChange.h"

#include <QList>

class QLabel;

// The settings opened from the tray menu: start at login, keep the launcher always open,
// read the names aloud, background music; nothing is applied until OK.
class TrayIconLumbraSettingdialog : public QDialog
{
    Q_OBJECT

public:
    TrayIconLumbraSettingdialog();

    // Reads the settings and (re)builds texts, faces and switch states; before every opening.
    void prepareDialog();

    QPushButton okButton;
    QPushButton cancelButton;
    QPushButton soundButton;
    QPushButton startButton;
    QPushButton alwaysButton;
    QPushButton speakButton;
    QFont dialogFont;
    QString startText;
    QString alwaysText;
    QString speakText;
    QString okText;
    QString cancelText;
    QLabel *backgroundLabel = nullptr;

public slots:
    void fn_setStartOpen();
    void fn_setAlwaysOnTop();
    void fn_setSoundOff();
    void fn_setSpeakNames();
    void fn_writeSetting();
    void fn_closeDialog();
    void fn_changeSoundIcon(bool checked);
    void fn_changeALWAYSONBACKGROUNDIcon(bool checked);
    void fn_changeISFIRSTRUNIcon(bool checked);
    void fn_changeSpeakNamesIcon(bool checked);
    void fn_changePressOKIcon();
    void fn_changeReleaseOKIcon();
    void fn_changePressCANCELIcon();
    void fn_changeReleaseCANCELIcon();

public:
    // REG_EXPAND_SZ, written as texts are (no terminating NUL), at most 1023 characters.
    static long SetRegExpandString(platform::RegKey key, const QString &subKey, const QString &setValue);

private:
    void paintFace(QPushButton &button, const QSize &size, const QString &picture, const QString &text);
    void paintSoundIcon(bool soundOff);
    void writeSystemValue(const QString &name, int value);
    void tellOutcomes();

    bool connected = false;
    // What the changes of one OK came to, told once when all are made.
    QList<SettingsChange::Outcome> outcomes;
};
