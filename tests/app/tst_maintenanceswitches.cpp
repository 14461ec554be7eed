// The registry switches as an installer and a user run them: the real executable, a store
// file of its own, and the registry file in the folder it is started in.

#include "E2eSession.h"
#include "TestFiles.h"
#include "TestPlatform.h"

#include "app/MaintenanceSwitches.h"
#include "platform/posix/BusDirectory.h"
#include "platform/posix/BusSocket.h"
#include "platform/posix/SqliteRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>

#include <unistd.h>

namespace {

struct Started
{
    QString err;
    QString folder;
};

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// A settings tree of `keys` keys of 100 values of 200 letters: large enough that an import
// takes a while, so that other processes can come between.
QByteArray largeRegFile(char letter, int keys)
{
    QByteArray file = "Windows Registry Editor Version 5.00\r\n\r\n";
    const QByteArray text(200, letter);
    for (int key = 0; key < keys; ++key) {
        file += "[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\Large\\" + QByteArray::number(key) + "]\r\n";
        for (int value = 0; value < 100; ++value)
            file += "\"v" + QByteArray::number(value) + "\"=\"" + text + "\"\r\n";
    }
    return file;
}

const QStringList kExportUtf8 = {QStringLiteral("--exportRegister"), QStringLiteral("--utf8")};

const QByteArray kSmallRegFile =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\System]\r\n"
    "\"LUMBRA_WINDOWTITLE\"=\"Lumbra\"\r\n"
    "\"NUMBER_OF_TABS\"=\"0\"\r\n";

} // namespace

class tst_MaintenanceSwitches : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void installExportAndReinstallChangeNothing();
    void languageNamesTheFile();
    void badFilesChangeNothingAndFail_data();
    void badFilesChangeNothingAndFail();
    void switchCountsOnlyAsLastArgument();
    void exportAndStartScript_data();
    void exportAndStartScript();
    void withoutADisplay_data();
    void withoutADisplay();
    void startUpReadsItsLanguageAndMovesToItsFolder();
    void unusableStoresFailTheSwitches_data();
    void unusableStoresFailTheSwitches();
    void importWaitsForAnotherWriter();
    void exportDoesNotWaitForAWriter();
    void exportsDuringAnImportSeeOneState();

private:
    // Switches run as from a text console, with no display to open; `display` gives the
    // launcher one (offscreen).
    QProcess *start(const QStringList &arguments, const QString &langId = QStringLiteral("0x0409"),
                    bool display = false);
    Run run(const QStringList &arguments, const QString &langId = QStringLiteral("0x0409"));
    Run finish(QProcess *process);
    // Starts the launcher, waits for its tab strip and ends it; answers what it wrote to
    // stderr by then and the folder it was running in, or nothing when it never got there.
    Started launcherStarts(const QStringList &arguments, const QString &langId = QStringLiteral("0x0409"));
    QString storePath() const { return session->path(QStringLiteral("config/registry.sqlite")); }
    QProcessEnvironment environment(const QString &langId) const;

    // The launchers some functions start have a home, XDG folders and a session bus of their own.
    std::unique_ptr<E2eSession> session;
    QString program;
};

void tst_MaintenanceSwitches::init()
{
    E2eSession::Options offscreen;
    offscreen.offscreen = true;
    session = std::make_unique<E2eSession>(offscreen);
    QVERIFY2(session->failure().isEmpty(), qPrintable(session->failure()));
    program = QStringLiteral(LUMBRA_EXECUTABLE);
}

QProcess *tst_MaintenanceSwitches::start(const QStringList &arguments, const QString &langId, bool display)
{
    auto *process = new QProcess(this);
    QProcessEnvironment environment = this->environment(langId);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), display ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(session->path(QString()));
    process->start(program, arguments);
    return process;
}

