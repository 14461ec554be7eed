#include "MaintenanceSwitches.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/RegistryScope.h"
#include "settings/Diagnostic.h"
#include "settings/RegFileExporter.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"

#include <QFile>

#include <cstdio>
#include <cstring>

namespace {

const char kInstallRegister[] = "--installRegister";
const char kExportRegister[] = "--exportRegister";

bool lastArgumentIs(const QStringList &arguments, const char *name)
{
    return arguments.size() > 1 && arguments.last() == QLatin1String(name);
}

} // namespace

bool isConsoleSwitch(const char *lastArgument)
{
    return std::strcmp(lastArgument, kInstallRegister) == 0
        || std::strcmp(lastArgument, kExportRegister) == 0;
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
    // One transaction, so that an import running meanwhile shows whole or not at all.
    platform::RegistryScope scope(platform::registry());
    RegFileExporter exporter(platform::registry());
    const bool exported = exporter.exportTree(platform::kLocalMachine, tree, out);
    out.flush();
    *exitCode = exported ? 0 : kExitSwitchFailed;
    return true;
}
