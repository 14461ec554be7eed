#include "ThemeSettingDialog.h"

#include "DialogLook.h"
#include "LauncherControl.h"
#include "settings/SettingStore.h"
#include "settings/SettingsChange.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

ThemeSettingDialog::ThemeSettingDialog(QWidget *parent)
    : QDialog(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("ThemeSettingDialogClass"));
    resize(430, 100);
    setMinimumSize(430, 100);
    setMaximumSize(430, 100);
    comboBox_theme = new QComboBox(this);
    comboBox_theme->setObjectName(QStringLiteral("comboBox_theme"));
    comboBox_theme->setGeometry(10, 50, 161, 41);
    label_up = new QLabel(this);
    label_up->setObjectName(QStringLiteral("label_up"));
    label_up->setGeometry(0, 0, 431, 31);
    label_up->setAlignment(Qt::AlignCenter);
    setWindowTitle(QCoreApplication::translate("ThemeSettingDialogClass", "ThemeSetting"));
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint);
}

void ThemeSettingDialog::setupThemeDialog()
{
    const QFont font = theSettings.getFont(FontSetting::SYSTEM_STRING_FONT);
    setFont(font);
    titleText = captionText = theSettings.getString(TextSetting::DIALOG_SELECT_BACKGROUND_THEME_NAME);
    setWindowTitle(titleText);
    label_up->setText(captionText);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    okText = theSettings.getString(TextSetting::DIALOG_OK);
    cancelText = theSettings.getString(TextSetting::DIALOG_CANCEL);
    themeOkButton = new QPushButton(this);
    themeOkButton->setFont(font);
    themeOkButton->setText(okText);
    themeOkButton->setGeometry(190, 50, 100, 40);
    themeOkButton->setVisible(true);
    themeCancelButton = new QPushButton(this);
    themeCancelButton->setFont(font);
    themeCancelButton->setText(cancelText);
    themeCancelButton->setGeometry(310, 50, 100, 40);
    themeCancelButton->setVisible(true);
    DialogLook::fitText(themeOkButton);
    DialogLook::fitText(themeCancelButton);
    DialogLook::fitText(label_up);
    connect(comboBox_theme, &QComboBox::currentIndexChanged, this,
            qOverload<int>(&ThemeSettingDialog::fn_RefreshTheme));
    connect(comboBox_theme, &QComboBox::currentTextChanged, this,
            qOverload<const QString &>(&ThemeSettingDialog::fn_RefreshTheme));
    connect(themeOkButton, &QPushButton::clicked, this, &ThemeSettingDialog::fn_doSetting);
    connect(themeCancelButton, &QPushButton::clicked, this, &ThemeSettingDialog::fn_closeDialog);
}

// Appending the first entry makes it current; firstIndexChange swallows exactly that change.
void ThemeSettingDialog::loadThemeList()
{
    previousTheme = theSettings.getInt(IntSetting::CURRENT_THEME);
    comboBox_theme->clear();
    const int count = theSettings.getThemeInt(ThemeIntSetting::THEME_COUNT);
    for (int i = 0; i < count; ++i)
        comboBox_theme->addItem(QIcon(), theSettings.getThemeName(ThemeSetting::THEME_NAME, i));
    comboBox_theme->setCurrentIndex(previousTheme - 1);
}

void ThemeSettingDialog::fn_RefreshTheme(const QString &)
{
}

void ThemeSettingDialog::fn_RefreshTheme(int index)
{
    if (index < 0)
        return;
    theSettings.mySystem.CURRENT_THEME = index + 1;
    if (!firstIndexChange)
        applyWithWaitCursor();
    firstIndexChange = false;
}

void ThemeSettingDialog::fn_doSetting()
{
    // A refused theme stays for this run; the person is told that the next start will not show
    // it. Settings changed meanwhile (by a carer's install, say) are shown with the theme.
    const SettingsChange::Outcome outcome =
        SettingsChange::setNumber(QStringLiteral("CURRENT_THEME"), theSettings.getInt(IntSetting::CURRENT_THEME))
            .applyTo(theSettings);
    if (theLauncher)
        theLauncher->afterChange(outcome, tr("The theme could not be kept: Lumbra could not save its settings."));
    finished = true;
    close();
}

void ThemeSettingDialog::fn_closeDialog()
{
    restorePreviousTheme();
    close();
}

// Closing a dialog rejects it, and so does Escape: a previewed theme nobody confirmed must
// not stay.
void ThemeSettingDialog::reject()
{
    if (!finished)
        restorePreviousTheme();
    QDialog::reject();
}

void ThemeSettingDialog::restorePreviousTheme()
{
    finished = true;
    theSettings.mySystem.CURRENT_THEME = previousTheme;
    applyWithWaitCursor();
}

void ThemeSettingDialog::applyWithWaitCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (theLauncher)
        theLauncher->applyTheme();
    QGuiApplication::restoreOverrideCursor();
}

void ThemeSettingDialog::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    DialogLook::paintFrame(this);
}
