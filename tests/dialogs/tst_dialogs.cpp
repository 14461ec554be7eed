// The dialogs around the launcher, driven as a person drives them, with what they leave in
// memory and in a temporary store.

#include "LauncherFixture.h"
#include "RecordingShell.h"

#include "app/QMyApp.h"
#include "app/SingleInstance.h"
#include "app/TrayIcon.h"
#include "app/selectlumbraorwin.h"
#include "dialogs/DropIconDialog.h"
#include "dialogs/LumbraShutDown.h"
#include "dialogs/ThemeSettingDialog.h"
#include "dialogs/TrayIconLumbraSettingdialog.h"
#include "launcher/TabEntry.h"
#include "launcher/TitleBar.h"
#include "launcher/lumbra.h"
#include "platform/Registry.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/RegistryAccess.h"
#include "settings/SettingStore.h"
#include "widgets/IconQLabel.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/FaceRecipes.h"
#include "widgets/ImageButton.h"
#include "widgets/ShutdownQLabel.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Two themes whose first page pictures differ, so that a theme change shows on the page.
LauncherStore twoThemes()
{
    return LauncherStore({QStringLiteral("1.2"), QStringLiteral("3")});
}

void addSecondTheme(SettingStore &store)
{
    ThemeInfo dark = store.themes.first();
    dark.THEME_NAME = QStringLiteral("Dark");
    store.themes.append(dark);
    store.mySystem.THEME_DIR = QStringLiteral("Theme/");
}

bool writePicture(const QString &path, const QColor &colour)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    return QDir().mkpath(QFileInfo(path).path()) && image.save(path);
}

} // namespace

class tst_Dialogs : public LauncherFixture
{
    Q_OBJECT

private slots:
    void themeDialogPreviewsThenKeepsOrRestores_data();
    void themeDialogPreviewsThenKeepsOrRestores();
    void pagePictureDecodedOncePerThemeAndSize_data();
    void pagePictureDecodedOncePerThemeAndSize();
    void themeDialogSwallowsTheFirstIndexChange();
    void trayClickGuard();
    void dropDialogAddsAnIconToTheStore_data();
    void dropDialogAddsAnIconToTheStore();
    void dropDialogIntoARefusingStoreLeavesNothing();
    void dropDialogNamesAPictureNobodyUses();
    void startChoice_data();
    void startChoice();
    void translationFileFollowsTheLanguage_data();
    void translationFileFollowsTheLanguage();
    void settingsDialogCancelChangesNothing();
    void settingsDialogOkWritesTheSwitches_data();
    void settingsDialogOkWritesTheSwitches();
    void musicDoesWhatItShows_data();
    void musicDoesWhatItShows();
    void settingsDialogTellsAStartAtLoginThatFailed();
    void shutDownActions_data();
    void shutDownActions();
    void shutDownDialogShownFromOutside();
    void secondStartHandsOver_data();
    void secondStartHandsOver();
    void restoreMessageBringsTheLauncherBack();

private:
    void startLauncher(const LauncherStore &store);
    QRgb pageColour() const;
};

void tst_Dialogs::startLauncher(const LauncherStore &store)
{
    store.fill(theSettings);
    addSecondTheme(theSettings);
    QVERIFY(writePicture(folderPath(QStringLiteral("Theme/Light/page1.png")), Qt::red));
    QVERIFY(writePicture(folderPath(QStringLiteral("Theme/Dark/page1.png")), Qt::blue));
    QVERIFY(saveAllSettings(theSettings));
    startOnSettings();
}

QRgb tst_Dialogs::pageColour() const
{
    const QImage page = launcher->tab(0)->page->pixmap().toImage();
    return page.isNull() ? 0 : page.pixel(5, 5);
}

void tst_Dialogs::themeDialogPreviewsThenKeepsOrRestores_data()
{
    QTest::addColumn<QString>("end");
    QTest::newRow("cancel") << "cancel";
    QTest::newRow("escape") << "escape";
    QTest::newRow("OK") << "ok";
}

