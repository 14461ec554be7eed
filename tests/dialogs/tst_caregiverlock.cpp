// The caregiver lock: the PIN's stored form, the PIN pad, and which actions of the launcher
// and its dialogs ask for the PIN while it is set.

#include "LauncherFixture.h"
#include "TestPictures.h"
#include "WrittenValues.h"

#include "app/TrayIcon.h"
#include "dialogs/CaregiverLock.h"
#include "dialogs/LumbraShutDown.h"
#include "dialogs/PinPadDialog.h"
#include "launcher/DropQueue.h"
#include "launcher/TabEntry.h"
#include "launcher/lumbra.h"
#include "platform/WindowMessages.h"
#include "settings/LockPinStore.h"
#include "settings/PinHash.h"
#include "settings/RegistryAccess.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/TabQLabel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QTimer>


namespace {

// Every digit key once.
const QString kPin = QStringLiteral("9081726354");

// What a person does on the PIN pad. A digit of `keys` is typed on the keyboard (with
// `modifier`: on its number block) or, with `buttons`, clicked; '<' erases, '=' is Return (the
// OK button), 'x' the Cancel button, 'e' Escape. A pad still open afterwards is left with Escape.
struct PadAnswer
{
    QString keys;
    bool buttons = false;
    Qt::KeyboardModifier modifier = Qt::NoModifier;
};

void play(PinPadDialog *pad, const PadAnswer &answer)
{
    for (QChar c : answer.keys) {
        if (c.isDigit() && answer.buttons)
            pad->digitButtons.at(c.digitValue())->click();
        else if (c.isDigit())
            QTest::keyClick(pad, Qt::Key(Qt::Key_0 + c.digitValue()), answer.modifier);
        else if (c == u'<')
            answer.buttons ? pad->eraseButton->click() : QTest::keyClick(pad, Qt::Key_Backspace);
        else if (c == u'=')
            answer.buttons ? pad->okButton->click() : QTest::keyClick(pad, Qt::Key_Return);
        else if (c == u'x')
            pad->cancelButton->click();
        else
            QTest::keyClick(pad, Qt::Key_Escape);
    }
    if (pad->isVisible())
        QTest::keyClick(pad, Qt::Key_Escape);
}

// Answers every PIN pad an action opens with `answer`, and closes and counts every other
// modal dialog, so that an action that goes on into its dialog does not hold up the test.
class ModalCloser : public QObject
{
public:
    explicit ModalCloser(const PadAnswer &answer = {})
    {
        connect(&timer, &QTimer::timeout, this, [this, answer] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *pad = qobject_cast<PinPadDialog *>(modal)) {
                ++pads;
                play(pad, answer);
            } else if (modal) {
                ++closed;
                modal->close();
            }
        });
        timer.start(20);
    }
    int closed = 0;
    int pads = 0;

private:
    QTimer timer;
};

// Tab 1: a default icon and two icons the user added (4, 5); tab 2: two icons.
LauncherStore lockStore()
{
    LauncherStore store({QStringLiteral("1.4.5"), QStringLiteral("6.7")});
    store.userIcons = {4, 5};
    store.iconCount = 8;
    return store;
}

} // namespace

Q_DECLARE_METATYPE(CaregiverLock::Action)
Q_DECLARE_METATYPE(PadAnswer)

class tst_CaregiverLock : public LauncherFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hashHoldsNoPin_data();
    void hashHoldsNoPin();
    void knownHashes_data();
    void knownHashes();
    void damagedHashesMatchNothing_data();
    void damagedHashesMatchNothing();
    void acceptablePins_data();
    void acceptablePins();
    void waitGrowsToHalfAMinute_data();
    void waitGrowsToHalfAMinute();
    void laterTextsFallBackToEnglish();
    void savingSettingsKeepsTheLock();
    void treeWithoutLockStaysWithout();

    void wrongPinNeverUnlocks();
    void reopenedPadGoesOnWaiting();

    void lockedActionsNeedTheRightPin_data();
    void lockedActionsNeedTheRightPin();
    void freeActionsNeverAsk_data();
    void freeActionsNeverAsk();
    void lockHoldsWithoutTheStore();

