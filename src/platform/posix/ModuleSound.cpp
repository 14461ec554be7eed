#include "ModuleSound.h"

#include "platform/CodeUnits.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"

#include <QLibrary>
#include <QString>

#include <cstdio>

namespace platform {

namespace {

using CreateSound = Sound *(*)();

QString moduleBesideExecutable()
{
    const QString executable = fromCodeUnits(system().executablePath());
    return executable.left(executable.lastIndexOf(u'/') + 1) + QStringLiteral("liblumbrasound.so");
}

} // namespace

// The module is never unloaded: the player it made may outlive any one call.
ModuleSound::~ModuleSound() = default;

Sound *ModuleSound::player()
{
    if (loaded || tried)
        return loaded.get();
    tried = true;
    QLibrary module(moduleBesideExecutable());
    const auto create = reinterpret_cast<CreateSound>(module.resolve("lumbraCreateSound"));
    if (!create) {
        std::fprintf(stderr, "lumbra: no music: %s\n", module.errorString().toLocal8Bit().constData());
        return nullptr;
    }
    loaded.reset(create());
    return loaded.get();
}

bool ModuleSound::play(const std::u16string &path)
{
    Sound *sound = player();
    return sound && sound->play(path);
}

void ModuleSound::stop()
{
    if (loaded)
        loaded->stop();
}

} // namespace platform
