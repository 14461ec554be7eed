#include "HighlightReporter.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/Speech.h"
#include "settings/SettingStore.h"
#include "widgets/LauncherAccessible.h"

#include <QWidget>

namespace {

struct LanguageTag
{
    const char *code;
    const char *tag;
};

// The trees' codes that are not simply the lower-case language code.
const LanguageTag kTags[] = {
    {"BR", "pt-BR"}, {"PT", "pt-PT"}, {"CN", "zh-CN"}, {"HK", "zh-HK"}, {"TW", "zh-TW"},
    {"NO", "nb"},    {"EN", "en"},
};

bool speaking()
{
    return theSettings.mySystem.SPEAK_NAMES == 1;
}

} // namespace

HighlightReporter::HighlightReporter(QObject *parent)
    : QObject(parent)
{
    restTimer.setSingleShot(true);
    restTimer.setInterval(kRestMilliseconds);
    connect(&restTimer, &QTimer::timeout, this, &HighlightReporter::sayRestingName);
}

std::string HighlightReporter::speechLanguage(const QString &treeCode)
{
    const QString code = treeCode.trimmed().toUpper();
    for (const LanguageTag &entry : kTags) {
        if (code == QLatin1String(entry.code))
            return entry.tag;
    }
    // Only a plain two-letter code is passed on; anything else gets the voice's own language.
    if (code.size() == 2 && code.at(0).isLetter() && code.at(1).isLetter())
        return code.toLower().toStdString();
    return "en";
}

void HighlightReporter::highlighted(QWidget *target, const QString &name)
{
    if (target) {
        LauncherAccessible::moveFocus(focused, target);
        focused = target;
    }
    say(name, false);
}

void HighlightReporter::tabShown(const QString &name)
{
    say(name, true);
}

void HighlightReporter::pointerEntered(QWidget *target, const QString &name)
{
    restTarget = target;
    restName = name;
    if (speaking())
        restTimer.start();
}

void HighlightReporter::pointerLeft(QWidget *target)
{
    if (target == restTarget)
        restTimer.stop();
}

void HighlightReporter::sayRestingName()
{
    if (restTarget && restTarget->isVisible())
        say(restName, false);
}

void HighlightReporter::say(const QString &name, bool isTab)
{
    if (!speaking() || name.trimmed().isEmpty())
        return;
    if (sayQueued && pendingIsTab && !isTab)
        return;
    pendingName = name;
    pendingIsTab = isTab;
    if (sayQueued)
        return;
    sayQueued = true;
    QMetaObject::invokeMethod(this, &HighlightReporter::sayPending, Qt::QueuedConnection);
}

void HighlightReporter::sayPending()
{
    sayQueued = false;
    pendingIsTab = false;
    // The voice cuts off what it was saying: the person hears where the highlight is now.
    platform::speech().say(pendingName.toStdU16String(), speechLanguage(languageCode));
}