void tst_Dialogs::themeDialogPreviewsThenKeepsOrRestores()
{
    QFETCH(QString, end);
    startLauncher(twoThemes());
    // The first page gets its picture right after the first frame.
    QTRY_COMPARE(pageColour(), QColor(Qt::red).rgb());
    ThemeSettingDialog dialog(nullptr);
    dialog.setupThemeDialog();
    dialog.loadThemeList();
    QCOMPARE(dialog.comboBox_theme->count(), 2);
    dialog.comboBox_theme->setCurrentIndex(1);
    QCOMPARE(theSettings.mySystem.CURRENT_THEME, 2);
    QCOMPARE(pageColour(), QColor(Qt::blue).rgb());
    if (end == QLatin1String("escape"))
        dialog.reject();
    else if (end == QLatin1String("ok"))
        dialog.themeOkButton->click();
    else
        dialog.themeCancelButton->click();
    const int theme = end == QLatin1String("ok") ? 2 : 1;
    QCOMPARE(theSettings.mySystem.CURRENT_THEME, theme);
    QCOMPARE(pageColour(), QColor(theme == 2 ? Qt::blue : Qt::red).rgb());
    QCOMPARE(stored().mySystem.CURRENT_THEME, theme);
}

void tst_Dialogs::pagePictureDecodedOncePerThemeAndSize_data()
{
    QTest::addColumn<QString>("between");
    QTest::addColumn<bool>("decodedAgain");
    QTest::newRow("another tab shown") << "tab" << false;
    QTest::newRow("the picture touched on disk") << "touch" << true;
    QTest::newRow("a new screen size") << "size" << true;
}

void tst_Dialogs::pagePictureDecodedOncePerThemeAndSize()
{
    QFETCH(QString, between);
    QFETCH(bool, decodedAgain);
    startLauncher(twoThemes());
    QTRY_COMPARE(pageColour(), QColor(Qt::red).rgb());
    const qint64 first = launcher->tab(0)->page->pixmap().cacheKey();
    QFile file(folderPath(QStringLiteral("Theme/Light/page1.png")));
    QVERIFY(between != QLatin1String("touch")
            || (file.open(QIODevice::ReadWrite)
                && file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFile::FileModificationTime)));
    platform->screen.width = between == QLatin1String("size") ? 800 : 1024;
    launcher->handleMessage(platform::kWmDisplayChange, 0);
    launcher->dispatchAction(nullptr, nullptr, launcher->tab(1)->tabLabel);
    launcher->dispatchAction(nullptr, nullptr, launcher->tab(0)->tabLabel);
    QCOMPARE(launcher->tab(0)->page->pixmap().cacheKey() != first, decodedAgain);
    // Kept at the page's size, not the file's.
    QCOMPARE(launcher->tab(0)->page->pixmap().size(), launcher->tab(0)->page->size());
}

// Filling the list makes its first entry current; that is no choice of the person's.
void tst_Dialogs::themeDialogSwallowsTheFirstIndexChange()
{
    startLauncher(twoThemes());
    theSettings.mySystem.CURRENT_THEME = 2;
    ThemeSettingDialog dialog(nullptr);
    dialog.setupThemeDialog();
    dialog.loadThemeList();
    QVERIFY(!dialog.firstIndexChange);
    QCOMPARE(dialog.previousTheme, 2);
    QCOMPARE(theSettings.mySystem.CURRENT_THEME, 2);
    QCOMPARE(dialog.comboBox_theme->currentIndex(), 1);
    // Its parts are placed for one size; a window manager may not stretch or squeeze it.
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
}