QProcessEnvironment tst_MaintenanceSwitches::environment(const QString &langId) const
{
    QProcessEnvironment environment = session->environment();
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), storePath());
    environment.insert(QStringLiteral("LUMBRA_LANGID"), langId);
    return environment;
}

Run tst_MaintenanceSwitches::finish(QProcess *process)
{
    Run result;
    const bool ended = process->state() == QProcess::NotRunning || process->waitForFinished(120000);
    if (ended && process->exitStatus() == QProcess::NormalExit) {
        result.exitCode = process->exitCode();
        result.out = process->readAllStandardOutput();
        result.err = QString::fromLocal8Bit(process->readAllStandardError());
    }
    delete process;
    return result;
}

Run tst_MaintenanceSwitches::run(const QStringList &arguments, const QString &langId)
{
    return finish(start(arguments, langId));
}

void tst_MaintenanceSwitches::installExportAndReinstallChangeNothing()
{
    QVERIFY(QFile::copy(QStringLiteral(LUMBRA_BUILD_DIR "/EN.reg"), session->path("EN.reg")));
    const Run install = run({QStringLiteral("--installRegister")});
    QCOMPARE(install.exitCode, 0);
    QVERIFY2(install.err.isEmpty(), qPrintable(install.err));
    const QByteArray installed = fileBytes(storePath());

    const Run exported = run(kExportUtf8);
    QCOMPARE(exported.exitCode, 0);
    QVERIFY(exported.out.startsWith("Windows Registry Editor Version 5.00"));
    QVERIFY(exported.out.contains("[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\System]"));
    QVERIFY(exported.out.contains("\"LUMBRA_WINDOWTITLE\"="));

    QVERIFY(writeFile(session->path("EN.reg"), exported.out));
    const Run reinstall = run({QStringLiteral("--installRegister")});
    QCOMPARE(reinstall.exitCode, 0);
    QCOMPARE(fileBytes(storePath()), installed);
    QCOMPARE(run(kExportUtf8).out, exported.out);
}

void tst_MaintenanceSwitches::languageNamesTheFile()
{
    QVERIFY(writeFile(session->path("EN.reg"), kSmallRegFile));
    QByteArray german = kSmallRegFile;
    german.replace("\\EN\\", "\\DE\\");
    QVERIFY(writeFile(session->path("DE.reg"), german));

    QCOMPARE(run({QStringLiteral("--installRegister")}, QStringLiteral("0x0C07")).exitCode, 0);
    const Run german_export = run(kExportUtf8, QStringLiteral("0x0C07"));
    QVERIFY(german_export.out.contains("\\Lumbra\\DE\\System]"));
    QCOMPARE(run({QStringLiteral("--exportRegister")}).exitCode, kExitNoSettings);
}

void tst_MaintenanceSwitches::badFilesChangeNothingAndFail_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("missing") << false << QByteArray();
    QTest::newRow("empty") << true << QByteArray();
    QTest::newRow("plain text") << true << QByteArray("hello\n[HKEY_LOCAL_MACHINE\\Software\\X]\n");
    QTest::newRow("blank first line") << true << QByteArray("\r\nWindows Registry Editor Version 5.00\r\n");
    QTest::newRow("UTF-16 without its mark") << true
        << QByteArray("W\0i\0n\0d\0o\0w\0s\0 \0R\0e\0g\0", 22);
    QTest::newRow("deleting every language") << true << kSmallRegFile + "[-HKEY_LOCAL_MACHINE\\Software]\r\n";
}

void tst_MaintenanceSwitches::badFilesChangeNothingAndFail()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QVERIFY(writeFile(session->path("EN.reg"), kSmallRegFile));
    QCOMPARE(run({QStringLiteral("--installRegister")}).exitCode, 0);
    const QByteArray before = fileBytes(storePath());

    QVERIFY(QFile::remove(session->path("EN.reg")));
    if (present)
        QVERIFY(writeFile(session->path("EN.reg"), content));
    const Run install = run({QStringLiteral("--installRegister")});
    QCOMPARE(install.exitCode, 2);
    QVERIFY2(install.err.contains(QStringLiteral("EN.reg")), qPrintable(install.err));
    QCOMPARE(install.err.count(u'\n'), 1);
    QCOMPARE(fileBytes(storePath()), before);
}

