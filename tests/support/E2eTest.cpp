#include "E2eTest.h"

#include "TestFiles.h"
#include "TestPlatform.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace {

// The tree the sessions install, that of LUMBRA_LANGID 0x0409.
SettingStore loadedEnglishTree()
{
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    SettingStore settings;
    loadAllSettings(settings);
    return settings;
}

} // namespace

void E2eTest::initTestCase()
{
    session = std::make_unique<E2eSession>(options);
    if (!session->failure().isEmpty())
        QSKIP(qPrintable(session->failure()));
    prepare();
}

void E2eTest::cleanup()
{
    session->keepScreenshotOfFailure();
    if (QTest::currentTestFailed() && launchersStarted > 0)
        qWarning("The launcher's standard error ends:\n%s", launcherErrors().right(4000).constData());
}

void E2eTest::cleanupTestCase()
{
    session.reset();
}

void E2eTest::install(const QString &reg)
{
    installed = reg;
    QVERIFY2(session->install(reg.toUtf8()), "lumbra --installRegister failed");
}

void E2eTest::startLauncher(const QStringList &arguments)
{
    ++launchersStarted;
    launcher = session->start(arguments, path(QStringLiteral("launcher-%1.stderr").arg(launchersStarted)));
    // Under the sanitizers, on a busy machine, a start may take a good while.
    window = session->waitForLauncher(60000);
    QVERIFY2(!window.isEmpty(), "the launcher window did not appear");
    focus(window);
    const QPoint corner = session->geometryOf(window).bottomRight() - QPoint(4, 4);
    QVERIFY(!session->x().xdotool({QStringLiteral("mousemove"), QString::number(corner.x()), QString::number(corner.y())}).isNull());
}

void E2eTest::closeLauncher()
{
    QVERIFY2(launcher->state() == QProcess::Running, "the launcher ended before it was told to");
    QProcess *close = session->start({QStringLiteral("--close")});
    QVERIFY(close->waitForFinished(60000));
    QCOMPARE(close->exitStatus(), QProcess::NormalExit);
    QCOMPARE(close->exitCode(), 0);
    QVERIFY(launcher->waitForFinished(60000));
    QCOMPARE(launcher->exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher->exitCode(), 1);
    const QByteArray errors = launcherErrors();
    for (const char *mark : {"runtime error", "AddressSanitizer", "LeakSanitizer"}) {
        const qsizetype at = errors.indexOf(mark);
        QVERIFY2(at < 0, errors.mid(qMax<qsizetype>(0, at - 200), 3000).constData());
    }
}

QByteArray E2eTest::launcherErrors() const
{
    QFile file(path(QStringLiteral("launcher-%1.stderr").arg(launchersStarted)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void E2eTest::setPin(const QByteArray &pin)
{
    QProcess *setting = session->start({QStringLiteral("--setPin")});
    setting->write(pin + '\n' + pin + '\n');
    setting->closeWriteChannel();
    QVERIFY(setting->waitForFinished(60000));
    QCOMPARE(setting->exitCode(), 0);
}

void E2eTest::pressKeys(const QStringList &keys)
{
    if (!keys.isEmpty())
        QVERIFY(!session->x().xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30")} + keys).isNull());
}

void E2eTest::click(const QPoint &point)
{
    QVERIFY(!session->x()
                 .xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
                           QStringLiteral("click"), QStringLiteral("1")})
                 .isNull());
}

void E2eTest::focus(const QString &window)
{
    QVERIFY(!session->x().xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}).isNull());
}

QPoint E2eTest::iconCentre(int position, const QSize &screen) const
{
    TestPlatform platform;
    platform.screen.width = screen.width();
    platform.screen.height = screen.height();
    RegFileImporter(platform.registry()).importData(installed.toUtf8(), QStringLiteral("EN.reg"));
    SettingStore layout = loadedEnglishTree();
    layout.computeIconGrid();
    return layout.getIconPosition(position)
        + QPoint(layout.iconLayout.ICON_WIDTH / 2, layout.tabsInfo.TABINFO_HEIGHT + layout.iconLayout.ICON_HEIGHT / 2);
}

QString E2eTest::writeRecorder(const QString &program, const QString &record, const QString &line)
{
    const QString script = path(program);
    QDir().mkpath(QFileInfo(script).path());
    const QString text = QStringLiteral("#!/bin/sh\necho \"%1\" >> '%2'\n").arg(line, path(record));
    return writeFile(script, text.toLocal8Bit(), true) ? script : QString();
}

QString E2eTest::takeRecord(const QString &record)
{
    const QString text = E2eSession::readWhenThere(path(record));
    QFile::remove(path(record));
    return text;
}

SettingStore E2eTest::stored() const
{
    TestPlatform platform;
    platform::SqliteRegistry store(session->storePath().toStdString());
    platform::useRegistry(&store);
    const SettingStore settings = loadedEnglishTree();
    platform::useRegistry(nullptr);
    return settings;
}

QString E2eTest::storedIcons(int tab) const
{
    return stored().tabs.value(tab).TAB_ITEM_ALL_ICONS;
}

QByteArray E2eTest::exportedTree()
{
    QProcess *exporter = session->start({QStringLiteral("--exportRegister"), QStringLiteral("--utf8")});
    if (!exporter->waitForFinished(60000) || exporter->exitStatus() != QProcess::NormalExit || exporter->exitCode() != 0)
        return QByteArray();
    return exporter->readAllStandardOutput();
}
