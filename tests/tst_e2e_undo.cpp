// The real launcher on a real X server, worked with the keyboard as a person would: Delete
// takes an added icon off in the store at once and Ctrl+Z puts it back exactly as it was, and
// a program that is not installed says so.

#include "TestPlatform.h"
#include "E2eSession.h"
#include "E2eStore.h"
#include "XServer.h"

#include "platform/Platform.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "i18n/LanguageChoice.h"
#include "widgets/NoticeBubble.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class tst_E2eUndo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void deleteTakesTheAddedIconOffTheStore();
    void ctrlZPutsItBackAsItWas();
    void missingProgramIsToldInABubble();

private:
    QPoint iconCentre(int position) const;
    void pressKeys(const QStringList &keys);
    QString storedListWhen(const QString &expected);
    QByteArray exportedTree();

    QTemporaryDir folder;
    std::unique_ptr<XServer> x;
    QProcess launcher;
    QString window;
    SettingStore layout;
};

void tst_E2eUndo::initTestCase()
{
    QVERIFY(folder.isValid());
    x = std::make_unique<XServer>();
    if (!x->isRunning())
        QSKIP("Xvfb is not installed");
    const QString programFolder = folder.filePath(QStringLiteral("app one"));
    QVERIFY(QDir().mkpath(programFolder));
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("papers"))));
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("bin"))));
    const QString record = folder.filePath(QStringLiteral("started.txt"));
    const QString opened = folder.filePath(QStringLiteral("opened.txt"));
    QVERIFY(E2eSession::writeFile(programFolder + QStringLiteral("/record.sh"),
                      QStringLiteral("#!/bin/sh\necho \"$PWD|$#\" >> '%1'\n").arg(record).toLocal8Bit(), true));
    QVERIFY(E2eSession::writeFile(folder.filePath(QStringLiteral("bin/xdg-open")),
                      QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(opened).toLocal8Bit(), true));
    const QByteArray reg = e2eStoreFile(programFolder + QStringLiteral("/record.sh"),
                                     folder.filePath(QStringLiteral("papers"))).toUtf8();
    QVERIFY(E2eSession::writeFile(folder.filePath(QStringLiteral("EN.reg")), reg));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), folder.filePath(QStringLiteral("registry.sqlite")));
    environment.insert(QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0409"));
    environment.insert(QStringLiteral("LUMBRA_RUNTIME_DIR"), folder.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("LUMBRA_POWER_LOG"), folder.filePath(QStringLiteral("power.log")));
    environment.insert(QStringLiteral("PATH"), folder.filePath(QStringLiteral("bin")) + u':'
                                                   + environment.value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("DISPLAY"), x->displayName());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    QProcess install;
    install.setProcessEnvironment(environment);
    install.setWorkingDirectory(folder.path());
    install.start(QStringLiteral(LUMBRA_EXECUTABLE), {QStringLiteral("--installRegister")});
    QVERIFY(install.waitForFinished(60000));
    QCOMPARE(install.exitCode(), 0);

    // The grid as the launcher computes it for this screen.
    TestPlatform platform;
    RegFileImporter(platform.registry()).importData(reg, QStringLiteral("EN.reg"));
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    loadAllSettings(layout);
    layout.computeIconGrid();

    launcher.setProcessEnvironment(environment);
    launcher.setWorkingDirectory(folder.path());
    launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    launcher.start(QStringLiteral(LUMBRA_EXECUTABLE), QStringList());
    window = x->waitForWindow(QStringLiteral("Lumbra"));
    QVERIFY2(!window.isEmpty(), "the launcher window did not appear");
    QCOMPARE(x->xdotool({QStringLiteral("getwindowgeometry"), window}).contains(QStringLiteral("1024x768")), true);
    x->xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
}

void tst_E2eUndo::cleanupTestCase()
{
    if (launcher.state() != QProcess::NotRunning) {
        launcher.terminate();
        if (!launcher.waitForFinished(5000))
            launcher.kill();
        launcher.waitForFinished();
    }
    x.reset();
}

QPoint tst_E2eUndo::iconCentre(int position) const
{
    const QPoint cell = layout.getIconPosition(position);
    return cell + QPoint(layout.iconLayout.ICON_WIDTH / 2, layout.tabsInfo.TABINFO_HEIGHT + layout.iconLayout.ICON_HEIGHT / 2);
}

