#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

// Chooses the look of the launcher from the stored themes. Every change of the choice shows
// at once; OK stores all settings, Cancel (or Escape) goes back to the theme of the opening.
class ThemeSettingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ThemeSettingDialog(QWidget *parent);

    void setupThemeDialog();
    void loadThemeList();

    QPushButton *themeOkButton = nullptr;
    QPushButton *themeCancelButton = nullptr;
    int previousTheme = 0;
    QString titleText;
    QString captionText;
    QString okText;
    QString cancelText;
    bool firstIndexChange = true;
    QComboBox *comboBox_theme = nullptr;
    QLabel *label_up = nullptr;

public slots:
    void fn_RefreshTheme(const QString &name);
    void fn_RefreshTheme(int index);
    void fn_doSetting();
    void fn_closeDialog();
    void reject() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void restorePreviousTheme();
    void applyWithWaitCursor();

    bool finished = false;
};
