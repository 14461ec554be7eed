// Names read aloud: what is said when the highlight moves by keys, tabs and the pointer, in
// which language, that a tree without the new values stays silent, their English stand-ins,
// and the settings dialog's fourth switch.

#include "LauncherStore.h"
#include "TestPlatform.h"

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

#include <QMouseEvent>
#include <QTest>

#include <memory>

namespace {

// Tab 1: icons 1, 2, 3 (a folder opening tab 3), 4; tab 2: icon 5; tab 3, a sub-tab: icon 6.
LauncherStore speechStore()
{
    LauncherStore store;
    store.iconCount = 6;
    store.tabIcons = {QStringLiteral("1.2.3.4"), QStringLiteral("5"), QStringLiteral("6")};
    store.subTabs = 1;
    store.folderTarget = 3;
    return store;
}

} // namespace

class tst_SpeakNames : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

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
    void key(unsigned code);

    std::unique_ptr<TestPlatform> platform;
    std::unique_ptr<lumbra> launcher;
};

void tst_SpeakNames::init()
{
    platform = std::make_unique<TestPlatform>();
    languageCode = QStringLiteral("EN");
}

void tst_SpeakNames::cleanup()
{
    launcher.reset();
    platform.reset();
    theSettings = SettingStore();
}

void tst_SpeakNames::start(int speak)
{
    speechStore().fill(theSettings);
    theSettings.mySystem.SPEAK_NAMES = speak;
    launcher = std::make_unique<lumbra>();
    theLauncher = launcher.get();
    launcher->initialise();
    QCoreApplication::processEvents();
}

void tst_SpeakNames::key(unsigned code)
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

void tst_SpeakNames::textsFallBackToEnglish_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");
    QTest::newRow("switch, absent") << int(TextSetting::DIALOG_SPEAK_NAMES_NAME) << ""
                                    << "Read the names aloud";
    QTest::newRow("switch, blank") << int(TextSetting::DIALOG_SPEAK_NAMES_NAME) << "   "
                                   << "Read the names aloud";
    QTest::newRow("switch, German") << int(TextSetting::DIALOG_SPEAK_NAMES_NAME) << "Namen vorlesen"
                                    << "Namen vorlesen";
    QTest::newRow("next page, absent") << int(TextSetting::DIALOG_NEXT_PAGE_NAME) << ""
                                       << "Next page";
    QTest::newRow("previous page, absent") << int(TextSetting::DIALOG_PREVIOUS_PAGE_NAME) << ""
                                           << "Previous page";
    QTest::newRow("music, absent") << int(TextSetting::DIALOG_MUSIC_NAME) << ""
                                   << "Music";
    QTest::newRow("house, absent") << int(TextSetting::DIALOG_HOUSE_NAME) << ""
                                   << "Hide Lumbra";
    QTest::newRow("house, own") << int(TextSetting::DIALOG_HOUSE_NAME) << "Lumbra verbergen"
                                << "Lumbra verbergen";
    QTest::newRow("a free id stays free") << 1459 << "" << "NULL";
}

void tst_SpeakNames::textsFallBackToEnglish()
{
    QFETCH(int, id);
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    SettingStore store;
    for (QString *field : {&store.mySystem.DIALOG_SPEAK_NAMES_NAME, &store.mySystem.DIALOG_NEXT_PAGE_NAME,
                           &store.mySystem.DIALOG_PREVIOUS_PAGE_NAME, &store.mySystem.DIALOG_MUSIC_NAME,
                           &store.mySystem.DIALOG_HOUSE_NAME})
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
    for (const QString &action : actions) {
        if (action == QLatin1String("right"))
            key(platform::kVkRight);
        else if (action == QLatin1String("left"))
            key(platform::kVkLeft);
        else if (action == QLatin1String("tab"))
            key(platform::kVkTab);
        else if (action == QLatin1String("return"))
            key(platform::kVkReturn);
        else if (action == QLatin1String("back"))
            launcher->dispatchAction(nullptr, launcher->titleBar()->button(ActionKind::Back), nullptr);
        QCoreApplication::processEvents();
    }
    QCOMPARE(platform->speech.calls, calls);
}

void tst_SpeakNames::pointerRestingOnAnIcon_data()
{
    QTest::addColumn<bool>("leaves");
    QTest::addColumn<QStringList>("said");
    QTest::newRow("rests") << false << QStringList{"Icon 4"};
    QTest::newRow("passes over") << true << QStringList();
}

void tst_SpeakNames::pointerRestingOnAnIcon()
{
    QFETCH(bool, leaves);
    QFETCH(QStringList, said);
    start(1);
    platform->speech.calls.clear();
    APIconQLabel *icon = launcher->iconAt(0, 3);
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), icon->mapToGlobal(QPointF(10, 10)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(icon, &move);
    if (leaves) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(icon, &leave);
    }
    QTest::qWait(HighlightReporter::kRestMilliseconds * 2);
    QCOMPARE(platform->speech.said(), said);
}

void tst_SpeakNames::withoutAVoiceNothingElseChanges()
{
    platform->speech.fail = true;
    start(1);
    key(platform::kVkRight);
    key(platform::kVkTab);
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
    SettingStore stored;
    loadAllSettings(stored);
    QCOMPARE(stored.mySystem.SPEAK_NAMES, after);
}

QTEST_MAIN(tst_SpeakNames)
#include "tst_speaknames.moc"
