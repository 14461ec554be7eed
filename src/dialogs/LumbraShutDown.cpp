#include "LumbraShutDown.h"

#include "CaregiverLock.h"
#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/Power.h"
#include "platform/Shell.h"
#include "platform/SystemServices.h"
#include "settings/SettingStore.h"
#include "widgets/ChoiceKeys.h"
#include "widgets/ShutdownQLabel.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QScreen>

LumbraShutDown *theShutDownDialog = nullptr;

namespace {

constexpr quint16 kFinnish = 0x040B;
// A button's caption is two lines in a box this high.
constexpr int kCaptionHeight = 40;
constexpr int kSmallestPixelSize = 11;

} // namespace

LumbraShutDown::LumbraShutDown(QWidget *parent)
    : QDialog(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("LumbraShutDownClass"));
    resize(700, 180);
    setMinimumSize(700, 180);
    setMaximumSize(700, 180);
    backgroundLabel = new QLabel(this);
    backgroundLabel->setObjectName(QStringLiteral("BK_Label"));
    backgroundLabel->setGeometry(0, 0, 700, 180);
    backgroundLabel->setMinimumSize(700, 180);
    backgroundLabel->setMaximumSize(700, 180);
    QMetaObject::connectSlotsByName(this);

    const quint16 langId = platform::system().systemDefaultLangId();
    (void)translator.load(translationFileFor(langId));
    QCoreApplication::installTranslator(&translator);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
    setWindowTitle(QStringLiteral("Lumbra Shut Down App"));
    setAttribute(Qt::WA_MouseTracking, true);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    fetchTexts();

    setFont(buttonFont(langId));
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/Image/Image/shutdown.png")), QIcon::Normal, QIcon::Off);
    setWindowIcon(icon);
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(icon);
    trayIcon->setToolTip(theSettings.getString(TextSetting::SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME));
    trayIcon->setVisible(true);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &LumbraShutDown::iconActivated);

    endpoint = platform::windows().registerWindow(u"QWidget", u"Lumbra Shut Down App", 0,
                                                  [this](const platform::WindowMessage &message) {
                                                      return handleMessage(message);
                                                  });
}

LumbraShutDown::~LumbraShutDown()
{
    if (endpoint != platform::kNoWindow)
        platform::windows().unregisterWindow(endpoint);
}

// The pictures are painted the first time the window is shown, not at start: most runs never
// show it, and the launcher's first frame should not wait for them.
void LumbraShutDown::setVisible(bool visible)
{
    if (visible && !quitLumbraLabel)
        buildButtons();
    QDialog::setVisible(visible);
    // Shown from the tray or by scanning, it takes the keys, which would otherwise go on
    // working the launcher underneath.
    if (visible) {
        raise();
        activateWindow();
    }
}

void LumbraShutDown::buildButtons()
{
    backgroundLabel->setPixmap(QPixmap(QStringLiteral(":/Image/Image/bg.png")));
    const QColor grey(Qt::darkGray);
    const QColor black(Qt::black);
    const QRect textBox(0, 90, 140, kCaptionHeight);
    quitLumbraLabel = makeButton(QRect(6, 2, 137, 140), QStringLiteral("full_screen"), textBox, quitLumbraText1,
                                 quitLumbraText2, grey, black, &LumbraShutDown::ActionQuitLumbra);
    taskManagerLabel = makeButton(QRect(142, 2, 138, 140), QStringLiteral("task_manager"), textBox,
                                  taskManagerText1, taskManagerText2, grey, black, &LumbraShutDown::ActionTaskManager);
    standByLabel = makeButton(QRect(280, 1, 138, 140), QStringLiteral("standby"), textBox, standByText1,
                              standByText2, grey, black, &LumbraShutDown::ActionStandBy);
    restartLabel = makeButton(QRect(418, 1, 138, 140), QStringLiteral("restart"), textBox, restartText1,
                              restartText2, grey, black, &LumbraShutDown::ActionRestart);
    shutDownLabel = makeButton(QRect(556, 1, 138, 140), QStringLiteral("shutdown"), textBox, shutDownText1,
                               shutDownText2, grey, black, &LumbraShutDown::ActionShutDown);
    quitLabel = makeButton(QRect(556, 144, 138, 31), QStringLiteral("quit"), QRect(0, 0, 138, 31), quitText1,
                           quitText2, black, black, &LumbraShutDown::ActionQuit);
    // The keys start on the button that only closes the window: a Return pressed at once
    // must not end the launcher or the computer's work.
    new ChoiceKeys(this, {quitLumbraLabel, taskManagerLabel, standByLabel, restartLabel, shutDownLabel, quitLabel}, 5);
}