// Anything else starts the launcher, which imports nothing.
void tst_MaintenanceSwitches::switchCountsOnlyAsLastArgument()
{
    QVERIFY(writeFile(session->path("EN.reg"), kSmallRegFile));
    QVERIFY(!launcherStarts({QStringLiteral("--installRegister"), QStringLiteral("--other")}).folder.isEmpty());
    QCOMPARE(run({QStringLiteral("--exportRegister")}).exitCode, kExitNoSettings);
    QVERIFY(!launcherStarts({QStringLiteral("--INSTALLREGISTER")}).folder.isEmpty());
    QCOMPARE(run({QStringLiteral("--exportRegister")}).exitCode, kExitNoSettings);
    // An option the GUI application takes for itself is an argument all the same.
    QVERIFY(!launcherStarts({QStringLiteral("--installRegister"), QStringLiteral("-reverse")}).folder.isEmpty());
    QCOMPARE(run({QStringLiteral("--exportRegister")}).exitCode, kExitNoSettings);
    QCOMPARE(run({QStringLiteral("-reverse"), QStringLiteral("--installRegister")}).exitCode, 0);
    QCOMPARE(run({QStringLiteral("--exportRegister")}).exitCode, 0);
}

Started tst_MaintenanceSwitches::launcherStarts(const QStringList &arguments, const QString &langId)
{
    QProcess *process = start(arguments, langId, true);
    process->setReadChannel(QProcess::StandardError);
    Started started;
    while (!started.err.contains(QLatin1String("tabCount")) && process->waitForReadyRead(30000))
        started.err += QString::fromLocal8Bit(process->readAllStandardError());
    if (started.err.contains(QLatin1String("tabCount")))
        started.folder = QFileInfo(QStringLiteral("/proc/%1/cwd").arg(process->processId())).canonicalFilePath();
    process->kill();
    process->waitForFinished();
    delete process;
    return started;
}

void tst_MaintenanceSwitches::withoutADisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("silentLauncher"); // a launcher's window that takes no message, as a stopped one
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    // Qt's reason, then ours and exit code 2, not Qt's abort with a core dump.
    QTest::newRow("the launcher") << QStringList() << false << 2
                                  << "(?s)failed to start because.*\nlumbra: no display to show the launcher on";
    QTest::newRow("--close, no launcher runs") << QStringList{"--close"} << false << 0 << QString();
    // Given up waiting is no success.
    QTest::newRow("--close, a launcher that does not answer") << QStringList{"--close"} << true << 2
                                                              << "did not end within 10 seconds";
}

// Started from a text console, as an uninstaller may run "--close" (every switch here runs so).
void tst_MaintenanceSwitches::withoutADisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, silentLauncher);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    const std::string runtime = QFile::encodeName(session->path(QStringLiteral("runtime"))).toStdString();
    const platform::WindowHandle window = 0x5151;
    const int listening = silentLauncher ? platform::listenAt(runtime, platform::BusDirectory::socketName(window)) : -1;
    const auto closeListening = qScopeGuard([listening] { ::close(listening); });
    QVERIFY(!silentLauncher || (listening >= 0 && platform::BusDirectory(runtime).writeInfo({window, u"QWidget", u"Lumbra"})));
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(error.isEmpty() ? !result.err.contains(QLatin1String("display"))
                             : result.err.contains(QRegularExpression(error)),
             qPrintable(result.err));
}