private:
    void startLauncher();
    void lock();
    // Carries out the action, answering a PIN pad with `answer`; answers whether it went through.
    bool perform(CaregiverLock::Action action, const PadAnswer &answer = {});

    int padsOpened = 0;
};

void tst_CaregiverLock::init()
{
    LauncherFixture::init();
    padsOpened = 0;
    LockPinStore::remember(QString()); // what a start on an empty store remembers
    CaregiverLock::countRightTry();
}

void tst_CaregiverLock::cleanup()
{
    CaregiverLock::countRightTry();
    LauncherFixture::cleanup();
}

void tst_CaregiverLock::startLauncher()
{
    start(lockStore());
    QVERIFY(saveAllSettings(theSettings));
}

void tst_CaregiverLock::lock()
{
    QCOMPARE(LockPinStore::write(PinHash::make(kPin, "salt-for-tests", 1000)), LockPinStore::Status::Done);
    QVERIFY(CaregiverLock::isLocked());
}

void tst_CaregiverLock::hashHoldsNoPin_data()
{
    QTest::addColumn<QString>("pin");
    QTest::addColumn<QString>("wrong");
    QTest::newRow("four digits") << QStringLiteral("1234") << QStringLiteral("1235");
    QTest::newRow("zeros") << QStringLiteral("0000") << QStringLiteral("00000");
    QTest::newRow("longest") << QStringLiteral("987654321012") << QStringLiteral("98765432101");
    QTest::newRow("digits of the scheme") << QStringLiteral("2560") << QStringLiteral("256");
}

void tst_CaregiverLock::hashHoldsNoPin()
{
    QFETCH(QString, pin);
    QFETCH(QString, wrong);
    const QString stored = PinHash::make(pin);
    QVERIFY(PinHash::isWellFormed(stored));
    QVERIFY(stored.startsWith(QLatin1String("pbkdf2-sha256:")));
    const QStringList parts = stored.split(u':');
    QCOMPARE(parts.size(), 4);
    // Neither the salt nor the hash holds the PIN, as text or as bytes, nor is the hash the
    // PIN's plain digest, which a table of all PINs would give away at once.
    const QByteArray salt = QByteArray::fromBase64(parts.at(2).toLatin1());
    const QByteArray hash = QByteArray::fromBase64(parts.at(3).toLatin1());
    QVERIFY2(!parts.at(2).contains(pin) && !parts.at(3).contains(pin), qPrintable(stored));
    QVERIFY(!salt.contains(pin.toUtf8()) && !hash.contains(pin.toUtf8()));
    QVERIFY(hash != QCryptographicHash::hash(pin.toUtf8(), QCryptographicHash::Sha256));
    QCOMPARE(hash.size(), 32);
    QVERIFY(salt.size() >= 16);
    QVERIFY(PinHash::matches(pin, stored));
    QVERIFY(!PinHash::matches(wrong, stored));
    QVERIFY(!PinHash::matches(QString(), stored));
    // A fresh salt each time: two locks with the same PIN do not look alike.
    QVERIFY(PinHash::make(pin) != stored);
}

// RFC 7914's PBKDF2-HMAC-SHA256 vectors (the first 32 bytes) and locks stored by earlier
// versions: a PIN set before keeps opening the lock.
void tst_CaregiverLock::knownHashes_data()
{
    QTest::addColumn<QString>("pin");
    QTest::addColumn<QByteArray>("salt");
    QTest::addColumn<int>("iterations");
    QTest::addColumn<QString>("hash");
    QTest::newRow("RFC 7914, one round") << QStringLiteral("passwd") << QByteArray("salt") << 1
                                         << QStringLiteral("VawEblbjCJ/sFpHCJUS2BflBhSFt3gRl5oudV8INrLw=");
    QTest::newRow("RFC 7914, 80000 rounds") << QStringLiteral("Password") << QByteArray("NaCl") << 80000
                                            << QStringLiteral("TdzY9guYviGDDO5e8icB+WQaRBjQTAQUrv8Ih2s0q1Y=");
    QTest::newRow("stored lock") << QStringLiteral("987654321012") << QByteArray("0123456789abcdef") << 20000
                                 << QStringLiteral("0IxYGmxJ/1vQYwO3+y76ylHy/3Qm2kJGNAEd0mTxcoM=");
}

