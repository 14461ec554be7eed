#include "TrayIconLumbraSettingdialog.h"

#include "LauncherControl.h"
#include "platform/Autostart.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "settings/RegistryAccess.h"
#include "settings/SettingStore.h"
#include "settings/SettingsChange.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace {

const QSize kLongFace(387, 74);
const QSize kShortFace(135, 64);
const QSize kSoundFace(69, 64);
// The dialog as first drawn held two long switches; each one more adds a row of this height.
constexpr int kRowStep = 93;
const QSize kDialogSize(495, 347 + kRowStep);
const QString kOnPicture = QStringLiteral(":/images/long_button_down.png");
const QString kOffPicture = QStringLiteral(":/images/long_button_norm.png");
const QString kPressedPicture = QStringLiteral(":/images/short_button_down.png");
const QString kReleasedPicture = QStringLiteral(":/images/short_button_norm.png");
const QString kRunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
constexpr int kMaxExpandUnits = 1023;

// The background was drawn for two long switches, with a line between them and the buttons
// below. The rows above the line are made longer by the room of one more switch, so the
// line stays above the buttons.
QPixmap backgroundPicture()
{
    const QPixmap original(QStringLiteral(":/images/bg.png"));
    constexpr int kSplit = 215;
    constexpr int kBand = 10;
    if (original.isNull() || original.height() <= kSplit)
        return original;
    QPixmap grown(original.width(), original.height() + kRowStep);
    grown.fill(Qt::transparent);
    QPainter painter(&grown);
    painter.drawPixmap(0, 0, original, 0, 0, original.width(), kSplit);
    painter.drawPixmap(QRect(0, kSplit, original.width(), kRowStep), original,
                       QRect(0, kSplit - kBand, original.width(), kBand));
    painter.drawPixmap(0, kSplit + kRowStep, original, 0, kSplit, original.width(), original.height() - kSplit);
    return grown;
}

} // namespace

TrayIconLumbraSettingdialog::TrayIconLumbraSettingdialog()
    : QDialog(nullptr)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("TrayIconLumbraSettingdialogClass"));
    resize(kDialogSize);
    setMaximumSize(kDialogSize);
    backgroundLabel = new QLabel(this);
    backgroundLabel->setObjectName(QStringLiteral("label"));
    backgroundLabel->setGeometry(QRect(QPoint(0, 0), kDialogSize));
    backgroundLabel->setMaximumSize(kDialogSize);
    backgroundLabel->setPixmap(backgroundPicture());
    backgroundLabel->setScaledContents(true);
    backgroundLabel->setText(QString());
    setWindowTitle(QCoreApplication::translate("TrayIconLumbraSettingdialogClass", "settingdialog"));
    QMetaObject::connectSlotsByName(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
}

