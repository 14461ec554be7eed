#include "FuzzPlatform.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "settings/RegistryPaths.h"

#include <QGuiApplication>

#include <sanitizer/common_interface_defs.h>

#include <cstdlib>

FuzzPlatform &FuzzPlatform::instance()
{
    static FuzzPlatform platform;
    return platform;
}

FuzzPlatform::FuzzPlatform()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "lumbra-fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: the fuzzer ends the process with exit(), past the point where Qt may
    // still be torn down safely.
    new QGuiApplication(argc, argv);
    platform::useScreen(&screen);
    platform::useSystem(&system);
    system.environment = {u"HOME=/home/fuzz", u"WINDIR=C:\\Windows", u"ProgramFiles=C:\\Program Files"};
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    registry = std::make_unique<platform::SqliteRegistry>(":memory:");
    platform::useRegistry(registry.get());
}

// One store for the whole run, emptied for every input: a new database, its schema and its
// prepared statements per input took most of an input's time and memory.
platform::SqliteRegistry &FuzzPlatform::freshRegistry()
{
    if (registry->emptyMemoryStore() != platform::kErrorSuccess)
        fail("FuzzPlatform", "the store in memory cannot be emptied");
    return *registry;
}

void FuzzPlatform::setScreen(int width, int height, int caption)
{
    screen.width = width;
    screen.height = height;
    screen.caption = caption;
}

void FuzzPlatform::setEnvironment(std::vector<std::u16string> entries)
{
    system.environment = std::move(entries);
}

int FuzzPlatform::Screen::systemMetric(int index)
{
    switch (index) {
    case platform::kSmCxFullScreen:
        return width;
    case platform::kSmCyFullScreen:
        return height;
    case platform::kSmCyCaption:
        return caption;
    default:
        return 0;
    }
}

void FuzzPlatform::fail(const char *target, const char *what, const QString &detail)
{
    const QByteArray text = QStringLiteral("%1: %2\n%3").arg(QLatin1String(target), QLatin1String(what),
                                                              detail.left(4000)).toUtf8();
    __sanitizer_report_error_summary(text.constData());
    std::abort();
}