void tst_CaregiverLock::knownHashes()
{
    QFETCH(QString, pin);
    QFETCH(QByteArray, salt);
    QFETCH(int, iterations);
    QFETCH(QString, hash);
    const QString stored = PinHash::make(pin, salt, iterations);
    QCOMPARE(stored.section(u':', 3), hash);
    QVERIFY(PinHash::matches(pin, stored));
}

void tst_CaregiverLock::damagedHashesMatchNothing_data()
{
    QTest::addColumn<QString>("stored");
    const QString good = PinHash::make(kPin, "0123456789abcdef", 1000);
    const QStringList parts = good.split(u':');
    QTest::newRow("the PIN itself") << kPin;
    QTest::newRow("empty hash") << QStringLiteral("pbkdf2-sha256:1000:c2FsdA==:");
    QTest::newRow("other scheme") << QString(good).replace(QLatin1String("sha256"), QLatin1String("sha1"));
    QTest::newRow("no iterations") << QStringList{parts[0], QStringLiteral("0"), parts[2], parts[3]}.join(u':');
    QTest::newRow("endless iterations") << QStringList{parts[0], QStringLiteral("2000000000"), parts[2], parts[3]}.join(u':');
    QTest::newRow("iterations that would hold the launcher")
        << QStringList{parts[0], QString::number(PinHash::kMostIterations + 1), parts[2], parts[3]}.join(u':');
    QTest::newRow("negative iterations") << QStringList{parts[0], QStringLiteral("-5"), parts[2], parts[3]}.join(u':');
    QTest::newRow("salt not Base64") << QStringList{parts[0], parts[1], QStringLiteral("*?*"), parts[3]}.join(u':');
    QTest::newRow("short hash") << QStringList{parts[0], parts[1], parts[2], QStringLiteral("AAAA")}.join(u':');
    QTest::newRow("a part more") << good + QStringLiteral(":x");
    QTest::newRow("a part less") << QStringList{parts[0], parts[1], parts[3]}.join(u':');
}

// A lock someone damaged stays locked; no PIN, not even an empty one, opens it.
void tst_CaregiverLock::damagedHashesMatchNothing()
{
    QFETCH(QString, stored);
    QVERIFY(!PinHash::isWellFormed(stored));
    for (const QString &pin : {kPin, QString(), stored, QStringLiteral("0000")})
        QVERIFY2(!PinHash::matches(pin, stored), qPrintable(pin));
}

void tst_CaregiverLock::acceptablePins_data()
{
    QTest::addColumn<QString>("pin");
    QTest::addColumn<bool>("acceptable");
    QTest::newRow("four digits") << QStringLiteral("1234") << true;
    QTest::newRow("twelve digits") << QStringLiteral("123456789012") << true;
    QTest::newRow("three digits") << QStringLiteral("123") << false;
    QTest::newRow("thirteen digits") << QStringLiteral("1234567890123") << false;
    QTest::newRow("a letter") << QStringLiteral("12a4") << false;
    QTest::newRow("a blank") << QStringLiteral("12 34") << false;
    QTest::newRow("other digits") << QStringLiteral("\u0661\u0662\u0663\u0664") << false;
    QTest::newRow("empty") << QString() << false;
}

void tst_CaregiverLock::acceptablePins()
{
    QFETCH(QString, pin);
    QFETCH(bool, acceptable);
    QCOMPARE(PinHash::isAcceptablePin(pin), acceptable);
}

