// The start of the program as its Parts order it, with real processes on a private X server:
// the first start's question, a second start handing over to the running launcher, and
// "--close" ending it.

#include "E2eStore.h"
#include "TestPlatform.h"
#include "XServer.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class tst_E2eStartUp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void choosingTheDesktopEndsWithZeroAndAsksAgain();
    void choosingTheLauncherStoresTheAnswer();
    void secondStartHandsOverAndEnds();
    void closeSwitchEndsTheLauncher();

private:
    QProcess *start(const QStringList &arguments = {});
    int storedFirstRun();
    QRect geometryOf(const QString &window) const;

    QTemporaryDir folder;
    std::unique_ptr<XServer> x;
    QProcessEnvironment environment;
    QProcess *launcher = nullptr;
};

void tst_E2eStartUp::initTestCase()
{
    x = std::make_unique<XServer>();
    if (!x->isRunning())
        QSKIP("Xvfb is not installed");
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("papers"))));
    QFile reg(folder.filePath(QStringLiteral("EN.reg")));
    QVERIFY(reg.open(QIODevice::WriteOnly));
    reg.write(e2eStoreFile(QStringLiteral("/bin/true"), folder.filePath(QStringLiteral("papers")), 1).toUtf8());
    reg.close();
    environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), folder.filePath(QStringLiteral("registry.sqlite")));
    environment.insert(QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0409"));
    environment.insert(QStringLiteral("LUMBRA_RUNTIME_DIR"), folder.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("LUMBRA_POWER_LOG"), folder.filePath(QStringLiteral("power.log")));
    environment.insert(QStringLiteral("DISPLAY"), x->displayName());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess *install = start({QStringLiteral("--installRegister")});
    QVERIFY(install->waitForFinished(60000));
    QCOMPARE(install->exitCode(), 0);
    QCOMPARE(storedFirstRun(), 1);
}

void tst_E2eStartUp::cleanupTestCase()
{
    for (QProcess *process : findChildren<QProcess *>()) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
    }
    x.reset();
}

QProcess *tst_E2eStartUp::start(const QStringList &arguments)
{
    auto *process = new QProcess(this);
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(folder.path());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(LUMBRA_EXECUTABLE), arguments);
    return process;
}

int tst_E2eStartUp::storedFirstRun()
{
    platform::SqliteRegistry store(folder.filePath(QStringLiteral("registry.sqlite")).toStdString());
    platform::useRegistry(&store);
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    SettingStore stored;
    loadAllSettings(stored);
    platform::useRegistry(nullptr);
    return stored.mySystem.IS_FIRST_RUN;
}

QRect tst_E2eStartUp::geometryOf(const QString &window) const
{
    const QString shell = x->xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    auto number = [&](const QString &name) {
        const QRegularExpressionMatch match = QRegularExpression(u'^' + name + QStringLiteral("=(\\d+)$"),
                                                                 QRegularExpression::MultilineOption)
                                                  .match(shell);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    return QRect(number(QStringLiteral("X")), number(QStringLiteral("Y")), number(QStringLiteral("WIDTH")),
                 number(QStringLiteral("HEIGHT")));
}

void tst_E2eStartUp::choosingTheDesktopEndsWithZeroAndAsksAgain()
{
    QProcess *first = start();
    const QString question = x->waitForWindow(QStringLiteral("Lumbra"));
    QVERIFY(!question.isEmpty());
    const QRect dialog = geometryOf(question);
    QCOMPARE(dialog.size(), QSize(404, 153));
    QVERIFY(!x->xdotool({QStringLiteral("mousemove"), QString::number(dialog.x() + 222 + 66),
                         QString::number(dialog.y() + 24 + 38), QStringLiteral("click"), QStringLiteral("1")})
                 .isNull());
    QVERIFY(first->waitForFinished(15000));
    QCOMPARE(first->exitCode(), 0);
    QCOMPARE(storedFirstRun(), 1);
}

void tst_E2eStartUp::choosingTheLauncherStoresTheAnswer()
{
    launcher = start();
    const QString question = x->waitForWindow(QStringLiteral("Lumbra"));
    QVERIFY(!question.isEmpty());
    const QRect dialog = geometryOf(question);
    QVERIFY(!x->xdotool({QStringLiteral("mousemove"), QString::number(dialog.x() + 50 + 66),
                         QString::number(dialog.y() + 24 + 38), QStringLiteral("click"), QStringLiteral("1")})
                 .isNull());
    QTRY_VERIFY_WITH_TIMEOUT(geometryOf(x->waitForWindow(QStringLiteral("Lumbra"))) == QRect(0, 0, 1024, 768), 20000);
    QCOMPARE(storedFirstRun(), 0);
    QVERIFY(launcher->state() != QProcess::NotRunning);
}

void tst_E2eStartUp::secondStartHandsOverAndEnds()
{
    QVERIFY(launcher);
    QProcess *second = start();
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(launcher->state() != QProcess::NotRunning);
}

void tst_E2eStartUp::closeSwitchEndsTheLauncher()
{
    QVERIFY(launcher);
    QProcess *close = start({QStringLiteral("--close")});
    QVERIFY(close->waitForFinished(20000));
    QCOMPARE(close->exitCode(), 0);
    QVERIFY(launcher->waitForFinished(20000));
    QCOMPARE(launcher->exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher->exitCode(), 1);
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("power.log"))));
}

QTEST_MAIN(tst_E2eStartUp)
#include "tst_e2e_startup.moc"
