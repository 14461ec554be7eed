#include "ModuleSpeech.h"

#include "platform/CodeUnits.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"

#include <QLibrary>
#include <QString>

#include <cstdio>

namespace platform {

namespace {

using CreateSpeech = Speech *(*)();

QString moduleBesideExecutable()
{
    const QString executable = fromCodeUnits(system().executablePath());
    return executable.left(executable.lastIndexOf(u'/') + 1) + QStringLiteral("liblumbraspeech.so");
}

} // namespace

// The module is never unloaded: the voice it made may outlive any one call.
ModuleSpeech::~ModuleSpeech() = default;

Speech *ModuleSpeech::voice()
{
    if (loaded || tried)
        return loaded.get();
    tried = true;
    QLibrary module(moduleBesideExecutable());
    const auto create = reinterpret_cast<CreateSpeech>(module.resolve("lumbraCreateSpeech"));
    if (!create) {
        std::fprintf(stderr, "lumbra: no speech: %s\n", module.errorString().toLocal8Bit().constData());
        return nullptr;
    }
    loaded.reset(create());
    return loaded.get();
}

bool ModuleSpeech::say(const std::u16string &text, const std::string &language)
{
    Speech *speech = voice();
    return speech && speech->say(text, language);
}

void ModuleSpeech::stop()
{
    if (loaded)
        loaded->stop();
}

} // namespace platform