void tst_CaregiverLock::waitGrowsToHalfAMinute_data()
{
    QTest::addColumn<int>("tries");
    QTest::addColumn<int>("seconds");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("first wrong: only told") << 1 << 0;
    QTest::newRow("second") << 2 << 1;
    QTest::newRow("third") << 3 << 2;
    QTest::newRow("31st") << 31 << 30;
    QTest::newRow("1000th") << 1000 << 30;
}

void tst_CaregiverLock::waitGrowsToHalfAMinute()
{
    QFETCH(int, tries);
    QFETCH(int, seconds);
    QCOMPARE(CaregiverLock::waitSecondsAfter(tries), seconds);
}

void tst_CaregiverLock::laterTextsFallBackToEnglish()
{
    SettingStore store;
    for (int id = TextSetting::DIALOG_PIN_TITLE; id <= TextSetting::DIALOG_ENTRY_UNREADABLE; ++id) {
        const QString text = store.getString(id);
        QVERIFY2(!text.isEmpty() && text != QLatin1String("NULL"), qPrintable(QString::number(id)));
    }
    QCOMPARE(store.getString(TextSetting::DIALOG_PIN_TITLE), QStringLiteral("Please enter the PIN"));
    QVERIFY(store.getString(TextSetting::DIALOG_PIN_WAIT).contains(QLatin1String("%1")));
    store.mySystem.DIALOG_PIN_TITLE = QStringLiteral("PIN eingeben");
    QCOMPARE(store.getString(TextSetting::DIALOG_PIN_TITLE), QStringLiteral("PIN eingeben"));
}

// The launcher saves all its settings after a drop or a removal; a PIN set while it ran (by
// --setPin) must survive that, though the launcher loaded none.
void tst_CaregiverLock::savingSettingsKeepsTheLock()
{
    lockStore().fill(theSettings);
    QVERIFY(saveAllSettings(theSettings));
    lock();
    QVERIFY(theSettings.mySystem.LOCK_PIN.isEmpty());
    QVERIFY(saveAllSettings(theSettings));
    QVERIFY(PinHash::matches(kPin, LockPinStore::read()));
    SettingStore loaded;
    QVERIFY(loadAllSettings(loaded));
    QCOMPARE(loaded.mySystem.LOCK_PIN, LockPinStore::read());
    QCOMPARE(LockPinStore::write(QString()), LockPinStore::Status::Done);
    QVERIFY(!CaregiverLock::isLocked());
    // Taking off a lock that is off already is done too, not a failure to store.
    QCOMPARE(LockPinStore::write(QString()), LockPinStore::Status::Done);
}

// A tree from before the lock gets none of the new values from a save: it exports as before.
void tst_CaregiverLock::treeWithoutLockStaysWithout()
{
    lockStore().fill(theSettings);
    QVERIFY(saveAllSettings(theSettings));
    QVERIFY(saveAllSettings(theSettings));
    SettingStore loaded;
    QVERIFY(loadAllSettings(loaded));
    QVERIFY(loaded.mySystem.LOCK_PIN.isEmpty());
    QVERIFY(!CaregiverLock::isLocked());
    QVERIFY(theSettings.mySystem.LOCK_PIN.isEmpty());
    // Without a tree at all nothing is locked and nothing can be stored.
    platform->reset();
    QVERIFY(!CaregiverLock::isLocked());
    QCOMPARE(LockPinStore::write(PinHash::make(kPin)), LockPinStore::Status::NoSettings);
}

