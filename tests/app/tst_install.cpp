// The installation as a package maker or an administrator makes it: staged into a temporary
// folder, and the installed program run from there on the settings it brings.

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_Install : public QObject
{
    Q_OBJECT

private slots:
    void installedProgramRunsFromItsFolder();
};

void tst_Install::installedProgramRunsFromItsFolder()
{
    QTemporaryDir stage;
    QVERIFY(stage.isValid());
    QProcess install;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), stage.path());
    install.setProcessEnvironment(environment);
    install.start(QStringLiteral(CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(LUMBRA_BUILD_DIR)});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());

    const QString programFolder = stage.path() + QStringLiteral(LUMBRA_INSTALL_PREFIX);
    const QString program = programFolder + QStringLiteral("/lumbra");
    QVERIFY(QFileInfo(program).isExecutable());
    for (const QString &name : {QStringLiteral("EN.reg"), QStringLiteral("DE.reg"), QStringLiteral("bgmusic.wav"),
                                QStringLiteral("Language/lumbrashutdownDE.qm"), QStringLiteral("lumbra-start"), QStringLiteral("liblumbrasound.so"),
                                QStringLiteral("liblumbraspeech.so")})
        QVERIFY2(QFileInfo::exists(programFolder + u'/' + name), qPrintable(name));
    QVERIFY(QFileInfo(stage.path() + QStringLiteral("/usr/local/bin/lumbra")).isSymLink());
    QVERIFY(QFileInfo::exists(stage.path() + QStringLiteral("/usr/share/xsessions/lumbra.desktop")));

    // The factory settings install from the program's folder and export again.
    QTemporaryDir config;
    QProcess run;
    QProcessEnvironment runEnvironment = QProcessEnvironment::systemEnvironment();
    runEnvironment.insert(QStringLiteral("LUMBRA_REGISTRY"), config.filePath(QStringLiteral("registry.sqlite")));
    runEnvironment.insert(QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0407"));
    run.setProcessEnvironment(runEnvironment);
    run.setWorkingDirectory(programFolder);
    run.start(program, {QStringLiteral("--installRegister")});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0);
    run.start(program, {QStringLiteral("--exportRegister"), QStringLiteral("--utf8")});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0);
    const QByteArray exported = run.readAllStandardOutput();
    QVERIFY(exported.contains("[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\DE\\System]"));
}

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"