void tst_MaintenanceSwitches::exportAndStartScript_data()
{
    QTest::addColumn<QString>("store");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("a tree") << "tree" << "&1" << 0;
    QTest::newRow("no store") << "none" << "&1" << kExitNoSettings;
    QTest::newRow("a value name no file can carry") << "unexportable" << "&1" << 2;
    QTest::newRow("a full disk") << "tree" << "/dev/full" << 2;
}

// "No tree" has its own exit code, and the start script installs the factory settings then
// and only then: a name no file can carry must not cost a person their icons and lock.
void tst_MaintenanceSwitches::exportAndStartScript()
{
    QFETCH(QString, store);
    QFETCH(QString, output);
    QFETCH(int, exitCode);
    if (store != QLatin1String("none")) {
        QVERIFY(writeFile(session->path("EN.reg"), kSmallRegFile));
        QCOMPARE(run({QStringLiteral("--installRegister")}).exitCode, 0);
        QVERIFY(QFile::remove(session->path("EN.reg")));
    }
    if (store == QLatin1String("unexportable")) {
        platform::SqliteRegistry registry(storePath().toStdString());
        platform::RegKey key = platform::kNoKey;
        QCOMPARE(registry.openKey(platform::kLocalMachine, u"Software\\ORTAN\\Lumbra\\EN\\System", &key), 0);
        QCOMPARE(registry.setValue(key, std::u16string(u"a\0b", 3), platform::kRegSz, nullptr, 0), 0);
    }
    const QByteArray before = fileBytes(storePath());
    program = QStringLiteral("/bin/sh");
    const Run exported = run({"-c", "exec \"$0\" --exportRegister >" + output, QStringLiteral(LUMBRA_EXECUTABLE)});
    QCOMPARE(exported.exitCode, exitCode);
    QCOMPARE(exported.err.count(u'\n'), exitCode == 0 ? 0 : 1);
    QVERIFY(exitCode == 0 ? exported.out.startsWith(QByteArray("\xFF\xFEW\0i\0", 6)) : exported.out.isEmpty());
    if (output != QLatin1String("&1"))
        return;
    const QString app = session->path(QStringLiteral("app/"));
    QVERIFY(QDir().mkpath(app) && QFile::link(QStringLiteral(LUMBRA_EXECUTABLE), app + "lumbra")
            && QFile::copy(QStringLiteral(LUMBRA_BUILD_DIR "/EN.reg"), app + "EN.reg")
            && QFile::copy(QStringLiteral(LUMBRA_BUILD_DIR "/desktop/lumbra-start"), app + "lumbra-start"));
    const Run started = run(QStringList{app + "lumbra-start"} + kExportUtf8);
    QCOMPARE(started.out.contains("\"IS_FIRST_RUN\"=\"1\""), exitCode == kExitNoSettings);
    if (exitCode != kExitNoSettings)
        QCOMPARE(fileBytes(storePath()), before);
}