void tst_Dialogs::trayClickGuard()
{
    startLauncher(twoThemes());
    theSettings.mySystem.SYSTEMTRAY_LUMBRA_SETTING_EXIT = QStringLiteral("Beenden");
    TrayIcon tray;
    tray.setupTray();
    // The menu speaks the tree's language; only a text the tree lacks is the program's own.
    QCOMPARE(tray.exitText, QStringLiteral("Beenden"));
    QCOMPARE(tray.settingText, QStringLiteral("Settings"));
    QVERIFY(!launcher->isMinimized());
    tray.iconActivated(QSystemTrayIcon::Trigger);
    QVERIFY(launcher->isMinimized());
    QVERIFY(tray.clickDisabled);
    tray.iconActivated(QSystemTrayIcon::Trigger);
    QVERIFY(launcher->isMinimized());
    tray.iconActivated(QSystemTrayIcon::DoubleClick);
    QTRY_VERIFY_WITH_TIMEOUT(!tray.clickDisabled, 2000);
    tray.iconActivated(QSystemTrayIcon::Trigger);
    QVERIFY(!launcher->isMinimized());
    QTRY_VERIFY_WITH_TIMEOUT(!tray.clickDisabled, 2000);
    theSettings.mySystem.ALWAYS_ON_BACKGROUND = 1;
    tray.iconActivated(QSystemTrayIcon::Trigger);
    QVERIFY(!launcher->isMinimized());
    QVERIFY(!tray.clickDisabled);
    // Minimised by the desktop all the same, it comes back.
    launcher->showMinimized();
    tray.iconActivated(QSystemTrayIcon::Trigger);
    QVERIFY(!launcher->isMinimized());
}

void tst_Dialogs::dropDialogAddsAnIconToTheStore_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("picture");
    QTest::newRow("a drive") << "C:\\Tools\\my.app.exe" << "C:/Tools/my.app.exe" << "Icon/my.png";
    QTest::newRow("a UNC name") << "\\\\server\\my.exe" << "//server/my.exe" << "Icon/my.png";
    QTest::newRow("a POSIX name with backslashes") << "/opt/a\\b/my\\x" << "/opt/a\\b/my\\x" << "Icon/my.png";
    QTest::newRow("a program folder that takes nothing") << "/opt/my" << "/opt/my" << "data/lumbra/Icon/my.png";
}

// A file named Icon blocks the program's folder: the picture goes to the person's.
void tst_Dialogs::dropDialogAddsAnIconToTheStore()
{
    QFETCH(QString, path);
    QFETCH(QString, target);
    QFETCH(QString, picture);
    startLauncher(twoThemes());
    QFile blocker(folderPath(QStringLiteral("Icon")));
    QVERIFY(picture.startsWith(u'I') || blocker.open(QIODevice::WriteOnly));
    launcher->dispatchAction(nullptr, nullptr, launcher->tab(1)->tabLabel);
    DropIconDialog dialog;
    dialog.setDroppedFile(path, QStringLiteral("my.app.exe"));
    QCOMPARE(path, target);
    // The program's path is shown, not typed over.
    QTest::keyClicks(dialog.lineEdit_2, QStringLiteral("x"));
    QCOMPARE(dialog.lineEdit_2->text(), target);
    QCOMPARE(dialog.lineEdit_3->text(), QStringLiteral("my"));
    dialog.lineEdit_3->setText(QStringLiteral("  My Tool  "));
    dialog.appIcon.fill(Qt::green);
    dialog.dropOkButton->click();

    IconInfo &added = theSettings.icons.last();
    QCOMPARE(added.ICON_AP_NAME, QStringLiteral("My Tool"));
    QCOMPARE(added.ICON_AP_EXE_LOCATION, u'"' + target + u'"');
    QCOMPARE(added.ICON_AP_PNG_FILE_NAME, QStringLiteral("./Icon/my.png"));
    QCOMPARE(added.ICON_DATA_TYPE, 1);
    QVERIFY(QFileInfo::exists(folderPath(picture)));
    QCOMPARE(loadPicture(added.ICON_AP_PNG_FILE_NAME).pixelColor(8, 8), QColor(Qt::green));
    QCOMPARE(theSettings.tabs.at(1).TAB_ITEM_ALL_ICONS, QStringLiteral("3.%1").arg(added.ICON_ID));
    QCOMPARE(stored().icons.last().ICON_AP_NAME, QStringLiteral("My Tool"));
    QCOMPARE(launcher->tab(1)->icons.last()->name, QStringLiteral("My Tool"));
    added.ICON_AP_PNG_FILE_NAME.clear(); // the file alone takes the name
    QCOMPARE(DropIconDialog::freePictureName(QStringLiteral("./Icon/"), QStringLiteral("my")),
             QStringLiteral("./Icon/my-2.png"));
}