// Once wrong, the pad waits, greyed (the table of locked actions tries the right PIN then);
// after the wait the right PIN opens it.
void tst_CaregiverLock::wrongPinNeverUnlocks()
{
    PinPadDialog pad(PinHash::make(kPin, "0123456789abcdef", 1000));
    pad.show();
    QTest::keyClicks(&pad, QString(20, u'1')); // a key held
    QCOMPARE(pad.dotsLabel->text(), QString(PinHash::kLongestPin, QChar(0x25CF))); // never the digits
    QTest::keyClick(&pad, Qt::Key_Backspace);
    QCOMPARE(pad.dotsLabel->text(), QString(PinHash::kLongestPin - 1, QChar(0x25CF)));
    // They stand in the middle of their box (its frame left out).
    const QImage dots = pad.dotsLabel->grab().toImage().copy(pad.dotsLabel->contentsRect().adjusted(3, 3, -3, -3));
    const QRect drawn = pixelsWhere(dots, [](QRgb pixel) { return qGray(pixel) < 100; });
    QVERIFY2(qAbs(drawn.center().x() - dots.width() / 2) <= 2, qPrintable(QString::number(drawn.center().x())));
    QTest::keyClick(&pad, Qt::Key_Return);
    QCOMPARE(pad.messageLabel->text(), theSettings.getString(TextSetting::DIALOG_PIN_WRONG));
    QVERIFY(!pad.isWaiting());
    QTest::keyClicks(&pad, QStringLiteral("2222"));
    pad.okButton->click();
    QVERIFY(pad.isWaiting());
    QVERIFY(pad.messageLabel->text().contains(QLatin1String("1")));
    // Every key but Cancel is greyed while it waits, and comes back after.
    const QList<QPushButton *> keys = pad.digitButtons + QList<QPushButton *>{pad.eraseButton, pad.okButton};
    QCOMPARE(keys.size(), 12);
    for (const QPushButton *key : keys)
        QVERIFY(!key->isEnabled());
    QVERIFY(pad.cancelButton->isEnabled());
    QCOMPARE(CaregiverLock::wrongTries(), 2);
    // After the wait the right PIN opens it, and the count starts over.
    QTRY_VERIFY_WITH_TIMEOUT(!pad.isWaiting(), 10000);
    for (const QPushButton *key : keys)
        QVERIFY(key->isEnabled());
    QTest::keyClicks(&pad, kPin);
    QTest::keyClick(&pad, Qt::Key_Return);
    QCOMPARE(pad.result(), int(QDialog::Accepted));
    QCOMPARE(CaregiverLock::wrongTries(), 0);
}

void tst_CaregiverLock::reopenedPadGoesOnWaiting()
{
    // Five wrong tries kept beside the lock, as a launcher before a restart left them.
    lockStore().fill(theSettings);
    QVERIFY(saveAllSettings(theSettings));
    const platform::RegKey key = openRegKey(platform::kLocalMachine, systemKeyPath, false);
    QCOMPARE(writeRegString(key, QStringLiteral("LOCK_WRONG_TRIES"), QStringLiteral("5")), platform::kErrorSuccess);
    const QString stored = PinHash::make(kPin, "0123456789abcdef", 1000);
    PinPadDialog pad(stored);
    QVERIFY(pad.isWaiting());
    QVERIFY(pad.messageLabel->text().contains(QLatin1String("4")));
    QTest::keyClicks(&pad, kPin);
    pad.tryPin();
    QVERIFY(pad.result() != QDialog::Accepted);
    CaregiverLock::countWrongTry();
    QCOMPARE(readRegString(key, QStringLiteral("LOCK_WRONG_TRIES")), QStringLiteral("6"));
    CaregiverLock::countRightTry();
    QCOMPARE(readRegString(key, QStringLiteral("LOCK_WRONG_TRIES")), QString());
    closeRegKey(key);
}

