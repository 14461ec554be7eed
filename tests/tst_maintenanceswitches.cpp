// The registry switches as an installer and a user run them: the real executable, a store
// file of its own, and the registry file in the folder it is started in.

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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
    void exportOfAnEmptyStoreFails();

private:
    Run run(const QStringList &arguments, const QString &langId = QStringLiteral("0x0409"));
    bool launcherStarts(const QStringList &arguments);
    QString storePath() const { return folder->filePath(QStringLiteral("config/registry.sqlite")); }

    std::unique_ptr<QTemporaryDir> folder;
};

void tst_MaintenanceSwitches::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
}

Run tst_MaintenanceSwitches::run(const QStringList &arguments, const QString &langId)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), storePath());
    environment.insert(QStringLiteral("LUMBRA_LANGID"), langId);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder->path());
    process.start(QStringLiteral(LUMBRA_EXECUTABLE), arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

void tst_MaintenanceSwitches::installExportAndReinstallChangeNothing()
{
    QVERIFY(QFile::copy(QStringLiteral(LUMBRA_BUILD_DIR "/EN.reg"), folder->filePath("EN.reg")));
    const Run install = run({QStringLiteral("--installRegister")});
    QCOMPARE(install.exitCode, 0);
    QVERIFY2(install.err.isEmpty(), qPrintable(install.err));
    const QByteArray installed = fileHash(storePath());

    const Run exported = run({QStringLiteral("--exportRegister")});
    QCOMPARE(exported.exitCode, 0);
    QVERIFY(exported.out.startsWith("Windows Registry Editor Version 5.00"));
    QVERIFY(exported.out.contains("[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\System]"));
    QVERIFY(exported.out.contains("\"LUMBRA_WINDOWTITLE\"="));

    QVERIFY(writeFile(folder->filePath("EN.reg"), exported.out));
    const Run reinstall = run({QStringLiteral("--installRegister")});
    QCOMPARE(reinstall.exitCode, 0);
    QCOMPARE(fileHash(storePath()), installed);
    QCOMPARE(run({QStringLiteral("--exportRegister")}).out, exported.out);
}

void tst_MaintenanceSwitches::languageNamesTheFile()
{
    QVERIFY(writeFile(folder->filePath("EN.reg"), kSmallRegFile));
    QByteArray german = kSmallRegFile;
    german.replace("\\EN\\", "\\DE\\");
    QVERIFY(writeFile(folder->filePath("DE.reg"), german));

    QCOMPARE(run({QStringLiteral("--installRegister")}, QStringLiteral("0x0C07")).exitCode, 0);
    const Run german_export = run({QStringLiteral("--exportRegister")}, QStringLiteral("0x0C07"));
    QVERIFY(german_export.out.contains("\\Lumbra\\DE\\System]"));
    QCOMPARE(run({QStringLiteral("--exportRegister")}).exitCode, 2);
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
}

void tst_MaintenanceSwitches::badFilesChangeNothingAndFail()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QVERIFY(writeFile(folder->filePath("EN.reg"), kSmallRegFile));
    QCOMPARE(run({QStringLiteral("--installRegister")}).exitCode, 0);
    const QByteArray before = fileHash(storePath());

    QVERIFY(QFile::remove(folder->filePath("EN.reg")));
    if (present)
        QVERIFY(writeFile(folder->filePath("EN.reg"), content));
    const Run install = run({QStringLiteral("--installRegister")});
    QCOMPARE(install.exitCode, 2);
    QVERIFY2(install.err.contains(QStringLiteral("EN.reg")), qPrintable(install.err));
    QCOMPARE(install.err.count(u'\n'), 1);
    QCOMPARE(fileHash(storePath()), before);
}

// Anything else starts the launcher, which imports nothing.
void tst_MaintenanceSwitches::switchCountsOnlyAsLastArgument()
{
    QVERIFY(writeFile(folder->filePath("EN.reg"), kSmallRegFile));
    QVERIFY(launcherStarts({QStringLiteral("--installRegister"), QStringLiteral("--other")}));
    QCOMPARE(run({QStringLiteral("--exportRegister")}).exitCode, 2);
    QVERIFY(launcherStarts({QStringLiteral("--INSTALLREGISTER")}));
    QCOMPARE(run({QStringLiteral("--exportRegister")}).exitCode, 2);
}

bool tst_MaintenanceSwitches::launcherStarts(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), storePath());
    environment.insert(QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0409"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder->path());
    process.start(QStringLiteral(LUMBRA_EXECUTABLE), arguments);
    process.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("tabCount") && process.waitForReadyRead(30000))
        err += process.readAllStandardError();
    process.kill();
    process.waitForFinished();
    return err.contains("tabCount");
}

void tst_MaintenanceSwitches::exportOfAnEmptyStoreFails()
{
    const Run exported = run({QStringLiteral("--exportRegister")});
    QCOMPARE(exported.exitCode, 2);
    QVERIFY(!exported.err.isEmpty());
    QVERIFY(exported.out.isEmpty());
}

QTEST_GUILESS_MAIN(tst_MaintenanceSwitches)
#include "tst_maintenanceswitches.moc"
