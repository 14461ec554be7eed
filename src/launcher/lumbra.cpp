// The launcher window itself: its construction, its place on the screen, the theme, and
// what the dialogs and the tray ask of it.

#include "lumbra.h"

#include "DropQueue.h"
#include "HighlightReporter.h"
#include "LauncherGeometry.h"
#include "LauncherMessageFilter.h"
#include "MissingPrograms.h"
#include "Navigator.h"
#include "PageBuilder.h"
#include "SwitchScanner.h"
#include "TabEntry.h"
#include "TabStrip.h"
#include "TitleBar.h"
#include "UndoOffer.h"
#include "dialogs/CaregiverLock.h"
#include "dialogs/LumbraShutDown.h"
#include "platform/Platform.h"
#include "platform/WindowMessages.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/FaceRecipes.h"
#include "widgets/IconQLabel.h"
#include "widgets/LauncherAccessible.h"
#include "widgets/TabQLabel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>

namespace {

void fitToScreen(QWidget *window)
{
    const int width = LauncherGeometry::screenWidth();
    const int height = LauncherGeometry::screenHeight();
    window->setMaximumSize(width, height);
    window->setMinimumSize(width, height);
    window->setGeometry(0, 0, width, height);
}

} // namespace

lumbra::lumbra()
    : QDialog(nullptr)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("lumbraClass"));
    resize(1024, 768);
    setMinimumSize(0, 0);
    setMaximumSize(1024, 1496);
    setSizeGripEnabled(true);
    setWindowTitle(QString());
    QMetaObject::connectSlotsByName(this);
    reporter = new HighlightReporter(this);
    pageBuilder = new PageBuilder(this);
    connect(pageBuilder, &PageBuilder::iconActivated, this,
            [this](APIconQLabel *icon) { dispatchAction(icon, nullptr, nullptr); });
    tabStrip = new TabStrip(this);
    navigator = new Navigator(this, tabs, pageBuilder, reporter, [this](int t) { return pageOf(t); });
    connect(navigator, &Navigator::switched, this, [this](int t) {
        checkTargets(t);
        undo->place();
    });
    connect(tabStrip, &TabStrip::chosen, this, &lumbra::chooseTab);
    LauncherAccessible::install();
}

lumbra::~lumbra()
{
    // The title bar's paging buttons and back bar may be on no page; it deletes them while the
    // pages still stand.
    delete bar;
    if (endpoint != platform::kNoWindow)
        platform::windows().unregisterWindow(endpoint);
    qDeleteAll(tabs);
    if (theLauncher == this)
        theLauncher = nullptr;
}

void lumbra::initialise()
{
    setWindowTitle(QStringLiteral("Lumbra"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // A window as large as the screen has nothing to resize; a grip would only look unfinished.
    setSizeGripEnabled(false);
    navigator->reset();
    shiftDown = false;
    theSettings.computeIconGrid();
    fitToScreen(this);

    buildTitleBar();
    missing = new MissingPrograms(this);
    undo = new UndoOffer(this);
    connect(undo, &UndoOffer::restored, this, &lumbra::putBackLabel);
    drops = new DropQueue(this);
    connect(pageBuilder, &PageBuilder::applicationDropped, drops, &DropQueue::add);
    connect(this, &lumbra::timerStart_signal, &pageBuildTimer, qOverload<int>(&QTimer::start));
    connect(&pageBuildTimer, &QTimer::timeout, this, &lumbra::timerStart_slot);
    new LauncherMessageFilter(this);

    tabStrip->build(bar->tabArea(), tabs);
    showFirstPage();
    showWhetherSettingsAreThere();
    // Other launcher processes find the window by its class and title.
    endpoint = platform::windows().registerWindow(u"QWidget", u"Lumbra", winId(),
                                                  [this](const platform::WindowMessage &message) {
                                                      handleMessage(message.message, message.wParam);
                                                      return false;
                                                  });
    emit timerStart_signal(100);
    scanner = new SwitchScanner(this, reporter);
    scanner->start(SwitchScanner::stepTime(theSettings.mySystem.SWITCH_SCAN_MS));
    navigator->markSelection();
    // Music the person left on plays again, and the speaker shows it: a speaker showing "off"
    // while the music is on would do nothing at its first click.
    if (theSettings.mySystem.MUSIC_BACKGROUND_ON != 0)
        playMusic(true);
}

void lumbra::buildTitleBar()
{
    bar = new TitleBar(this);
    connect(bar, &TitleBar::buttonActivated, this,
            [this](IconQLabel *button) { dispatchAction(nullptr, button, nullptr); });
}

void lumbra::displayChanged()
{
    theSettings.computeIconGrid();
    PageBuilder::layOut(tabs);
    fitToScreen(this);
    bar->place();
    tabStrip->place(tabs);
    if (currentTab() < tabs.size())
        navigator->switchToTab(currentTab());
    undo->place();
    showWhetherSettingsAreThere();
    if (theShutDownDialog) {
        theShutDownDialog->move((LauncherGeometry::screenWidth() - theShutDownDialog->width()) / 2,
                                (LauncherGeometry::screenHeight() - theShutDownDialog->height()) / 2);
    }
}

void lumbra::applyTheme()
{
    pageBuilder->showPicture(currentTab(), tabs.value(currentTab()));
    bar->applyTheme();
    for (int t = 0; t < tabs.size(); ++t) {
        if (t == currentTab())
            tabs.at(t)->tabLabel->paintSelected();
        else
            tabs.at(t)->tabLabel->paintUnselected();
    }
    tabStrip->applyTheme();
    for (TabEntry *entry : std::as_const(tabs)) {
        for (APIconQLabel *icon : std::as_const(entry->icons))
            icon->reloadFace(theSettings.getString(TextSetting::MASK_PNG_NAME),
                             theSettings.getColor(ColourSetting::THEME_ICON_AP_NAME_COLOR),
                             theSettings.getColor(ColourSetting::THEME_ICON_AP_NAME_REVERSE_COLOR),
                             LauncherGeometry::font(FontSetting::ICON_AP_NAME_FONT));
    }
    if (APIconQLabel *icon = iconAt(currentTab(), selectedIcon()))
        navigator->highlight(icon);
}

// The launcher covers the screen and nobody reads its standard error: a change that could not
// be saved is told in a message of its own, which does not hold up the launcher.
void lumbra::tellNotSaved(const QString &text)
{
    auto *message = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    message->setAttribute(Qt::WA_DeleteOnClose);
    message->open();
}

void lumbra::restore()
{
    activateWindow();
    showNormal();
}

// Programs may have been installed or removed while the launcher was away.
void lumbra::changeEvent(QEvent *event)
{
    const bool back = (event->type() == QEvent::WindowStateChange && !isMinimized())
                      || (event->type() == QEvent::ActivationChange && isActiveWindow());
    if (back && bar)
        checkTargets(currentTab());
}

// Escape would reject the dialog and hide the launcher, leaving the person without a desktop.
void lumbra::keyPressEvent(QKeyEvent *event)
{
    event->accept();
}

void lumbra::reject()
{
}

// A close from the window manager (Alt+F4) is WM_CLOSE to the launcher's window, which ends
// the program; the launcher is never left hidden with no way back. Like the tray's exit it
// asks for the caregiver's PIN first; the program's own close() comes from the tray's exit,
// which has asked already.
void lumbra::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (event->spontaneous() && !CaregiverLock::allow(CaregiverLock::Action::WindowClose, this))
        return;
    if (endpoint == platform::kNoWindow || !platform::windows().sendMessage(endpoint, platform::kWmClose, 0, 0, 0))
        QCoreApplication::exit(0);
}
