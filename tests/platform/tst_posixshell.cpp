// Starting programs and opening documents for real: a recording script in a temporary
// folder, and a stand-in for xdg-open first on PATH.

#include "ScopedVariable.h"
#include "TestFiles.h"
#include "TestPlatform.h"
#include "platform/posix/PosixShell.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

// A descriptor the test leaves open across exec, as a careless library would.
constexpr int kLeakedFd = 100;

// Records where it runs, its parent, its arguments and the descriptors it was given, then
// renames the record into place, so that a record that exists is complete.
QByteArray recordingScript(const QString &record)
{
    return QByteArray("#!/bin/sh\n"
                      "out='")
        + QFile::encodeName(record)
        + "'\n"
          "pwd -P > \"$out.part\"\n"
          "printf 'ppid=%s\\n' \"$PPID\" >> \"$out.part\"\n"
          "for a in \"$@\"; do printf 'arg=%s\\n' \"$a\" >> \"$out.part\"; done\n"
          "ls -l /proc/self/fd >> \"$out.part\"\n"
          "grep '^Sig[BI]' /proc/self/status >> \"$out.part\"\n"
          "mv \"$out.part\" \"$out\"\n";
}

// Writes its arguments, one a line.
QByteArray openerScript(const QString &record)
{
    return QByteArray("#!/bin/sh\nout='") + QFile::encodeName(record)
        + "'\nprintf '%s\\n' \"$@\" > \"$out.part\"\nmv \"$out.part\" \"$out\"\n";
}

struct Record
{
    QString folder;
    qint64 parent = -1;
    QStringList arguments;
    // Descriptor number to what it points at.
    QMap<int, QString> descriptors;
};

Record readRecord(const QString &path)
{
    Record record;
    const QStringList lines = QString::fromLocal8Bit(fileBytes(path)).split(u'\n');
    record.folder = lines.value(0);
    static const QRegularExpression fdLine(QStringLiteral(" (\\d+) -> (.*)$"));
    for (const QString &line : lines.mid(1)) {
        if (line.startsWith(QLatin1String("ppid=")))
            record.parent = line.mid(5).toLongLong();
        else if (line.startsWith(QLatin1String("arg=")))
            record.arguments.append(line.mid(4));
        else if (const QRegularExpressionMatch match = fdLine.match(line); match.hasMatch())
            record.descriptors.insert(match.captured(1).toInt(), match.captured(2));
    }
    return record;
}

// Children of this process, alive or zombie, from /proc.
QStringList ownChildren()
{
    QStringList children;
    const QString self = QString::number(::getpid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // The command name may hold blanks and parentheses; the fields after the last ')'
        // are the state and the parent.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1) == self.toLatin1())
            children.append(pid + u' ' + QString::fromLatin1(fields.at(0)));
    }
    return children;
}

// Writes its own name and its arguments on one line.
QByteArray taskManagerScript(const QString &record)
{
    return QByteArray("#!/bin/sh\nPATH=/usr/bin:/bin\nout='") + QFile::encodeName(record)
        + "'\nprintf '%s' \"${0##*/}\" > \"$out.part\"\nfor a in \"$@\"; do printf ' %s' \"$a\" >> \"$out.part\"; done\n"
          "mv \"$out.part\" \"$out\"\n";
}

const QStringList kTaskManagers{"gnome-system-monitor", "plasma-systemmonitor", "xfce4-taskmanager", "lxtask",
                                "mate-system-monitor", "x-terminal-emulator", "xterm"};

// Only the task managers a row installs, in a folder that is the whole PATH, and the
// command line it chooses, for as long as the object lives.
class TaskManagerSetup
{
public:
    TaskManagerSetup(const QString &folder, const QStringList &installed, const QString &chosen, const QString &record)
        : path("PATH", QFile::encodeName(folder)),
          choice("LUMBRA_TASKMANAGER", chosen.isNull() ? QByteArray() : chosen.toLocal8Bit())
    {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (const QString &name : installed) {
            const bool broken = name.endsWith(u'!');
            const QString file = folder + u'/' + QString(name).remove(u'!');
            writeFile(file, taskManagerScript(record), !broken);
        }
    }

private:
    ScopedVariable path;
    ScopedVariable choice;
};

} // namespace

