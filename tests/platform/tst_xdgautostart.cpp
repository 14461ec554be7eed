// The desktop's autostart entry, written and removed under a temporary configuration folder,
// for an executable whose path a fake system reports.

#include "FakeSystem.h"
#include "ScopedVariable.h"
#include "TestFiles.h"
#include "TestPlatform.h"

#include "platform/posix/XdgAutostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QByteArray entryFor(const QByteArray &exec)
{
    return "[Desktop Entry]\nType=Application\nName=Lumbra\nExec=" + exec + "\n";
}

} // namespace

class tst_XdgAutostart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void execLineQuotesThePath_data();
    void execLineQuotesThePath();
    void switchedOnAndOff_data();
    void switchedOnAndOff();
    void failuresAreReported_data();
    void failuresAreReported();

private:
    QString path(const QString &relative) const { return root->filePath(relative); }
    QString entry() const { return path(QStringLiteral("config/autostart/lumbra.desktop")); }

    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<ScopedVariable> configHome;
    std::unique_ptr<ScopedVariable> home;
    FakeSystem system;
};

void tst_XdgAutostart::init()
{
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(root->isValid());
    configHome = std::make_unique<ScopedVariable>("XDG_CONFIG_HOME", QFile::encodeName(path(QStringLiteral("config"))));
    home = std::make_unique<ScopedVariable>("HOME", QFile::encodeName(path(QStringLiteral("home"))));
    system.program = QStringLiteral("/opt/lumbra/lumbra");
}

void tst_XdgAutostart::cleanup()
{
    home.reset();
    configHome.reset();
    root.reset();
}

void tst_XdgAutostart::execLineQuotesThePath_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");

    QTest::newRow("plain") << "/opt/lumbra/lumbra" << "/opt/lumbra/lumbra";
    QTest::newRow("blank") << "/opt/My Apps/lumbra" << "\"/opt/My Apps/lumbra\"";
    QTest::newRow("double quote") << "/opt/a\"b/lumbra" << "\"/opt/a\\\\\"b/lumbra\"";
    QTest::newRow("single quote") << "/opt/it's/lumbra" << "\"/opt/it's/lumbra\"";
    QTest::newRow("backslash") << "/opt/a\\b/lumbra" << "\"/opt/a\\\\\\\\b/lumbra\"";
    QTest::newRow("dollar and backtick") << "/opt/$HOME/`x`" << "\"/opt/\\\\$HOME/\\\\`x\\\\`\"";
    QTest::newRow("percent") << "/opt/100%/lumbra" << "/opt/100%%/lumbra";
    QTest::newRow("percent and blank") << "/opt/100 %f/lumbra" << "\"/opt/100 %%f/lumbra\"";
    QTest::newRow("line break") << "/opt/a\nb/lumbra" << "\"/opt/a\\nb/lumbra\"";
    QTest::newRow("tab") << "/opt/a\tb/lumbra" << "\"/opt/a\\tb/lumbra\"";
    QTest::newRow("shell characters") << "/opt/a;b|c&d/lumbra" << "\"/opt/a;b|c&d/lumbra\"";
    QTest::newRow("beyond ASCII") << "/opt/Lümbra/lumbra" << "/opt/Lümbra/lumbra";
}

void tst_XdgAutostart::execLineQuotesThePath()
{
    QFETCH(QString, program);
    QFETCH(QString, exec);
    QCOMPARE(platform::XdgAutostart::execValue(program), exec);
}

void tst_XdgAutostart::switchedOnAndOff_data()
{
    QTest::addColumn<QString>("configHome");
    QTest::addColumn<QString>("expected");

    QTest::newRow("XDG_CONFIG_HOME") << "{root}/config" << "{root}/config/autostart/lumbra.desktop";
    QTest::newRow("relative: ignored") << "config" << "{root}/home/.config/autostart/lumbra.desktop";
    QTest::newRow("empty") << "" << "{root}/home/.config/autostart/lumbra.desktop";
}

void tst_XdgAutostart::switchedOnAndOff()
{
    QFETCH(QString, configHome);
    QFETCH(QString, expected);
    expected.replace(QLatin1String("{root}"), root->path());
    const ScopedVariable chosen("XDG_CONFIG_HOME",
                                QFile::encodeName(configHome.replace(QLatin1String("{root}"), root->path())));
    platform::XdgAutostart autostart;
    system.program = QStringLiteral("/opt/My Apps/lumbra");
    StderrCapture capture;
    QVERIFY(autostart.setStartAtLogin(true));
    QCOMPARE(fileBytes(expected), entryFor("\"/opt/My Apps/lumbra\""));
    // Switching on again replaces the entry whole, and leaves nothing else behind.
    system.program = QStringLiteral("/opt/lumbra/lumbra");
    QVERIFY(autostart.setStartAtLogin(true));
    QCOMPARE(fileBytes(expected), entryFor("/opt/lumbra/lumbra"));
    QCOMPARE(QFileInfo(expected).dir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"lumbra.desktop"});
    QVERIFY(autostart.setStartAtLogin(false));
    QVERIFY(!QFile::exists(expected));
    // Off when it is off already is no failure.
    QVERIFY(autostart.setStartAtLogin(false));
    QCOMPARE(capture.lines(), QStringList());
}

void tst_XdgAutostart::failuresAreReported_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("on");

    QTest::newRow("on: autostart is a file") << "autostart file" << true;
    QTest::newRow("on: the entry is a folder") << "entry folder" << true;
    QTest::newRow("on: the program is not known") << "no program" << true;
    QTest::newRow("on: no home at all") << "no home" << true;
    QTest::newRow("off: the entry is a folder") << "entry folder" << false;
    QTest::newRow("off: no home at all") << "no home" << false;
}

void tst_XdgAutostart::failuresAreReported()
{
    QFETCH(QString, setup);
    QFETCH(bool, on);

    QVERIFY(QDir().mkpath(path(QStringLiteral("config"))));
    std::unique_ptr<ScopedVariable> noConfig;
    std::unique_ptr<ScopedVariable> noHome;
    if (setup == QLatin1String("autostart file")) {
        QVERIFY(writeFile(path(QStringLiteral("config/autostart")), QByteArray()));
    } else if (setup == QLatin1String("entry folder")) {
        QVERIFY(QDir().mkpath(entry() + QStringLiteral("/inside")));
    } else if (setup == QLatin1String("no program")) {
        system.program.clear();
    } else if (setup == QLatin1String("no home")) {
        noConfig = std::make_unique<ScopedVariable>("XDG_CONFIG_HOME", QByteArray(""));
        noHome = std::make_unique<ScopedVariable>("HOME", QByteArray("relative"));
    }
    platform::XdgAutostart autostart;
    StderrCapture capture;
    const bool done = autostart.setStartAtLogin(on);
    const QStringList lines = capture.lines();
    QVERIFY(!done);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(QLatin1String("lumbra.desktop")), qPrintable(lines.first()));
}

QTEST_GUILESS_MAIN(tst_XdgAutostart)
#include "tst_xdgautostart.moc"