void tst_CaregiverLock::lockedActionsNeedTheRightPin_data()
{
    QTest::addColumn<CaregiverLock::Action>("action");
    QTest::addColumn<PadAnswer>("answer");
    QTest::addColumn<bool>("goesThrough");
    const QList<std::pair<const char *, CaregiverLock::Action>> actions = {
        {"Delete", CaregiverLock::Action::Delete},
        {"a drop", CaregiverLock::Action::Drop},
        {"theme dialog", CaregiverLock::Action::ThemeDialog},
        {"tray settings", CaregiverLock::Action::TraySettings},
        {"tray exit", CaregiverLock::Action::TrayExit},
        {"leaving from the shut-down dialog", CaregiverLock::Action::LeaveFromShutDown},
        {"Alt+F4", CaregiverLock::Action::WindowClose}};
    const QList<std::tuple<const char *, PadAnswer, bool>> answers = {
        {"right PIN typed", {kPin + u'='}, true},
        {"right PIN on the number block", {kPin + u'=', false, Qt::KeypadModifier}, true},
        {"right PIN clicked, a slip erased", {kPin.left(9) + QStringLiteral("5<4="), true}, true},
        {"right PIN typed, a slip erased", {kPin.left(9) + QStringLiteral("5<4=")}, true},
        {"wrong PIN", {kPin.left(9) + QStringLiteral("5=")}, false},
        {"nothing typed", {QStringLiteral("=")}, false},
        {"Cancel after the right PIN", {kPin + u'x', true}, false},
        {"Escape after the right PIN", {kPin + u'e'}, false},
        {"a key held past the longest PIN", {kPin + QStringLiteral("4444=")}, false},
        {"right PIN while the pad waits", {QStringLiteral("1111=2222=") + kPin + u'='}, false}};
    for (const auto &[actionName, action] : actions) {
        for (const auto &[answerName, answer, goesThrough] : answers)
            QTest::addRow("%s, %s", actionName, answerName) << action << answer << goesThrough;
    }
}

// Unlocked, no pad opens and the action goes through; locked, a pad opens and the action
// goes through only for the right PIN: otherwise nothing is stored, started or closed.
void tst_CaregiverLock::lockedActionsNeedTheRightPin()
{
    QFETCH(CaregiverLock::Action, action);
    QFETCH(PadAnswer, answer);
    QFETCH(bool, goesThrough);
    startLauncher();
    QVERIFY(perform(action));
    QCOMPARE(padsOpened, 0);

    lock();
    const QStringList before = writtenValues(stored());
    const qsizetype startsBefore = platform->shell.starts.size();
    QCOMPARE(perform(action, answer), goesThrough);
    QCOMPARE(padsOpened, 1);
    if (!goesThrough) {
        QCOMPARE(writtenValues(stored()), before);
        QCOMPARE(platform->shell.starts.size(), startsBefore);
        QVERIFY(launcher->isVisible());
    }
}

bool tst_CaregiverLock::perform(CaregiverLock::Action action, const PadAnswer &answer)
{
    ModalCloser closer(answer);
    const QScopeGuard countPads([&] { padsOpened += closer.pads; });
    const int messagesBefore = int(platform->windows.messages.size());
    auto closePosted = [&] {
        for (qsizetype i = messagesBefore; i < platform->windows.messages.size(); ++i) {
            if (platform->windows.messages.at(i).message == platform::kWmClose)
                return true;
        }
        return false;
    };
    switch (action) {
    case CaregiverLock::Action::Delete: {
        // The highlight on the user's icon 4, at position 1 of the first tab.
        const QString before = theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS;
        removeAt(1);
        const bool removed = theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS != before;
        // Put back for the next try.
        start(lockStore());
        return removed;
    }
    case CaregiverLock::Action::Drop:
        emit launcher->tab(0)->page->applicationDropped(QStringLiteral("/bin/true"), QStringLiteral("true"));
        // The drop dialogs open once the drop has been answered, from the event loop.
        for (int pass = 0; pass < 100 && !launcher->findChild<DropQueue *>()->isEmpty(); ++pass)
            QTest::qWait(20);
        return launcher->findChild<DropQueue *>()->isEmpty() && closer.closed == 1;
    case CaregiverLock::Action::ThemeDialog: {
        APIconQLabel *icon = launcher->iconAt(0, 0);
        const int kind = icon->kind;
        icon->kind = 11;
        launcher->dispatchAction(icon, nullptr, nullptr);
        icon->kind = kind;
        return closer.closed == 1;
    }
    case CaregiverLock::Action::TraySettings: {
        TrayIcon tray;
        tray.setupTray();
        tray.call_settingDialog();
        return closer.closed == 1;
    }
    case CaregiverLock::Action::TrayExit: {
        TrayIcon tray;
        tray.setupTray();
        tray.call_shutDownDialog();
        return closePosted();
    }
    case CaregiverLock::Action::LeaveFromShutDown: {
        LumbraShutDown dialog(nullptr);
        dialog.ActionQuitLumbra();
        return closePosted();
    }
    case CaregiverLock::Action::WindowClose: {
        QCloseEvent close; // what the window manager sends: a close the window did not ask for
        QSpontaneKeyEvent::setSpontaneous(&close);
        qApp->notify(launcher.get(), &close);
        return closePosted();
    }
    }
    return false;
}

