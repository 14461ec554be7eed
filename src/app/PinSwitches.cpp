#include "PinSwitches.h"

#include "MaintenanceSwitches.h"
#include "i18n/LanguageChoice.h"
#include "platform/HiddenInput.h"
#include "platform/Platform.h"
#include "settings/LockPinStore.h"
#include "settings/PinHash.h"
#include "settings/RegistryAccess.h"
#include "settings/RegistryPaths.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {

const char kSetPin[] = "--setPin";
const char kClearPin[] = "--clearPin";

bool lastArgumentIs(const QStringList &arguments, const char *name)
{
    return arguments.size() > 1 && arguments.last() == QLatin1String(name);
}

void say(FILE *stream, const QString &line)
{
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
}

int fail(const QString &reason)
{
    say(stderr, QStringLiteral("lumbra: ") + reason);
    return kExitSwitchFailed;
}

// One line of standard input, without its line end; false at the end of the input. The
// prompt is shown only to a person at a terminal.
bool readPin(const platform::HiddenInput &input, const char *prompt, QString *pin)
{
    if (input.isTerminal())
        std::fputs(prompt, stderr); // stderr is unbuffered: the prompt shows before the read
    std::string line;
    if (!std::getline(std::cin, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    *pin = QString::fromLocal8Bit(line.data(), qsizetype(line.size())).trimmed();
    return true;
}

bool settingsInstalled()
{
    return queryRegKey(platform::kLocalMachine, systemKeyPath) == platform::kErrorSuccess;
}

QString noSettings()
{
    return QStringLiteral("no settings are installed for the language %1: run lumbra --installRegister first")
        .arg(languageCode);
}

// The current PIN, when one is set; answers false with the exit code when it is not given right.
bool currentPinGiven(const platform::HiddenInput &input, const QString &stored, int *exitCode)
{
    if (!PinHash::isWellFormed(stored)) {
        say(stderr, QStringLiteral("lumbra: the stored lock could not be read; it is replaced"));
        return true;
    }
    QString pin;
    if (!readPin(input, "Current PIN: ", &pin)) {
        *exitCode = fail(QStringLiteral("no PIN was given; nothing was changed"));
        return false;
    }
    if (!PinHash::matches(pin, stored)) {
        *exitCode = fail(QStringLiteral("the PIN is wrong; nothing was changed"));
        return false;
    }
    return true;
}

int setPin()
{
    initRegistryPaths();
    if (!settingsInstalled())
        return fail(noSettings());
    const platform::HiddenInput input;
    const QString stored = LockPinStore::read();
    int exitCode = 0;
    if (!stored.isEmpty() && !currentPinGiven(input, stored, &exitCode))
        return exitCode;
    QString pin;
    QString again;
    if (!readPin(input, "New PIN (4 to 12 digits): ", &pin))
        return fail(QStringLiteral("no PIN was given; nothing was changed"));
    if (!PinHash::isAcceptablePin(pin))
        return fail(QStringLiteral("a PIN is 4 to 12 digits (0 to 9), nothing else; nothing was changed"));
    if (!readPin(input, "The same PIN once more: ", &again))
        return fail(QStringLiteral("the PIN was given only once; nothing was changed"));
    if (again != pin)
        return fail(QStringLiteral("the two PINs differ; nothing was changed"));
    const LockPinStore::Status status = LockPinStore::write(PinHash::make(pin));
    if (status == LockPinStore::Status::NoSettings)
        return fail(noSettings());
    if (status != LockPinStore::Status::Done)
        return fail(QStringLiteral("the PIN could not be stored; nothing was changed"));
    say(stdout, QStringLiteral("The caregiver lock is on."));
    return 0;
}

int clearPin()
{
    initRegistryPaths();
    if (!settingsInstalled())
        return fail(noSettings());
    const QString stored = LockPinStore::read();
    if (stored.isEmpty()) {
        say(stdout, QStringLiteral("The caregiver lock is not on; there is nothing to clear."));
        return 0;
    }
    const platform::HiddenInput input;
    if (PinHash::isWellFormed(stored)) {
        QString pin;
        if (!readPin(input, "PIN: ", &pin))
            return fail(QStringLiteral("no PIN was given; the lock stays on"));
        if (!PinHash::matches(pin, stored))
            return fail(QStringLiteral("the PIN is wrong; the lock stays on"));
    } else {
        say(stderr, QStringLiteral("lumbra: the stored lock could not be read; it is removed"));
    }
    if (LockPinStore::write(QString()) != LockPinStore::Status::Done)
        return fail(QStringLiteral("the lock could not be removed; it stays on"));
    say(stdout, QStringLiteral("The caregiver lock is off."));
    return 0;
}

} // namespace

bool isPinSwitch(const QStringList &arguments)
{
    return lastArgumentIs(arguments, kSetPin) || lastArgumentIs(arguments, kClearPin);
}

bool handleSetPinSwitch(const QStringList &arguments, int *exitCode)
{
    if (!lastArgumentIs(arguments, kSetPin))
        return false;
    *exitCode = setPin();
    return true;
}

bool handleClearPinSwitch(const QStringList &arguments, int *exitCode)
{
    if (!lastArgumentIs(arguments, kClearPin))
        return false;
    *exitCode = clearPin();
    return true;
}