// A start without a switch reads the tree of its own language and ends up in the folder of
// its executable, wherever it was started from.
void tst_MaintenanceSwitches::startUpReadsItsLanguageAndMovesToItsFolder()
{
    QByteArray file = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (const char *language : {"EN", "DE"}) {
        const QByteArray tree = QByteArray("[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\") + language;
        const int tabs = language == QByteArray("DE") ? 2 : 1;
        file += tree + "\\System]\r\n\"NUMBER_OF_TABS\"=\"" + QByteArray::number(tabs) + "\"\r\n";
        for (int n = 1; n <= tabs + 1; ++n)
            file += tree + "\\IconInfo\\0" + QByteArray::number(n) + "]\r\n";
        file += tree + "\\ThemeInfo\\01]\r\n";
    }
    QVERIFY(writeFile(session->path("EN.reg"), file));
    QCOMPARE(run({QStringLiteral("--installRegister")}).exitCode, 0);

    const Started started = launcherStarts({}, QStringLiteral("0x0C07"));
    QVERIFY2(started.err.contains(QStringLiteral("tabCount  2")), qPrintable(started.err));
    QCOMPARE(started.folder, QFileInfo(QStringLiteral(LUMBRA_EXECUTABLE)).canonicalPath());
}

void tst_MaintenanceSwitches::unusableStoresFailTheSwitches_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("argument");

    const QString noTables = QStringLiteral("CREATE TABLE t(x); DROP TABLE t; PRAGMA user_version=1");
    const QString refusing = QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON reg_values BEGIN "
                                            "SELECT RAISE(ABORT, 'access denied'); END");
    QTest::newRow("version 1 without tables, install") << noTables << "--installRegister";
    QTest::newRow("version 1 without tables, export") << noTables << "--exportRegister";
    QTest::newRow("a store that refuses writes, install") << refusing << "--installRegister";
    // An index that no longer matches its table: lookups miss keys that are there.
    const QString brokenIndex = QStringLiteral("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = "
                                               "replace(sql, 'UNIQUE(parent, folded)', 'UNIQUE(folded, parent)')"
                                               " WHERE name = 'reg_keys'");
    QTest::newRow("a damaged index, install") << brokenIndex << "--installRegister";
    QTest::newRow("a damaged index, export") << brokenIndex << "--exportRegister";
    const QString foreign = QStringLiteral("CREATE TABLE notes(x); PRAGMA user_version=-1");
    QTest::newRow("another program's file, install") << foreign << "--installRegister";
    QTest::newRow("another program's file, export") << foreign << "--exportRegister";
}

// A store that cannot take or give the settings makes the switch fail, in a line or two,
// and the store stays as it was.
void tst_MaintenanceSwitches::unusableStoresFailTheSwitches()
{
    QFETCH(QString, sql);
    QFETCH(QString, argument);
    QVERIFY(QDir().mkpath(QFileInfo(storePath()).path()));
    QVERIFY(writeFile(session->path("EN.reg"), kSmallRegFile));
    if (!sql.contains(QLatin1String("user_version"))) {
        QCOMPARE(run({QStringLiteral("--installRegister")}).exitCode, 0);
        QByteArray changed = kSmallRegFile;
        QVERIFY(writeFile(session->path("EN.reg"), changed.replace("\"Lumbra\"", "\"Other\"")));
    }
    QVERIFY(executeOnStore(storePath(), sql));
    const QByteArray before = fileBytes(storePath());

    const Run switched = run({argument});
    QCOMPARE(switched.exitCode, 2);
    QVERIFY2(switched.err.count(u'\n') <= 2, qPrintable(switched.err));
    // A damaged store is named as such, with what to do about it.
    QCOMPARE(switched.err.contains(QLatin1String("the settings store is damaged")), QByteArray(QTest::currentDataTag()).contains("damaged"));
    QVERIFY(switched.out.isEmpty());
    QCOMPARE(fileBytes(storePath()), before);
}

// Two writers at once: the second waits for the first, then does its work.
void tst_MaintenanceSwitches::importWaitsForAnotherWriter()
{
    QVERIFY(writeFile(session->path("EN.reg"), kSmallRegFile));
    QCOMPARE(run({QStringLiteral("--installRegister")}).exitCode, 0);
    QByteArray changed = kSmallRegFile;
    QVERIFY(writeFile(session->path("EN.reg"), changed.replace("\"Lumbra\"", "\"Other\"")));

    platform::SqliteRegistry holder(storePath().toStdString());
    QCOMPARE(holder.beginScope(), platform::kErrorSuccess);
    platform::RegKey key = platform::kNoKey;
    QCOMPARE(holder.createKey(platform::kLocalMachine, u"Software\\ORTAN\\Lumbra\\EN\\Held", &key), platform::kErrorSuccess);
    QProcess *importer = start({QStringLiteral("--installRegister")});
    // Time for the importer to run into the lock; it must wait there, not give up.
    QVERIFY(!importer->waitForFinished(3000));
    QCOMPARE(holder.commitScope(), platform::kErrorSuccess);
    const Run imported = finish(importer);
    QCOMPARE(imported.exitCode, 0);
    QVERIFY2(imported.err.isEmpty(), qPrintable(imported.err));
    const QByteArray file = run(kExportUtf8).out;
    QVERIFY(file.contains("\\EN\\Held]"));
    QVERIFY(file.contains("\"LUMBRA_WINDOWTITLE\"=\"Other\""));
}