class tst_PosixShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void startsDetached_data();
    void startsDetached();

    void opensWithTheDefaultHandler_data();
    void opensWithTheDefaultHandler();
    void opensThroughTheDesktopSession();

    void startsATaskManager_data();
    void startsATaskManager();

private:
    QString path(const QString &relative) const { return root.filePath(relative); }
    QString expand(QString text) const { return text.replace(QLatin1String("{root}"), root.path()); }

    QTemporaryDir root;
    QString savedFolder;
    platform::PosixShell shell;
};

void tst_PosixShell::initTestCase()
{
    QVERIFY(root.isValid());
    for (const char *folder : {"tools", "My Tools", "elsewhere", "launcher", "bin", "empty-bin", "docs"})
        QVERIFY(QDir(root.path()).mkpath(QString::fromLatin1(folder)));
    for (const char *folder : {"tools", "My Tools"})
        QVERIFY(writeFile(path(QLatin1String(folder) + QLatin1String("/record.sh")),
                          recordingScript(path(QStringLiteral("record.txt"))), true));
    QVERIFY(QFile::link(path(QStringLiteral("tools/record.sh")), path(QStringLiteral("tools/\uFEFFmarked.sh"))));
    QVERIFY(writeFile(path(QStringLiteral("bin/xdg-open")), openerScript(path(QStringLiteral("opened.txt"))), true));
    QVERIFY(writeFile(path(QStringLiteral("tools/readme.txt")), "not a program\n"));
    QVERIFY(writeFile(path(QStringLiteral("tools/garbage")), "\x7f\x01\x02 no format", true));
    QVERIFY(writeFile(path(QStringLiteral("tools/orphan.sh")), "#!/nonexistent/interpreter\necho\n", true));
    for (const char *file : {"docs/letter.txt", "docs/my letter.txt"})
        QVERIFY(writeFile(path(QLatin1String(file)), "Dear all\n"));

    const int fd = ::open("/dev/null", O_RDONLY);
    QVERIFY(fd >= 0);
    QCOMPARE(::dup2(fd, kLeakedFd), kLeakedFd);
    ::close(fd);
    // Programs start with the default signal handling, whatever the launcher ignores or blocks.
    sigset_t blocked;
    QVERIFY(sigemptyset(&blocked) == 0 && sigaddset(&blocked, SIGUSR2) == 0 && ::sigprocmask(SIG_BLOCK, &blocked, nullptr) == 0);
    QVERIFY(::signal(SIGUSR1, SIG_IGN) != SIG_ERR);
    savedFolder = QDir::currentPath();
}

void tst_PosixShell::init()
{
    // The launcher runs in its own folder; a program without a usable folder starts there.
    QVERIFY(QDir::setCurrent(path(QStringLiteral("launcher"))));
    QFile::remove(path(QStringLiteral("record.txt")));
    QFile::remove(path(QStringLiteral("opened.txt")));
}

void tst_PosixShell::cleanupTestCase()
{
    ::close(kLeakedFd);
    QDir::setCurrent(savedFolder);
}