// Where Arial is not installed the system gives another font for it, on Debian often a taller
// one (Nimbus Sans): its two lines would not fit the caption box, and the second would be cut.
QFont LumbraShutDown::buttonFont(quint16 langId)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(langId == kFinnish ? 14 : 16);
    while (font.pixelSize() > kSmallestPixelSize && 2 * QFontMetrics(font).height() > kCaptionHeight)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

QString LumbraShutDown::translationFileFor(quint16 langId)
{
    // Portuguese of both regions reads the Brazilian file; there is no other.
    QString code = languageCodeForLangId(langId);
    if (code == QLatin1String("PT"))
        code = QStringLiteral("BR");
    return QStringLiteral("./Language/lumbrashutdown") + code;
}

void LumbraShutDown::fetchTexts()
{
    quitLumbraText1 = tr("QuitLumbraString1");
    quitLumbraText2 = tr("QuitLumbraString2");
    taskManagerText1 = tr("TaskManegerString1");
    taskManagerText2 = tr("TaskMAnagerString2");
    standByText1 = tr("StandByString1");
    standByText2 = tr("StandByString2");
    restartText1 = tr("RestartString1");
    restartText2 = tr("RestartString2");
    shutDownText1 = tr("ShutDownString1");
    shutDownText2 = tr("ShutDownString2");
    quitText1 = tr("QuitString1");
    quitText2 = tr("QuitString2");
}

ShutdownQLabel *LumbraShutDown::makeButton(const QRect &geometry, const QString &picture, const QRect &textBox,
                                           const QString &first, const QString &second, const QColor &normal,
                                           const QColor &hover, void (LumbraShutDown::*action)())
{
    const QString stem = QStringLiteral(":/Image/Image/") + picture;
    auto *label = new ShutdownQLabel(geometry, stem + QStringLiteral("_norm.png"),
                                     stem + QStringLiteral("_hi.png"), font(), textBox, first, second, normal, hover);
    label->setParent(this);
    connect(label, &ShutdownQLabel::LabelPress, this, action);
    return label;
}

bool LumbraShutDown::handleMessage(const platform::WindowMessage &message)
{
    if (message.message == platform::kWmShowWindow && message.wParam == 1)
        setVisible(true);
    return false;
}

void LumbraShutDown::ActionQuitLumbra()
{
    if (!CaregiverLock::allow(CaregiverLock::Action::LeaveFromShutDown, this))
        return;
    platform::WindowMessages &windows = platform::windows();
    const platform::WindowHandle launcher = windows.findWindow(u"QWidget", u"Lumbra");
    if (launcher != platform::kNoWindow)
        windows.postMessage(launcher, platform::kWmClose, 0, 0);
    close();
}

void LumbraShutDown::ActionTaskManager()
{
    platform::shell().startTaskManager();
}

void LumbraShutDown::ActionStandBy()
{
    platform::Power &power = platform::power();
    if (!power.enableShutdownPrivilege())
        return;
    power.suspend();
    setVisible(false);
}

void LumbraShutDown::ActionRestart()
{
    platform::Power &power = platform::power();
    if (power.enableShutdownPrivilege())
        power.reboot();
}

void LumbraShutDown::ActionShutDown()
{
    platform::Power &power = platform::power();
    if (power.enableShutdownPrivilege())
        power.powerOff();
}

void LumbraShutDown::ActionQuit()
{
    setVisible(false);
}

void LumbraShutDown::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        setVisible(true);
}