void tst_CaregiverLock::freeActionsNeverAsk_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("launching") << QStringLiteral("launch");
    QTest::newRow("Return on an icon") << QStringLiteral("return");
    QTest::newRow("browsing tabs") << QStringLiteral("tab");
    QTest::newRow("Tab key") << QStringLiteral("tab key");
    QTest::newRow("power action") << QStringLiteral("restart");
    QTest::newRow("closing the shut-down dialog") << QStringLiteral("close shut-down");
}

void tst_CaregiverLock::freeActionsNeverAsk()
{
    QFETCH(QString, action);
    startLauncher();
    lock();
    ModalCloser closer;
    if (action == QLatin1String("launch")) {
        launcher->dispatchAction(launcher->iconAt(0, 1), nullptr, nullptr);
        QCOMPARE(platform->shell.starts.size(), 1);
    } else if (action == QLatin1String("return")) {
        launcher->handleMessage(platform::kWmKeyDown, platform::kVkReturn);
        QCOMPARE(platform->shell.starts.size(), 1);
    } else if (action == QLatin1String("tab")) {
        launcher->dispatchAction(nullptr, nullptr, launcher->tab(1)->tabLabel);
        QCOMPARE(launcher->currentTab(), 1);
    } else if (action == QLatin1String("tab key")) {
        launcher->handleMessage(platform::kWmKeyDown, platform::kVkTab);
        QCOMPARE(launcher->currentTab(), 1);
    } else if (action == QLatin1String("restart")) {
        LumbraShutDown dialog(nullptr);
        dialog.ActionRestart();
        QCOMPARE(platform->power.actions, QStringList{QStringLiteral("reboot")});
    } else {
        LumbraShutDown dialog(nullptr);
        dialog.setVisible(true);
        dialog.ActionQuit();
        QVERIFY(!dialog.isVisible());
    }
    QCOMPARE(closer.pads, 0);
    QVERIFY(CaregiverLock::isLocked());
}

// The lock loaded at start holds while the store cannot be read or is gone, and the save
// after the right PIN writes it into the tree it makes anew.
void tst_CaregiverLock::lockHoldsWithoutTheStore()
{
    startLauncher();
    lock();
    const QString hash = LockPinStore::read();
    StderrCapture quiet;
    QVERIFY(executeOnStore(platform->databasePath(), QStringLiteral("DROP TABLE reg_values; DROP TABLE reg_keys")));
    QVERIFY(!perform(CaregiverLock::Action::Delete, {kPin + u'x'}));
    platform->reset();
    QVERIFY(perform(CaregiverLock::Action::Delete, {kPin + u'='}));
    QCOMPARE(padsOpened, 2);
    SettingStore loaded;
    QVERIFY(loadAllSettings(loaded));
    QCOMPARE(loaded.mySystem.LOCK_PIN, hash);
}

QTEST_MAIN(tst_CaregiverLock)
#include "tst_caregiverlock.moc"