void tst_PosixShell::startsDetached_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("workingDirectory");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<QString>("folder"); // where it ran, or what the refusal names

    const QStringList none;
    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("unquoted") << "{root}/tools/record.sh" << none << "{root}/tools" << true << "{root}/tools";
    row("quoted") << "\"{root}/tools/record.sh\"" << none << "{root}/tools/" << true << "{root}/tools";
    row("quoted, blanks") << "\"{root}/My Tools/record.sh\"" << none << "{root}/My Tools" << true << "{root}/My Tools";
    row("unquoted, blanks") << "{root}/My Tools/record.sh" << none << "{root}/My Tools" << true << "{root}/My Tools";
    row("quoted folder") << "{root}/My Tools/record.sh" << none << "\"{root}/My Tools\"" << true << "{root}/My Tools";
    row("arguments as given") << "\"{root}/My Tools/record.sh\""
                              << QStringList{"two words", "\"quoted\"", "", "--level=3", "ünï", QStringLiteral("\uFEFFmarked")}
                              << "{root}/My Tools"
                              << true << "{root}/My Tools";
    row("another folder") << "{root}/tools/record.sh" << none << "{root}/elsewhere" << true << "{root}/elsewhere";
    row("missing folder") << "{root}/tools/record.sh" << none << "{root}/gone" << true << "{root}/launcher";
    row("no folder") << "{root}/tools/record.sh" << none << "" << true << "{root}/launcher";
    row("a file for a folder") << "{root}/tools/record.sh" << none << "{root}/tools/record.sh" << true
                               << "{root}/launcher";
    row("relative to the launcher") << "../tools/record.sh" << none << "{root}/elsewhere" << true << "{root}/elsewhere";
    row("found on PATH") << "record.sh" << none << "" << true << "{root}/launcher";
    row("found on PATH, starts with U+FEFF") << QStringLiteral("\uFEFFmarked.sh") << none << "" << true << "{root}/launcher";

    row("missing") << "{root}/tools/absent" << none << "{root}" << false << "{root}/tools/absent";
    row("missing, quoted, blanks") << "\"{root}/My Tools/absent app\"" << none << "{root}" << false
                                   << "{root}/My Tools/absent app";
    row("not executable") << "{root}/tools/readme.txt" << none << "{root}" << false << "{root}/tools/readme.txt";
    row("a folder") << "{root}/tools" << none << "{root}" << false << "{root}/tools";
    row("no known format") << "{root}/tools/garbage" << none << "{root}" << false << "{root}/tools/garbage";
    row("interpreter missing") << "{root}/tools/orphan.sh" << none << "{root}" << false << "{root}/tools/orphan.sh";
    row("not on PATH") << "lumbra-test-no-such-program" << none << "{root}" << false << "lumbra-test-no-such-program";
    // Said as what it is, not as "not found".
    row("on PATH, not executable") << "readme.txt" << none << "{root}" << false << "Permission denied";
    row("a Windows path") << "\"C:\\\\Tools\\\\a.exe\"" << none << "{root}" << false << "C:\\\\Tools\\\\a.exe";
    row("nothing") << "" << none << "{root}" << false << "\"\"";
    row("two quotes") << "\"\"" << none << "{root}" << false << "\"\"";
    row("an argument with a NUL") << "{root}/tools/record.sh" << QStringList{QStringLiteral("a\0b")} << "{root}"
                                  << false << "{root}/tools/record.sh";
    row("an argument too long for exec") << "{root}/tools/record.sh" << QStringList{QString(300000, u'x')} << "{root}"
                                         << false << "{root}/tools/record.sh";
}

void tst_PosixShell::startsDetached()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, workingDirectory);
    QFETCH(bool, starts);
    QFETCH(QString, folder);

    const ScopedVariable prefix("PATH", QFile::encodeName(path(QStringLiteral("tools"))) + ':' + qgetenv("PATH"));
    std::vector<std::u16string> list;
    for (const QString &argument : arguments)
        list.push_back(argument.toStdU16String());

    StderrCapture capture;
    QCOMPARE(shell.startDetached(expand(program).toStdU16String(), list, expand(workingDirectory).toStdU16String()),
             starts);
    // Not a child of ours: nothing to reap, nothing left as a zombie.
    QCOMPARE(ownChildren(), QStringList());
    const QString recordPath = path(QStringLiteral("record.txt"));
    if (!starts) {
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(expand(folder)), qPrintable(lines.first()));
        QVERIFY(!QFile::exists(recordPath));
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recordPath), 20000);
    QCOMPARE(capture.lines(), QStringList());
    const Record record = readRecord(recordPath);
    QCOMPARE(record.folder, expand(folder));
    QCOMPARE(record.arguments, arguments);
    QVERIFY(record.parent > 0);
    QVERIFY(record.parent != ::getpid());
    QVERIFY2(!record.descriptors.contains(kLeakedFd), "a descriptor of the launcher reached the program");
    QVERIFY(fileBytes(recordPath).contains("SigBlk:\t0000000000000000\nSigIgn:\t0000000000000000\n"));
    for (auto it = record.descriptors.cbegin(); it != record.descriptors.cend(); ++it) {
        // Beyond the standard three, only the one ls opened to list them.
        if (it.key() > 2)
            QVERIFY2(it.value().startsWith(QLatin1String("/proc/")), qPrintable(it.value()));
    }
}

