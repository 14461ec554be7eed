// Names read aloud: what is said when the highlight moves by keys, tabs and the pointer, in
// which language, that a tree without the new values stays silent, their English stand-ins,
// and the settings dialog's fourth switch.

#include "LauncherFixture.h"
#include "TestWidgets.h"

#include "dialogs/TrayIconLumbraSettingdialog.h"
#include "i18n/LanguageChoice.h"
#include "launcher/HighlightReporter.h"
#include "launcher/TabEntry.h"
#include "launcher/TitleBar.h"
#include "launcher/lumbra.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/TabQLabel.h"

#include <QHash>
#include <QTest>

namespace {

// Tab 1: icons 1, 2, 3 (a folder opening tab 3), 4; tab 2: icon 5; tab 3, a sub-tab: icon 6.
LauncherStore speechStore()
{
    LauncherStore store({QStringLiteral("1.2.3.4"), QStringLiteral("5"), QStringLiteral("6")});
    store.iconCount = 6;
    store.subTabs = 1;
    store.folderTarget = 3;
    return store;
}

} // namespace

class tst_SpeakNames : public LauncherFixture
{
    Q_OBJECT

private slots:
    void init();

    void speechLanguage_data();
    void speechLanguage();
    void textsFallBackToEnglish_data();
    void textsFallBackToEnglish();
    void whatIsSaid_data();
    void whatIsSaid();
    void pointerRestingOnAnIcon_data();
    void pointerRestingOnAnIcon();
    void withoutAVoiceNothingElseChanges();
    void aTreeWithoutTheValuesKeepsItsBehaviour();
    void settingsDialogHasAFourthSwitch_data();
    void settingsDialogHasAFourthSwitch();

private:
    void start(int speak);
    void say(unsigned code);
};

void tst_SpeakNames::init()
{
    LauncherFixture::init();
    languageCode = QStringLiteral("EN");
}

void tst_SpeakNames::start(int speak)
{
    speechStore().fill(theSettings);
    theSettings.mySystem.SPEAK_NAMES = speak;
    startOnSettings();
    QCoreApplication::processEvents();
}

void tst_SpeakNames::say(unsigned code)
{
    launcher->handleMessage(platform::kWmKeyDown, code);
    QCoreApplication::processEvents();
}

void tst_SpeakNames::speechLanguage_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("tag");
    QTest::newRow("English") << "EN" << "en";
    QTest::newRow("German") << "DE" << "de";
    QTest::newRow("Brazil") << "BR" << "pt-BR";
    QTest::newRow("Portugal") << "PT" << "pt-PT";
    QTest::newRow("simplified Chinese") << "CN" << "zh-CN";
    QTest::newRow("Hong Kong") << "HK" << "zh-HK";
    QTest::newRow("Taiwan") << "TW" << "zh-TW";
    QTest::newRow("Norwegian") << "NO" << "nb";
    QTest::newRow("Thai") << "TH" << "th";
    QTest::newRow("lower case") << "fr" << "fr";
    QTest::newRow("empty") << "" << "en";
    QTest::newRow("not a code") << "E1" << "en";
    QTest::newRow("too long") << "DEU" << "en";
}

void tst_SpeakNames::speechLanguage()
{
    QFETCH(QString, code);
    QFETCH(QString, tag);
    QCOMPARE(QString::fromStdString(HighlightReporter::speechLanguage(code)), tag);
}