void TrayIconLumbraSettingdialog::prepareDialog()
{
    setWindowTitle(theSettings.getString(TextSetting::LUMBRA_WINDOWTITLE) + QStringLiteral(" Setting"));
    setFont(theSettings.getFont(FontSetting::SYSTEM_STRING_FONT));
    startText = theSettings.getString(TextSetting::DIALOG_STARTWHENBOOTING_NAME);
    alwaysText = theSettings.getString(TextSetting::DIALOG_ALWAYS_ON_BACKGROUND_NAME);
    speakText = theSettings.getString(TextSetting::DIALOG_SPEAK_NAMES_NAME);
    okText = theSettings.getString(TextSetting::DIALOG_OK);
    cancelText = theSettings.getString(TextSetting::DIALOG_CANCEL);
    dialogFont = theSettings.getFont(FontSetting::SYSTEM_STRING_FONT);

    for (QPushButton *button : {&startButton, &alwaysButton, &speakButton, &soundButton})
        button->setCheckable(true);
    // Setting the states would run the face slots of an earlier opening; the faces are
    // painted below from the same states.
    for (QPushButton *button : {&startButton, &alwaysButton, &speakButton, &soundButton})
        button->blockSignals(true);
    alwaysButton.setChecked(theSettings.getInt(IntSetting::ALWAYS_ON_BACKGROUND) != 0);
    startButton.setChecked(theSettings.getInt(IntSetting::STARTWHENBOOTING) != 0);
    speakButton.setChecked(theSettings.mySystem.SPEAK_NAMES == 1);
    // Any value but 0 is on, as for the speaker: the switch and its picture agree.
    soundButton.setChecked(theSettings.getInt(IntSetting::MUSIC_BACKGROUND_ON) == 0);
    for (QPushButton *button : {&startButton, &alwaysButton, &speakButton, &soundButton})
        button->blockSignals(false);
    // The faces carry the texts as pictures: the screen reader and the voice get them here.
    startButton.setAccessibleName(startText);
    alwaysButton.setAccessibleName(alwaysText);
    speakButton.setAccessibleName(speakText);
    soundButton.setAccessibleName(theSettings.getString(TextSetting::DIALOG_MUSIC_NAME));
    okButton.setAccessibleName(okText);
    cancelButton.setAccessibleName(cancelText);

    const int left = (width() - kLongFace.width()) / 2;
    paintFace(startButton, kLongFace, theSettings.getInt(IntSetting::STARTWHENBOOTING) != 0 ? kOnPicture : kOffPicture,
              startText);
    startButton.setGeometry(left, 42, kLongFace.width(), kLongFace.height());
    paintFace(alwaysButton, kLongFace,
              theSettings.getInt(IntSetting::ALWAYS_ON_BACKGROUND) != 0 ? kOnPicture : kOffPicture, alwaysText);
    alwaysButton.setGeometry(left, 135, kLongFace.width(), kLongFace.height());
    paintFace(speakButton, kLongFace, speakButton.isChecked() ? kOnPicture : kOffPicture, speakText);
    speakButton.setGeometry(left, 135 + kRowStep, kLongFace.width(), kLongFace.height());
    paintSoundIcon(theSettings.getInt(IntSetting::MUSIC_BACKGROUND_ON) == 0);
    paintFace(okButton, kShortFace, kReleasedPicture, okText);
    paintFace(cancelButton, kShortFace, kReleasedPicture, cancelText);
    soundButton.setGeometry(56, 230 + kRowStep, kSoundFace.width(), kSoundFace.height());
    okButton.setGeometry(155, 230 + kRowStep, kShortFace.width(), kShortFace.height());
    cancelButton.setGeometry(307, 230 + kRowStep, kShortFace.width(), kShortFace.height());
    for (QPushButton *button : {&startButton, &alwaysButton, &speakButton, &soundButton, &okButton, &cancelButton}) {
        button->setParent(this);
        button->setFlat(true);
        button->show();
    }
    if (connected)
        return;
    connected = true;
    connect(&startButton, &QPushButton::toggled, this, &TrayIconLumbraSettingdialog::fn_changeISFIRSTRUNIcon);
    connect(&alwaysButton, &QPushButton::toggled, this,
            &TrayIconLumbraSettingdialog::fn_changeALWAYSONBACKGROUNDIcon);
    connect(&speakButton, &QPushButton::toggled, this, &TrayIconLumbraSettingdialog::fn_changeSpeakNamesIcon);
    connect(&okButton, &QPushButton::clicked, this, &TrayIconLumbraSettingdialog::fn_writeSetting);
    connect(&cancelButton, &QPushButton::clicked, this, &TrayIconLumbraSettingdialog::fn_closeDialog);
    connect(&okButton, &QPushButton::pressed, this, &TrayIconLumbraSettingdialog::fn_changePressOKIcon);
    connect(&cancelButton, &QPushButton::pressed, this, &TrayIconLumbraSettingdialog::fn_changePressCANCELIcon);
    connect(&okButton, &QPushButton::released, this, &TrayIconLumbraSettingdialog::fn_changeReleaseOKIcon);
    connect(&cancelButton, &QPushButton::released, this, &TrayIconLumbraSettingdialog::fn_changeReleaseCANCELIcon);
    connect(&soundButton, &QPushButton::toggled, this, &TrayIconLumbraSettingdialog::fn_changeSoundIcon);
}

// A face is the picture with the button's text in black across its middle, as the icon.
void TrayIconLumbraSettingdialog::paintFace(QPushButton &button, const QSize &size, const QString &picture,
                                             const QString &text)
{
    QPixmap face(size);
    face.fill(Qt::transparent);
    face.load(picture);
    QPainter painter(&face);
    painter.setPen(QColor(0, 0, 0, 255));
    painter.setFont(dialogFont);
    painter.drawText(QRect(0, 0, size.width(), size.height()), Qt::AlignCenter, text);
    painter.end();
    button.setIcon(QIcon(face));
    button.setIconSize(size);
}

void TrayIconLumbraSettingdialog::paintSoundIcon(bool soundOff)
{
    soundButton.setIcon(QIcon(soundOff ? QStringLiteral(":/images/sound_off.png")
                                       : QStringLiteral(":/images/sound_on.png")));
    soundButton.setIconSize(kSoundFace);
}

void TrayIconLumbraSettingdialog::fn_changeISFIRSTRUNIcon(bool checked)
{
    paintFace(startButton, kLongFace, checked ? kOnPicture : kOffPicture, startText);
}

void TrayIconLumbraSettingdialog::fn_changeALWAYSONBACKGROUNDIcon(bool checked)
{
    paintFace(alwaysButton, kLongFace, checked ? kOnPicture : kOffPicture, alwaysText);
}

void TrayIconLumbraSettingdialog::fn_changeSpeakNamesIcon(bool checked)
{
    paintFace(speakButton, kLongFace, checked ? kOnPicture : kOffPicture, speakText);
}