void tst_E2eUndo::pressKeys(const QStringList &keys)
{
    for (const QString &key : keys) {
        QVERIFY(!x->xdotool({QStringLiteral("key"), key}).isNull());
        QTest::qWait(150);
    }
}




void tst_E2eUndo::deleteTakesTheAddedIconOffTheStore()
{
    // Move the pointer off the icons, so hovering does not move the highlight.
    x->xdotool({QStringLiteral("mousemove"), QStringLiteral("1000"), QStringLiteral("700")});
    pressKeys({QStringLiteral("Tab"), QStringLiteral("shift+Tab"), QStringLiteral("Right"),
               QStringLiteral("Right"), QStringLiteral("Delete")});
    QCOMPARE(storedListWhen(QStringLiteral("1.2")), QStringLiteral("1.2"));
}

// The first tab's list as the store holds it, read until it is `expected` (for a while).
QString tst_E2eUndo::storedListWhen(const QString &expected)
{
    TestPlatform platform;
    platform.reset();
    platform::SqliteRegistry store(folder.filePath(QStringLiteral("registry.sqlite")).toStdString());
    platform::useRegistry(&store);
    QDeadlineTimer deadline(10000);
    SettingStore stored;
    while (!deadline.hasExpired()) {
        loadAllSettings(stored);
        if (!stored.tabs.isEmpty() && stored.tabs.at(0).TAB_ITEM_ALL_ICONS == expected)
            break;
        QTest::qWait(100);
    }
    platform::useRegistry(nullptr);
    return stored.tabs.value(0).TAB_ITEM_ALL_ICONS;
}

QByteArray tst_E2eUndo::exportedTree()
{
    QProcess exporter;
    exporter.setProcessEnvironment(launcher.processEnvironment());
    exporter.setWorkingDirectory(folder.path());
    exporter.start(QStringLiteral(LUMBRA_EXECUTABLE), {QStringLiteral("--exportRegister"), QStringLiteral("--utf8")});
    if (!exporter.waitForFinished(60000) || exporter.exitCode() != 0)
        return QByteArray();
    return exporter.readAllStandardOutput();
}

// Ctrl+Z while the undo bar shows; then Delete and Ctrl+Z again leave the store exactly as
// it was.
void tst_E2eUndo::ctrlZPutsItBackAsItWas()
{
    pressKeys({QStringLiteral("ctrl+z")});
    QCOMPARE(storedListWhen(QStringLiteral("1.2.3")), QStringLiteral("1.2.3"));
    const QByteArray before = exportedTree();
    QVERIFY(before.contains("ICON_AP_EXE_LOCATION"));
    pressKeys({QStringLiteral("Delete")});
    QCOMPARE(storedListWhen(QStringLiteral("1.2")), QStringLiteral("1.2"));
    pressKeys({QStringLiteral("ctrl+z")});
    QCOMPARE(storedListWhen(QStringLiteral("1.2.3")), QStringLiteral("1.2.3"));
    QCOMPARE(exportedTree(), before);
}

// Return on a program that is not installed shows the bubble beside it.
void tst_E2eUndo::missingProgramIsToldInABubble()
{
    pressKeys({QStringLiteral("Tab"), QStringLiteral("Right"), QStringLiteral("Return")});
    const QString shot = folder.filePath(QStringLiteral("bubble.png"));
    QDeadlineTimer deadline(10000);
    int bubblePixels = 0;
    while (!deadline.hasExpired() && bubblePixels < 2000) {
        QTest::qWait(300);
        QVERIFY(x->screenshot(shot));
        const QImage screen(shot);
        const QRgb fill = NoticeBubble::fillColour().rgb();
        bubblePixels = 0;
        for (int row = 0; row < screen.height(); ++row) {
            for (int column = 0; column < screen.width(); ++column)
                bubblePixels += (screen.pixel(column, row) | 0xff000000) == fill ? 1 : 0;
        }
    }
    QVERIFY2(bubblePixels >= 2000, qPrintable(QString::number(bubblePixels)));
    QCOMPARE(launcher.state(), QProcess::Running);
}

QTEST_MAIN(tst_E2eUndo)
#include "tst_e2e_undo.moc"