// Texts newer than the installed trees: where a tree has none (or a blank one), English.
void tst_SpeakNames::textsFallBackToEnglish_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");
    using namespace TextSetting;
    const QString own = QStringLiteral("Eigener Text");
    const QString notInstalled = QStringLiteral("This program is not installed on this computer.");
    QTest::newRow("not installed, absent") << int(DIALOG_NOT_INSTALLED) << QString() << notInstalled;
    QTest::newRow("not installed, blank") << int(DIALOG_NOT_INSTALLED) << "  " << notInstalled;
    QTest::newRow("not installed, own") << int(DIALOG_NOT_INSTALLED) << own << own;
    QTest::newRow("removed, absent") << int(DIALOG_ICON_REMOVED) << QString() << "%1 was removed";
    QTest::newRow("undo, absent") << int(DIALOG_UNDO) << QString() << "Undo";
    QTest::newRow("undo, own") << int(DIALOG_UNDO) << own << own;
    QTest::newRow("switch, absent") << int(DIALOG_SPEAK_NAMES_NAME) << QString() << "Read the names aloud";
    QTest::newRow("switch, blank") << int(DIALOG_SPEAK_NAMES_NAME) << "   " << "Read the names aloud";
    QTest::newRow("switch, own") << int(DIALOG_SPEAK_NAMES_NAME) << own << own;
    QTest::newRow("next page, absent") << int(DIALOG_NEXT_PAGE_NAME) << QString() << "Next page";
    QTest::newRow("previous page, absent") << int(DIALOG_PREVIOUS_PAGE_NAME) << QString() << "Previous page";
    QTest::newRow("music, absent") << int(DIALOG_MUSIC_NAME) << QString() << "Music";
    QTest::newRow("house, absent") << int(DIALOG_HOUSE_NAME) << QString() << "Hide Lumbra";
    QTest::newRow("house, own") << int(DIALOG_HOUSE_NAME) << own << own;
    QTest::newRow("a free id stays free") << 1459 << QString() << "NULL";
}

void tst_SpeakNames::textsFallBackToEnglish()
{
    QFETCH(int, id);
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    SettingStore store;
    MySystem &texts = store.mySystem;
    for (QString *field : {&texts.DIALOG_NOT_INSTALLED, &texts.DIALOG_ICON_REMOVED, &texts.DIALOG_UNDO,
                           &texts.DIALOG_SPEAK_NAMES_NAME, &texts.DIALOG_NEXT_PAGE_NAME,
                           &texts.DIALOG_PREVIOUS_PAGE_NAME, &texts.DIALOG_MUSIC_NAME, &texts.DIALOG_HOUSE_NAME})
        *field = stored;
    QCOMPARE(store.getString(id), expected);
}

void tst_SpeakNames::whatIsSaid_data()
{
    QTest::addColumn<int>("speak");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("start-up says the tab, not its first icon")
        << 1 << "EN" << QStringList() << QStringList{"say en: Tab 1"};
    QTest::newRow("arrow keys say each icon") << 1 << "EN" << QStringList{"right", "right", "left"}
                                              << QStringList{"say en: Tab 1", "say en: Icon 2", "say en: Icon 3",
                                                             "say en: Icon 2"};
    QTest::newRow("a key at the edge says nothing new") << 1 << "EN" << QStringList{"left"}
                                                        << QStringList{"say en: Tab 1"};
    QTest::newRow("Tab key says the next tab") << 1 << "EN" << QStringList{"tab"}
                                               << QStringList{"say en: Tab 1", "say en: Tab 2"};
    QTest::newRow("a folder says its page, back says the tab")
        << 1 << "EN" << QStringList{"right", "right", "return", "back"}
        << QStringList{"say en: Tab 1", "say en: Icon 2", "say en: Icon 3", "say en: Tab 3", "say en: Tab 1"};
    QTest::newRow("in the tree's language") << 1 << "BR" << QStringList{"right"}
                                            << QStringList{"say pt-BR: Tab 1", "say pt-BR: Icon 2"};
    QTest::newRow("off says nothing") << 0 << "EN" << QStringList{"right", "tab", "return"} << QStringList();
    QTest::newRow("any other value is off") << 2 << "EN" << QStringList{"right"} << QStringList();
}

void tst_SpeakNames::whatIsSaid()
{
    QFETCH(int, speak);
    QFETCH(QString, language);
    QFETCH(QStringList, actions);
    QFETCH(QStringList, calls);
    languageCode = language;
    start(speak);
    const QHash<QString, unsigned> keys{{QStringLiteral("right"), platform::kVkRight},
                                        {QStringLiteral("left"), platform::kVkLeft},
                                        {QStringLiteral("tab"), platform::kVkTab},
                                        {QStringLiteral("return"), platform::kVkReturn}};
    for (const QString &action : actions) {
        QVERIFY(keys.contains(action) || action == QLatin1String("back"));
        keys.contains(action) ? say(keys.value(action)) : clickButton(ActionKind::Back);
        QCoreApplication::processEvents();
    }
    QCOMPARE(platform->speech.calls, calls);
}