// A writer holds the store for a long time: an export reads what was committed before it,
// at once, without an error.
void tst_MaintenanceSwitches::exportDoesNotWaitForAWriter()
{
    QVERIFY(writeFile(session->path("EN.reg"), kSmallRegFile));
    QCOMPARE(run({QStringLiteral("--installRegister")}).exitCode, 0);
    const Run before = run({QStringLiteral("--exportRegister")});
    QCOMPARE(before.exitCode, 0);

    platform::SqliteRegistry holder(storePath().toStdString());
    QCOMPARE(holder.beginScope(), platform::kErrorSuccess);
    platform::RegKey key = platform::kNoKey;
    QCOMPARE(holder.createKey(platform::kLocalMachine, u"Software\\ORTAN\\Lumbra\\EN\\Uncommitted", &key),
             platform::kErrorSuccess);
    const Run during = run({QStringLiteral("--exportRegister")});
    QCOMPARE(holder.commitScope(), platform::kErrorSuccess);
    QCOMPARE(during.exitCode, 0);
    QVERIFY2(during.err.isEmpty(), qPrintable(during.err));
    QCOMPARE(during.out, before.out);
}

// The issue as a user meets it: a large import, and exports started while it runs. Each
// export shows the store before the import or after it, whole.
void tst_MaintenanceSwitches::exportsDuringAnImportSeeOneState()
{
    QVERIFY(writeFile(session->path("EN.reg"), largeRegFile('x', 150)));
    QCOMPARE(run({QStringLiteral("--installRegister")}).exitCode, 0);
    const Run before = run(kExportUtf8);
    QCOMPARE(before.exitCode, 0);
    QByteArray expectedAfter = before.out;
    expectedAfter.replace(QByteArray(200, 'x'), QByteArray(200, 'y'));

    QVERIFY(writeFile(session->path("EN.reg"), largeRegFile('y', 150)));
    QProcess *importer = start({QStringLiteral("--installRegister")});
    QVERIFY(importer->waitForStarted());
    QList<Run> exports;
    int startedDuringImport = 0;
    // QProcess learns that a process has ended only when asked to wait.
    while (!importer->waitForFinished(1)) {
        ++startedDuringImport;
        exports << run(kExportUtf8);
    }
    const Run imported = finish(importer);
    QCOMPARE(imported.exitCode, 0);
    QVERIFY2(imported.err.isEmpty(), qPrintable(imported.err));
    QVERIFY(startedDuringImport > 0);
    for (const Run &exported : exports) {
        QCOMPARE(exported.exitCode, 0);
        QVERIFY2(exported.err.isEmpty(), qPrintable(exported.err));
        QVERIFY2(exported.out == before.out || exported.out == expectedAfter,
                 qPrintable(QStringLiteral("an export mixed %1 old and %2 new values")
                                .arg(exported.out.count(QByteArray(200, 'x')))
                                .arg(exported.out.count(QByteArray(200, 'y')))));
    }
    QCOMPARE(run(kExportUtf8).out, expectedAfter);
    const auto old = std::count_if(exports.cbegin(), exports.cend(), [&](const Run &e) { return e.out == before.out; });
    qInfo("%d exports during the import: %d saw the store before it, %d after it", int(exports.size()), int(old),
          int(exports.size() - old));
}

QTEST_GUILESS_MAIN(tst_MaintenanceSwitches)
#include "tst_maintenanceswitches.moc"