// An icon the store cannot keep is not added; its picture goes with it.
void tst_Dialogs::dropDialogIntoARefusingStoreLeavesNothing()
{
    startLauncher(twoThemes());
    QVERIFY(executeOnStore(platform->databasePath(),
                           QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON reg_keys BEGIN "
                                          "SELECT RAISE(ABORT, 'access denied'); END")));
    DropIconDialog dialog;
    QString path = QStringLiteral("/opt/tools/tool");
    dialog.setDroppedFile(path, QStringLiteral("tool"));
    dialog.dropOkButton->click();
    QCOMPARE(theSettings.icons.size(), 30);
    QVERIFY(!QFileInfo::exists(folderPath(QStringLiteral("Icon/tool.png"))));
    QVERIFY(launcher->findChild<QMessageBox *>());
    dialog.show();
    dialog.dropCancelButton->click();
    QVERIFY(dialog.isHidden());
}

void tst_Dialogs::dropDialogNamesAPictureNobodyUses()
{
    startLauncher(twoThemes());
    theSettings.icons.first().ICON_AP_PNG_FILE_NAME = QStringLiteral("./Icon/tool.png");
    QVERIFY(writePicture(folderPath(QStringLiteral("Icon/tool-2.png")), Qt::green));
    for (auto [base, name] : {std::pair{"tool", "tool-3"}, {"../../etc/x", "____etc_x"}, {"", "program"}, {".x", "x"}})
        QCOMPARE(DropIconDialog::freePictureName(QStringLiteral("./Icon/"), QLatin1String(base)),
                 QStringLiteral("./Icon/%1.png").arg(QLatin1String(name)));
}

void tst_Dialogs::startChoice_data()
{
    QTest::addColumn<bool>("launcherChosen");
    QTest::newRow("the launcher") << true;
    QTest::newRow("the normal desktop") << false;
    QTest::newRow("the desktop by one switch") << false;
}

void tst_Dialogs::startChoice()
{
    QFETCH(bool, launcherChosen);
    const bool scanning = QByteArray(QTest::currentDataTag()).endsWith("switch");
    twoThemes().fill(theSettings);
    theSettings.mySystem.IS_FIRST_RUN = 1;
    theSettings.mySystem.SWITCH_SCAN_MS = scanning ? 200 : 0;
    QVERIFY(saveAllSettings(theSettings));
    // Scanning: the switch once the scan is on the desktop (never there: the launcher, later).
    QTimer answer;
    int ticks = 0;
    connect(&answer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<selectlumbraorwin *>(QApplication::activeModalWidget());
        const QList<ImageButton *> buttons = dialog ? dialog->findChildren<ImageButton *>() : QList<ImageButton *>();
        if (buttons.size() != 2 || (scanning && dialog->focusWidget() != buttons.at(1) && ++ticks < 1000))
            return;
        answer.stop();
        QCOMPARE(dialog->size(), QSize(404, 153));
        scanning ? QTest::keyClick(dialog, Qt::Key_Space) : buttons.at(launcherChosen ? 0 : 1)->click();
    });
    answer.start(10);
    const bool started = askStartChoice();
    // The desktop's answer ended the event loop, as start-up wants; the next dialog needs one.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    QCOMPARE(started, launcherChosen);
    QCOMPARE(stored().mySystem.IS_FIRST_RUN, launcherChosen ? 0 : 1);
    theSettings.mySystem.IS_FIRST_RUN = 0;
    QVERIFY(askStartChoice());
}

void tst_Dialogs::translationFileFollowsTheLanguage_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<QString>("file");
    QTest::newRow("German") << 0x0407 << QStringLiteral("./Language/lumbrashutdownDE");
    QTest::newRow("Portugal reads the Brazilian file") << 0x0816 << QStringLiteral("./Language/lumbrashutdownBR");
    QTest::newRow("Brazil") << 0x0416 << QStringLiteral("./Language/lumbrashutdownBR");
    QTest::newRow("Afrikaans") << 0x0436 << QStringLiteral("./Language/lumbrashutdownEN");
    QTest::newRow("Chinese Singapore") << 0x1004 << QStringLiteral("./Language/lumbrashutdownCN");
    QTest::newRow("English") << 0x0409 << QStringLiteral("./Language/lumbrashutdownEN");
    QTest::newRow("Hebrew has none") << 0x040D << QStringLiteral("./Language/lumbrashutdownEN");
}

