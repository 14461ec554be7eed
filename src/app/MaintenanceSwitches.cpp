#include "MaintenanceSwitches.h"

#include "PinSwitches.h"
#include "i18n/LanguageChoice.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "settings/RegFileExporter.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"

#include <QFile>

#include <cstdio>

namespace {

const char kInstallRegister[] = "--installRegister";
const char kExportRegister[] = "--exportRegister";

bool lastArgumentIs(const QStringList &arguments, const char *name)
{
    return arguments.size() > 1 && arguments.last() == QLatin1String(name);
}

} // namespace

bool isConsoleSwitch(const QStringList &arguments)
{
    return lastArgumentIs(arguments, kInstallRegister) || lastArgumentIs(arguments, kExportRegister)
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
    const bool imported = importer.importFile(path) == RegFileImporter::Status::Imported;
    *exitCode = imported ? 0 : kExitSwitchFailed;
    return true;
}

bool handleExportRegisterSwitch(const QStringList &arguments, int *exitCode)
{
    if (!lastArgumentIs(arguments, kExportRegister))
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
    RegFileExporter exporter(platform::registry());
    const bool exported = exporter.exportTree(platform::kLocalMachine, tree, out);
    out.flush();
    *exitCode = exported ? 0 : kExitSwitchFailed;
    return true;
}
