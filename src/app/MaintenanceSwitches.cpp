#include "MaintenanceSwitches.h"

#include "PinSwitches.h"
#include "i18n/LanguageChoice.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "settings/RegFileExporter.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingsPersistence.h"

#include <QFile>

#include <cstdio>

namespace {

const char kInstallRegister[] = "--installRegister";
const char kExportRegister[] = "--exportRegister";
const char kUtf8[] = "--utf8";

bool lastArgumentIs(const QStringList &arguments, const char *name)
{
    return arguments.size() > 1 && arguments.last() == QLatin1String(name);
}

bool lastTwoAre(const QStringList &arguments, const char *first, const char *second)
{
    return arguments.size() > 2 && arguments.at(arguments.size() - 2) == QLatin1String(first)
        && arguments.last() == QLatin1String(second);
}

// "--exportRegister" last, or followed by "--utf8".
bool exportRequested(const QStringList &arguments, bool *utf8)
{
    *utf8 = lastTwoAre(arguments, kExportRegister, kUtf8);
    return *utf8 || lastArgumentIs(arguments, kExportRegister);
}

} // namespace

bool isConsoleSwitch(const QStringList &arguments)
{
    bool utf8 = false;
    return lastArgumentIs(arguments, kInstallRegister) || exportRequested(arguments, &utf8)
        || lastArgumentIs(arguments, "--close") || isPinSwitch(arguments);
}

QStringList commandLineArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

bool handleInstallRegisterSwitch(const QStringList &arguments, int *exitCode)
{
    if (!lastArgumentIs(arguments, kInstallRegister))
        return false;
    // Relative to the folder the program was started in: the move to the executable's
    // folder comes later in start-up.
    const QString path = QStringLiteral("./") + languageCode + QStringLiteral(".reg");
    RegFileImporter importer(platform::registry());
    importer.limitToSettings();
    const bool imported = storeIsSound(platform::registry(), QStringLiteral("imported"))
        && importer.importFile(path) == RegFileImporter::Status::Imported;
    *exitCode = imported ? 0 : kExitSwitchFailed;
    return true;
}

bool handleExportRegisterSwitch(const QStringList &arguments, int *exitCode)
{
    bool utf8 = false;
    if (!exportRequested(arguments, &utf8))
        return false;
    initRegistryPaths();
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly)) {
        printDiagnostic("lumbra: cannot write to standard output");
        *exitCode = kExitSwitchFailed;
        return true;
    }
    QString tree = registryBasePath;
    tree.chop(1);
    if (!storeIsSound(platform::registry(), QStringLiteral("exported"))) {
        *exitCode = kExitSwitchFailed;
        return true;
    }
    RegFileExporter exporter(platform::registry(), utf8 ? RegFileExporter::Form::Utf8 : RegFileExporter::Form::Unicode);
    if (!exporter.exportTree(platform::kLocalMachine, tree, out)) {
        *exitCode = exporter.keyWasMissing() ? kExitNoSettings : kExitSwitchFailed;
        return true;
    }
    // The file is whole only once the last byte has left: a full disk shows here.
    if (!out.flush()) {
        printDiagnostic(QStringLiteral("lumbra: the export could not be written: %1").arg(out.errorString()));
        *exitCode = kExitSwitchFailed;
        return true;
    }
    *exitCode = 0;
    return true;
}