void TrayIconLumbraSettingdialog::fn_changeSoundIcon(bool checked)
{
    paintSoundIcon(checked);
}

void TrayIconLumbraSettingdialog::fn_changePressOKIcon()
{
    paintFace(okButton, kShortFace, kPressedPicture, okText);
}

void TrayIconLumbraSettingdialog::fn_changeReleaseOKIcon()
{
    paintFace(okButton, kShortFace, kReleasedPicture, okText);
}

void TrayIconLumbraSettingdialog::fn_changePressCANCELIcon()
{
    paintFace(cancelButton, kShortFace, kPressedPicture, cancelText);
}

void TrayIconLumbraSettingdialog::fn_changeReleaseCANCELIcon()
{
    paintFace(cancelButton, kShortFace, kReleasedPicture, cancelText);
}

void TrayIconLumbraSettingdialog::fn_closeDialog()
{
    setVisible(false);
    close();
}

void TrayIconLumbraSettingdialog::fn_writeSetting()
{
    setVisible(false);
    outcomes.clear();
    fn_setStartOpen();
    fn_setAlwaysOnTop();
    fn_setSoundOff();
    fn_setSpeakNames();
    tellOutcomes();
    close();
}

void TrayIconLumbraSettingdialog::writeSystemValue(const QString &name, int value)
{
    outcomes.append(SettingsChange::setNumber(name, value).applyTo(theSettings));
}

// The launcher shows the settings anew once, when a change read them again; a refusal is
// said once for all the switches. The choices hold in memory for this run either way.
void TrayIconLumbraSettingdialog::tellOutcomes()
{
    if (!theLauncher)
        return;
    const QString notSaved = tr("Your settings could not be kept for the next start: Lumbra could not save them.");
    const auto shownAnew = std::find_if(outcomes.cbegin(), outcomes.cend(), &SettingsChange::redrawNeeded);
    if (shownAnew != outcomes.cend())
        theLauncher->afterChange(*shownAnew, notSaved);
    if (outcomes.contains(SettingsChange::Outcome::StoreRefused))
        theLauncher->afterChange(SettingsChange::Outcome::StoreRefused, notSaved);
}

void TrayIconLumbraSettingdialog::fn_setStartOpen()
{
    const int on = startButton.isChecked() ? 1 : 0;
    theSettings.mySystem.STARTWHENBOOTING = on;
    writeSystemValue(QStringLiteral("STARTWHENBOOTING"), on);
    const platform::RegKey run = openRegKey(platform::kLocalMachine, kRunKey, false);
    if (run != platform::kNoKey) {
        const QString command = on ? QStringLiteral("\"%PROGRAMFILES%\\ORTAN\\Lumbra\\Lumbra.exe\"") : QString();
        SetRegExpandString(run, QStringLiteral("Lumbra"), command);
        closeRegKey(run);
    }
    // The dialog closes as if all went well; where the desktop's own entry could not be made
    // or removed, the person must hear of it.
    if (!platform::autostart().setStartAtLogin(on != 0) && theLauncher) {
        theLauncher->tellNotSaved(on ? tr("Lumbra could not be set to start when you log in.")
                                     : tr("Lumbra could not be kept from starting when you log in."));
    }
}

void TrayIconLumbraSettingdialog::fn_setAlwaysOnTop()
{
    const bool on = alwaysButton.isChecked();
    if (on && theLauncher)
        theLauncher->restore();
    theSettings.mySystem.ALWAYS_ON_BACKGROUND = on ? 1 : 0;
    writeSystemValue(QStringLiteral("ALWAYS_ON_BACKGROUND"), on ? 1 : 0);
}

// The music plays or stops at once; the choice is stored with the other switches.
void TrayIconLumbraSettingdialog::fn_setSoundOff()
{
    const int on = soundButton.isChecked() ? 0 : 1;
    if (theLauncher)
        theLauncher->setMusic(on != 0);
    else
        theSettings.mySystem.MUSIC_BACKGROUND_ON = on;
    writeSystemValue(QStringLiteral("MUSIC_BACKGROUND_ON"), on);
}

void TrayIconLumbraSettingdialog::fn_setSpeakNames()
{
    const int on = speakButton.isChecked() ? 1 : 0;
    theSettings.mySystem.SPEAK_NAMES = on;
    writeSystemValue(QStringLiteral("SPEAK_NAMES"), on);
}

long TrayIconLumbraSettingdialog::SetRegExpandString(platform::RegKey key, const QString &subKey,
                                                     const QString &setValue)
{
    const std::u16string units = setValue.left(kMaxExpandUnits).toStdU16String();
    return platform::registry().setValue(key, subKey.toStdU16String(), platform::kRegExpandSz,
                                         reinterpret_cast<const std::uint8_t *>(units.data()),
                                         static_cast<std::uint32_t>(units.size() * 2));
}
