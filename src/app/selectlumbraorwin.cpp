#include "selectlumbraorwin.h"

#include "launcher/HighlightReporter.h"
#include "launcher/SwitchScanner.h"
#include "platform/Platform.h"
#include "settings/SettingStore.h"
#include "settings/SettingsChange.h"
#include "widgets/ChoiceKeys.h"
#include "widgets/ImageButton.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>

namespace {

constexpr int kAlignCenter = 132;

ImageButton *choiceButton(QWidget *parent, int x, const QString &stem, const QFont &font)
{
    const QString prefix = QStringLiteral(":images/") + stem;
    auto *button = new ImageButton(QRect(x, 24, 133, 76), prefix + QStringLiteral("_normal.png"),
                                   prefix + QStringLiteral("_disable.png"), prefix + QStringLiteral("_mouseover.png"),
                                   prefix + QStringLiteral("_mousedown.png"), font, QString(),
                                   QRect(0, 0, 133, 76), kAlignCenter, QColor(Qt::red));
    button->setParent(parent);
    button->show();
    return button;
}

} // namespace

selectlumbraorwin::selectlumbraorwin(const QString &title, const QFont &font, const QString &lumbraText,
                                     const QString &windowsText)
    : QDialog(nullptr), dialogFont(font), lumbraText(lumbraText), windowsText(windowsText)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("selectlumbraorwinClass"));
    resize(404, 153);
    setMinimumSize(404, 153);
    setMaximumSize(404, 153);
    QPalette palette;
    const QBrush white(QColor(255, 255, 255, 255));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setBrush(group, QPalette::Base, white);
        palette.setBrush(group, QPalette::Window, white);
    }
    setPalette(palette);
    setWindowTitle(title);
    QMetaObject::connectSlotsByName(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

    ImageButton *launcherButton = choiceButton(this, 50, QStringLiteral("LUMBRA"), dialogFont);
    addCaption(QRect(40, 90, 153, 53), lumbraText);
    addCaption(QRect(40, 120, 153, 23), QCoreApplication::translate("selectlumbraorwinClass", " "));
    ImageButton *desktopButton = choiceButton(this, 222, QStringLiteral("XP"), dialogFont);
    addCaption(QRect(212, 90, 153, 53), windowsText);
    addCaption(QRect(212, 120, 153, 23), QCoreApplication::translate("selectlumbraorwinClass", " "));
    // The captions are labels beside the pictures: the screen reader gets them on the buttons.
    launcherButton->setAccessibleName(lumbraText);
    desktopButton->setAccessibleName(windowsText);
    connect(launcherButton, &QPushButton::clicked, this, &selectlumbraorwin::call_Lumbra);
    connect(desktopButton, &QPushButton::clicked, this, &selectlumbraorwin::call_WindowsMode);
    new ChoiceKeys(this, {launcherButton, desktopButton}, 0);
    endpoint = platform::windows().registerWindow(u"QWidget", u"Lumbra", winId(),
                                                  [this](const platform::WindowMessage &message) {
                                                      if (message.message == platform::kWmClose) {
                                                          closeRequested = true;
                                                          close();
                                                      }
                                                      return false;
                                                  });
}

selectlumbraorwin::~selectlumbraorwin()
{
    if (endpoint != platform::kNoWindow)
        platform::windows().unregisterWindow(endpoint);
}

void selectlumbraorwin::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return event->accept();
    QDialog::keyPressEvent(event);
}

void selectlumbraorwin::addCaption(const QRect &geometry, const QString &text)
{
    auto *label = new QLabel(text, this);
    label->setFont(dialogFont);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(geometry);
    label->show();
}

void selectlumbraorwin::call_Lumbra()
{
    theSettings.mySystem.IS_FIRST_RUN = 0;
    // The launcher starts anyway; without a word the question would come back at every start.
    if (SettingsChange::setNumber(QStringLiteral("IS_FIRST_RUN"), 0).applyTo(theSettings)
        == SettingsChange::Outcome::StoreRefused) {
        auto *message = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                        tr("Your choice could not be kept: Lumbra could not save its settings, "
                                           "and will ask again at the next start."));
        message->setAttribute(Qt::WA_DeleteOnClose);
        message->setWindowFlag(Qt::WindowStaysOnTopHint);
        message->open();
    }
    close();
    launcherChosen = true;
}

void selectlumbraorwin::call_WindowsMode()
{
    launcherChosen = false;
    close();
}

bool askStartChoice(int *exitCode)
{
    if (theSettings.getInt(IntSetting::IS_FIRST_RUN) != 1)
        return true;
    selectlumbraorwin dialog(theSettings.getString(TextSetting::LUMBRA_WINDOWTITLE),
                             theSettings.getFont(FontSetting::SYSTEM_STRING_FONT),
                             theSettings.getString(TextSetting::DIALOG_LUMBRA_NAME),
                             theSettings.getString(TextSetting::DIALOG_WINDOWMODE_NAME));
    HighlightReporter reporter;
    SwitchScanner scanner(nullptr, &reporter);
    scanner.start(SwitchScanner::stepTime(theSettings.mySystem.SWITCH_SCAN_MS));
    dialog.exec();
    if (dialog.launcherChosen)
        return true;
    if (exitCode)
        *exitCode = dialog.closeRequested ? 1 : 0;
    QCoreApplication::exit(0);
    return false;
}