void tst_PosixShell::opensWithTheDefaultHandler_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("handed"); // to the opener; none: refused, the target named
    QTest::addColumn<QString>("openers");

    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    const QString bin = QStringLiteral("bin");
    row("file") << "{root}/docs/letter.txt" << "" << "file://{root}/docs/letter.txt" << bin;
    row("quoted file with a blank") << "\"{root}/docs/my letter.txt\"" << "\"{root}/docs\""
                                    << "file://{root}/docs/my%20letter.txt" << bin;
    row("folder") << "{root}/docs" << "" << "file://{root}/docs" << bin;
    row("relative, in its folder") << "letter.txt" << "\"{root}/docs\"" << "file://{root}/docs/letter.txt" << bin;
    row("file address") << "file://{root}/docs/letter.txt" << "" << "file://{root}/docs/letter.txt" << bin;
    row("web address") << "https://example.org/a b?x=1" << "" << "https://example.org/a%20b?x=1" << bin;
    row("plain web address") << "\"http://example.org\"" << "" << "http://example.org" << bin;
    row("mail") << "mailto:someone@example.org" << "" << "mailto:someone@example.org" << bin;
    row("an application's own scheme") << "\"steam://rungameid/440\"" << "" << "steam://rungameid/440" << bin;
    row("a file server, blanks") << "smb://server/my share/a b.txt" << "" << "smb://server/my%20share/a%20b.txt"
                                 << bin;
    // One word of the opener's command line, whatever a shell would make of it.
    row("shell characters") << "ftp://x/a b;c$(touch {root}/ran)'d\"e`f|g" << ""
                            << "ftp://x/a%20b;c$(touch%20{root}/ran)'d%22e%60f%7Cg" << bin;

    row("missing file") << "{root}/docs/absent.txt" << "" << "" << bin;
    row("missing, quoted") << "\"{root}/docs/absent letter.txt\"" << "" << "" << bin;
    row("relative, not in its folder") << "absent.txt" << "{root}/docs" << "" << bin;
    row("missing file address") << "file://{root}/docs/absent.txt" << "" << "" << bin;
    row("not a valid address") << "http://[::1/x" << "" << "" << bin;
    row("nothing") << "" << "" << "" << bin;
    row("blanks") << "  " << "" << "" << bin;
    row("no opener installed") << "{root}/docs/letter.txt" << "" << "" << "empty-bin";
}

void tst_PosixShell::opensWithTheDefaultHandler()
{
    QFETCH(QString, target);
    QFETCH(QString, directory);
    QFETCH(QString, handed);
    QFETCH(QString, openers);

    // Only the stand-in opener, or none at all: not one this machine may have.
    const ScopedVariable openerPath(
        "PATH", QFile::encodeName(path(openers)) + (openers == QLatin1String("bin") ? ':' + qgetenv("PATH") : ""));
    StderrCapture capture;
    QCOMPARE(shell.shellOpen(expand(target).toStdU16String(), expand(directory).toStdU16String()), !handed.isEmpty());
    QCOMPARE(ownChildren(), QStringList());
    const QString record = path(QStringLiteral("opened.txt"));
    if (handed.isEmpty()) {
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(expand(target).remove(u'"')), qPrintable(lines.first()));
        QVERIFY(!QFile::exists(record));
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 20000);
    QCOMPARE(QString::fromUtf8(fileBytes(record)), expand(handed) + u'\n');
    QCOMPARE(capture.lines(), QStringList());
}