void tst_Dialogs::translationFileFollowsTheLanguage()
{
    QFETCH(int, langId);
    QFETCH(QString, file);
    QCOMPARE(LumbraShutDown::translationFileFor(quint16(langId)), file);
}

void tst_Dialogs::settingsDialogCancelChangesNothing()
{
    startLauncher(twoThemes());
    TrayIconLumbraSettingdialog dialog;
    dialog.prepareDialog();
    // Each switch shows its new state at once, and its old one when pressed again.
    for (QPushButton *button : {&dialog.startButton, &dialog.alwaysButton, &dialog.speakButton, &dialog.soundButton}) {
        const QImage before = button->icon().pixmap(button->iconSize()).toImage();
        button->click();
        QVERIFY(button->icon().pixmap(button->iconSize()).toImage() != before);
        button->click();
        QCOMPARE(button->icon().pixmap(button->iconSize()).toImage(), before);
    }
    // OK and Cancel look pressed while held, and no longer once the finger slides off them.
    dialog.show();
    for (QPushButton *button : {&dialog.okButton, &dialog.cancelButton}) {
        const QImage before = button->icon().pixmap(button->iconSize()).toImage();
        QTest::mousePress(button, Qt::LeftButton);
        QVERIFY(button->icon().pixmap(button->iconSize()).toImage() != before);
        QTest::mouseMove(button, QPoint(-20, -20));
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-20, -20));
        QCOMPARE(button->icon().pixmap(button->iconSize()).toImage(), before);
    }
    dialog.startButton.click();
    dialog.alwaysButton.click();
    dialog.soundButton.click();
    dialog.cancelButton.click();
    QVERIFY(dialog.isHidden());
    QCOMPARE(theSettings.mySystem.STARTWHENBOOTING, 0);
    QCOMPARE(theSettings.mySystem.ALWAYS_ON_BACKGROUND, 0);
    QVERIFY(platform->autostart.requests.isEmpty());
    QVERIFY(platform->sound.calls.isEmpty());
    // Opened again, the switches show what is stored, not what was toggled.
    dialog.prepareDialog();
    QVERIFY(!dialog.startButton.isChecked());
    QVERIFY(!dialog.alwaysButton.isChecked());
    const SettingStore kept = stored();
    QCOMPARE(kept.mySystem.STARTWHENBOOTING, 0);
    QCOMPARE(kept.mySystem.ALWAYS_ON_BACKGROUND, 0);
}

void tst_Dialogs::settingsDialogOkWritesTheSwitches_data()
{
    QTest::addColumn<bool>("on");
    QTest::newRow("switched on") << true;
    QTest::newRow("switched off") << false;
}

void tst_Dialogs::settingsDialogOkWritesTheSwitches()
{
    QFETCH(bool, on);
    startLauncher(twoThemes());
    theSettings.mySystem.STARTWHENBOOTING = on ? 0 : 1;
    theSettings.mySystem.ALWAYS_ON_BACKGROUND = on ? 0 : 1;
    QVERIFY(saveAllSettings(theSettings));
    const QString run = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    closeRegKey(createRegKey(platform::kLocalMachine, run));
    launcher->showMinimized();
    TrayIconLumbraSettingdialog dialog;
    dialog.prepareDialog();
    dialog.startButton.click();
    dialog.alwaysButton.click();
    dialog.okButton.click();

    const SettingStore kept = stored();
    QCOMPARE(kept.mySystem.STARTWHENBOOTING, on ? 1 : 0);
    QCOMPARE(kept.mySystem.ALWAYS_ON_BACKGROUND, on ? 1 : 0);
    QCOMPARE(theSettings.mySystem.ALWAYS_ON_BACKGROUND, on ? 1 : 0);
    QCOMPARE(platform->autostart.requests, QList<bool>({on}));
    const platform::RegKey key = openRegKey(platform::kLocalMachine, run, false);
    std::uint32_t type = 0;
    std::uint8_t data[256] = {};
    std::uint32_t size = sizeof data;
    QCOMPARE(platform->registry().queryValue(key, u"Lumbra", &type, data, &size), platform::kErrorSuccess);
    closeRegKey(key);
    QCOMPARE(type, platform::kRegExpandSz);
    const QString command = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), size / 2);
    QCOMPARE(command, on ? QStringLiteral("\"%PROGRAMFILES%\\ORTAN\\Lumbra\\Lumbra.exe\"") : QString());
    // Keeping the launcher open brings it back at once.
    QCOMPARE(launcher->isMinimized(), !on);
}