void tst_SpeakNames::pointerRestingOnAnIcon_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<QStringList>("said");
    QTest::newRow("rests") << "" << QStringList{"Icon 4"};
    QTest::newRow("passes over") << "leaves" << QStringList();
    QTest::newRow("hidden meanwhile, a page turned") << "hidden" << QStringList();
}

void tst_SpeakNames::pointerRestingOnAnIcon()
{
    QFETCH(QString, then);
    QFETCH(QStringList, said);
    start(1);
    platform->speech.calls.clear();
    APIconQLabel *icon = launcher->iconAt(0, 3);
    sendMouse(icon, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton);
    // The name waits for the pointer to rest.
    QCoreApplication::processEvents();
    QVERIFY(platform->speech.said().isEmpty());
    if (then == QLatin1String("leaves"))
        sendLeave(icon);
    icon->setHidden(then == QLatin1String("hidden"));
    QTest::qWait(HighlightReporter::kRestMilliseconds * 2);
    QCOMPARE(platform->speech.said(), said);
}

void tst_SpeakNames::withoutAVoiceNothingElseChanges()
{
    platform->speech.fail = true;
    start(1);
    say(platform::kVkRight);
    say(platform::kVkTab);
    QCOMPARE(launcher->currentTab(), 1);
    QCOMPARE(platform->speech.said(), (QStringList{"Tab 1", "Icon 2", "Tab 2"}));
}

// Saved by this launcher, a tree that never had the values reads them as it did before:
// silent, not scanning, names clipped as they were.
void tst_SpeakNames::aTreeWithoutTheValuesKeepsItsBehaviour()
{
    initRegistryPaths();
    speechStore().fill(theSettings);
    QVERIFY(saveAllSettings(theSettings));
    for (int round = 0; round < 2; ++round) {
        SettingStore stored;
        QVERIFY(loadAllSettings(stored));
        QCOMPARE(stored.mySystem.SPEAK_NAMES, 0);
        QCOMPARE(stored.mySystem.SWITCH_SCAN_MS, 0);
        QCOMPARE(stored.mySystem.LABEL_FIT, 0);
        QCOMPARE(stored.getString(TextSetting::DIALOG_SPEAK_NAMES_NAME), QStringLiteral("Read the names aloud"));
        QVERIFY(saveAllSettings(stored));
    }
}

void tst_SpeakNames::settingsDialogHasAFourthSwitch_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("after");
    QTest::newRow("switched on") << 0 << true << 1;
    QTest::newRow("switched off") << 1 << true << 0;
    QTest::newRow("cancelled") << 0 << false << 0;
}

void tst_SpeakNames::settingsDialogHasAFourthSwitch()
{
    QFETCH(int, before);
    QFETCH(bool, ok);
    QFETCH(int, after);
    start(before);
    initRegistryPaths();
    theSettings.mySystem.DIALOG_SPEAK_NAMES_NAME = QStringLiteral("Speak");
    QVERIFY(saveAllSettings(theSettings));
    TrayIconLumbraSettingdialog dialog;
    dialog.prepareDialog();
    QCOMPARE(dialog.speakButton.isChecked(), before == 1);
    QCOMPARE(dialog.speakButton.accessibleName(), QStringLiteral("Speak"));
    // Drawn like the two long switches, under them, and everything inside the dialog.
    QCOMPARE(dialog.speakButton.size(), dialog.alwaysButton.size());
    QCOMPARE(dialog.speakButton.x(), dialog.alwaysButton.x());
    QVERIFY(dialog.speakButton.y() >= dialog.alwaysButton.geometry().bottom());
    for (QPushButton *button : {&dialog.soundButton, &dialog.okButton, &dialog.cancelButton})
        QVERIFY(button->y() >= dialog.speakButton.geometry().bottom());
    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        QVERIFY(dialog.rect().contains(button->geometry()));
    dialog.speakButton.click();
    (ok ? dialog.okButton : dialog.cancelButton).click();
    QCOMPARE(theSettings.mySystem.SPEAK_NAMES, after);
    QCOMPARE(stored().mySystem.SPEAK_NAMES, after);
}

QTEST_MAIN(tst_SpeakNames)
#include "tst_speaknames.moc"