// What a desktop session does: Qt's own services under X11, in a child process on a
// private X server.
void tst_PosixShell::opensThroughTheDesktopSession()
{
    const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (server.isEmpty())
        QSKIP("Xvfb is not installed");
    QProcess xvfb;
    xvfb.start(server, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("640x480x24")});
    QVERIFY(xvfb.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(xvfb.canReadLine() || xvfb.state() != QProcess::Running, 20000);
    const QByteArray display = xvfb.readLine().trimmed();
    QVERIFY2(!display.isEmpty(), "Xvfb gave no display number");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), u':' + QString::fromLatin1(display));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("PATH"), path(QStringLiteral("bin")) + u':' + environment.value("PATH"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--shell-open"), QStringLiteral("\"%1\"").arg(path(QStringLiteral("docs/my letter.txt")))});
    const bool finished = child.waitForFinished(60000);
    xvfb.terminate();
    xvfb.waitForFinished(10000);
    QVERIFY(finished);
    QVERIFY2(child.exitCode() == 0, child.readAllStandardError().constData());

    const QString opened = path(QStringLiteral("opened.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(opened), 20000);
    QCOMPARE(QString::fromUtf8(fileBytes(opened)), expand(QStringLiteral("file://{root}/docs/my%20letter.txt\n")));
}

void tst_PosixShell::startsATaskManager_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("started");
    QTest::addColumn<QString>("named"); // by the refusal, when none starts

    const QString none;
    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("all of them") << kTaskManagers << none << "gnome-system-monitor" << none;
    row("no GNOME") << kTaskManagers.mid(1) << none << "plasma-systemmonitor" << none;
    row("Xfce and LXDE") << QStringList{"lxtask", "xfce4-taskmanager"} << none << "xfce4-taskmanager" << none;
    row("LXDE") << QStringList{"lxtask", "xterm"} << none << "lxtask" << none;
    row("MATE") << QStringList{"mate-system-monitor", "xterm"} << none << "mate-system-monitor" << none;
    row("a broken one is passed over") << QStringList{"gnome-system-monitor!", "lxtask"} << none << "lxtask" << none;
    row("a terminal") << QStringList{"xterm", "x-terminal-emulator"} << none << "x-terminal-emulator -e top" << none;
    row("only xterm") << QStringList{"xterm"} << none << "xterm -e top" << none;
    row("chosen, with quotes") << kTaskManagers << "'{root}/My Tools/tm' --tree \"two words\""
                               << "tm --tree two words" << none;
    row("chosen, with escapes") << kTaskManagers << "{root}/My\\ Tools/tm a\\\"b \"c \\\"d\\\" \\$e\" ''"
                                << "tm a\"b c \"d\" $e " << none;
    row("chosen, found on PATH") << kTaskManagers << "lxtask -x" << "lxtask -x" << none;
    row("chosen, but blank") << QStringList{"lxtask"} << "   " << "lxtask" << none;
    row("none installed") << QStringList() << none << none << "task manager";
    row("only broken ones") << QStringList{"lxtask!", "xterm!"} << none << none << "task manager";
    // What the user chose is what they want: no other program instead.
    row("chosen one missing") << kTaskManagers << "no-such-task-manager --x" << none << "no-such-task-manager";
    row("chosen, unbalanced quote") << kTaskManagers << "'" << none << "'";
}

void tst_PosixShell::startsATaskManager()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, chosen);
    QFETCH(QString, started);
    QFETCH(QString, named);

    const QString record = path(QStringLiteral("record.txt"));
    QVERIFY(writeFile(path(QStringLiteral("My Tools/tm")), taskManagerScript(record), true));
    TaskManagerSetup setup(path(QStringLiteral("managers")), installed, expand(chosen), record);
    StderrCapture capture;
    QCOMPARE(shell.startTaskManager(), named.isNull());
    QCOMPARE(ownChildren(), QStringList());
    if (!named.isNull()) {
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(named), qPrintable(lines.first()));
        QVERIFY(!QFile::exists(record));
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 20000);
    QCOMPARE(QString::fromUtf8(fileBytes(record)), started);
    QCOMPARE(capture.lines(), QStringList());
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--shell-open") == 0) {
        platform::PosixShell shell;
        return shell.shellOpen(QString::fromLocal8Bit(argv[2]).toStdU16String(), u"") ? 0 : 1;
    }
    tst_PosixShell test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_posixshell.moc"