void tst_Dialogs::musicDoesWhatItShows_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("switchedBy");
    QTest::addColumn<QStringList>("sounds");
    QTest::newRow("stored on: the speaker turns it off") << 1 << "speaker" << QStringList{"play", "stop"};
    QTest::newRow("stored off: the speaker turns it on") << 0 << "speaker" << QStringList{"play"};
    QTest::newRow("the dialog turns it off") << 1 << "dialog" << QStringList{"play", "stop"};
    QTest::newRow("the dialog without a launcher") << 0 << "" << QStringList{};
}

// Music stored on plays from the start; the speaker or the dialog switch and store it.
void tst_Dialogs::musicDoesWhatItShows()
{
    QFETCH(int, before);
    QFETCH(QString, switchedBy);
    QFETCH(QStringList, sounds);
    twoThemes().fill(theSettings);
    theSettings.mySystem.MUSIC_BACKGROUND_ON = before;
    QVERIFY(saveAllSettings(theSettings));
    startOnSettings();
    // The speaker is drawn pressed while the music plays.
    const auto speakerShows = [this](bool on) {
        const IconQLabel *speaker = launcher->titleBar()->button(ActionKind::Music);
        const QImage &face = on ? speaker->pressedImage : speaker->normalImage;
        return speaker->pixmap().toImage().convertToFormat(face.format()) == face;
    };
    QVERIFY(speakerShows(before == 1));
    TrayIconLumbraSettingdialog dialog;
    dialog.prepareDialog();
    dialog.soundButton.click();
    theLauncher = switchedBy.isEmpty() ? nullptr : launcher.get();
    if (switchedBy == QLatin1String("speaker"))
        launcher->dispatchAction(nullptr, launcher->titleBar()->button(ActionKind::Music), nullptr);
    else
        dialog.okButton.click();
    for (QString &call : platform->sound.calls)
        call = call.section(u' ', 0, 0);
    QCOMPARE(platform->sound.calls, sounds);
    QCOMPARE(stored().mySystem.MUSIC_BACKGROUND_ON, 1 - before);
    QVERIFY(speakerShows(switchedBy.isEmpty() ? before == 1 : before == 0));
}

void tst_Dialogs::settingsDialogTellsAStartAtLoginThatFailed()
{
    startLauncher(twoThemes());
    platform->autostart.fail = true;
    TrayIconLumbraSettingdialog dialog;
    dialog.prepareDialog();
    dialog.startButton.click();
    dialog.okButton.click();
    QCOMPARE(platform->autostart.requests, QList<bool>({true}));
    const QMessageBox *message = launcher->findChild<QMessageBox *>();
    QVERIFY(message);
    QVERIFY(message->isVisible());
}

void tst_Dialogs::shutDownActions_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("privilege");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<bool>("visibleAfter");

    QTest::newRow("stand-by") << 2 << true << QStringList{QStringLiteral("suspend")} << false;
    QTest::newRow("restart") << 3 << true << QStringList{QStringLiteral("reboot")} << true;
    QTest::newRow("shut down") << 4 << true << QStringList{QStringLiteral("poweroff")} << true;
    QTest::newRow("no privilege, no stand-by") << 2 << false << QStringList() << true;
    QTest::newRow("no privilege, no shut-down") << 4 << false << QStringList() << true;
    QTest::newRow("close the window") << 5 << true << QStringList() << false;
}

void tst_Dialogs::shutDownActions()
{
    QFETCH(int, button);
    QFETCH(bool, privilege);
    QFETCH(QStringList, actions);
    QFETCH(bool, visibleAfter);
    platform->power.privilege = privilege;
    LumbraShutDown dialog(nullptr);
    dialog.setVisible(true);
    const QList<ShutdownQLabel *> buttons = {dialog.quitLumbraLabel, dialog.taskManagerLabel, dialog.standByLabel,
                                             dialog.restartLabel, dialog.shutDownLabel, dialog.quitLabel};
    // Each says what it does, in words that are read out too.
    QVERIFY(!buttons.at(button)->accessibleName().trimmed().isEmpty());
    QTest::mousePress(buttons.at(button), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(platform->power.actions, actions);
    QCOMPARE(dialog.isVisible(), visibleAfter);
}

void tst_Dialogs::shutDownDialogShownFromOutside()
{
    LumbraShutDown dialog(nullptr);
    dialog.setVisible(false);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Lumbra Shut Down App"));
    QCOMPARE(dialog.size(), QSize(700, 180));
    const platform::WindowHandle window = platform->windows.findWindow(u"QWidget", u"Lumbra Shut Down App");
    QVERIFY(window != platform::kNoWindow);
    QVERIFY(platform->windows.showWindow(window, platform::kSwShowNormal));
    QTRY_VERIFY(dialog.isVisible());
    QTest::mousePress(dialog.quitLabel, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(!dialog.isVisible());
    // The task manager button leaves the window open.
    dialog.setVisible(true);
    QTest::mousePress(dialog.taskManagerLabel, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(platform->shell.taskManagerStarts, 1);
    QVERIFY(dialog.isVisible());
    // The keys: shown again, it starts on its close button; Left, Up and Space, held, restart once.
    dialog.setVisible(false);
    dialog.setVisible(true);
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Space, Qt::Key_Space})
        QTest::keyPress(&dialog, key);
    QCOMPARE(platform->power.actions, QStringList{QStringLiteral("reboot")});
}

void tst_Dialogs::secondStartHandsOver_data()
{
    QTest::addColumn<int>("firstRun");
    QTest::addColumn<bool>("restored");
    QTest::newRow("after the first start's question") << 0 << true;
    QTest::newRow("while the question is open") << 1 << false;
}

void tst_Dialogs::secondStartHandsOver()
{
    QFETCH(int, firstRun);
    QFETCH(bool, restored);
    theSettings.mySystem.IS_FIRST_RUN = firstRun;
    platform->instanceLock.heldElsewhere.insert(QString::fromStdU16String(instanceName()));
    const platform::WindowHandle running = platform->windows.addWindow(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    // The running instance's own window (named by its registered message) is brought to the front.
    const platform::WindowHandle own = platform->windows.addWindow(
        QString::number(platform->windows.registerWindowMessage(instanceName())), QString());
    QVERIFY(!acquireSingleInstance());
    QCOMPARE(platform->windows.foregrounds, QList<platform::WindowHandle>{own | 1});
    QList<unsigned> sent;
    for (const platform::WindowMessage &message : std::as_const(platform->windows.messages)) {
        QCOMPARE(message.window, running);
        sent.append(message.message);
    }
    QCOMPARE(sent, restored ? QList<unsigned>({platform::kWmUser + 1}) : QList<unsigned>());
    QVERIFY(platform->instanceLock.heldHere().isEmpty());

    platform->instanceLock.heldElsewhere.clear();
    QVERIFY(acquireSingleInstance());
    QCOMPARE(platform->instanceLock.heldHere().size(), 1);
    platform->instanceLock.closeMutex(instanceMutex);
}

void tst_Dialogs::restoreMessageBringsTheLauncherBack()
{
    startLauncher(twoThemes());
    launcher->showMinimized();
    QVERIFY(launcher->isMinimized());
    // Only that message brings it back.
    QVERIFY(!QMyApp::winEventFilter({0, platform::kWmDisplayChange, 0, 0}));
    QVERIFY(launcher->isMinimized());
    QVERIFY(!QMyApp::winEventFilter({0, platform::kWmUser + 1, 0, 0}));
    QVERIFY(!launcher->isMinimized());
    QVERIFY(launcher->isVisible());
    launcher->hide();
    QMyApp::winEventFilter({0, platform::kWmUser + 1, 0, 0});
    QVERIFY(launcher->isVisible());
}

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
