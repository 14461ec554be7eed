// The launcher as a screen reader finds it on the accessibility bus: the real program in a
// session of its own with the bus running, read through AT-SPI (scripts/screen-reader-check.sh)
// on a private X server. Icons and tabs carry their names, the shown tab is selected, the
// first icon has the focus, and each arrow key moves the focus event to the next icon.

#include "XServer.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

class tst_E2eScreenReader : public QObject
{
    Q_OBJECT

private slots:
    void readerHearsNamesAndFocus();
};

void tst_E2eScreenReader::readerHearsNamesAndFocus()
{
    for (const char *tool : {"/usr/libexec/at-spi-bus-launcher", "/usr/bin/dbus-run-session", "/usr/bin/python3"}) {
        if (!QFileInfo::exists(QString::fromLatin1(tool)))
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
    }
    if (QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import pyatspi")}) != 0)
        QSKIP("python3-pyatspi is not installed");
    XServer x;
    if (!x.isRunning())
        QSKIP("Xvfb is not installed");
    QProcess check;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), x.displayName());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("LUMBRA_BUILD_DIR"), QStringLiteral(LUMBRA_BUILD_DIR));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    check.setProcessEnvironment(environment);
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QStringLiteral("bash"), {QStringLiteral(LUMBRA_SOURCE_DIR "/scripts/screen-reader-check.sh"),
                                         QStringLiteral("Right"), QStringLiteral("Right")});
    QVERIFY(check.waitForFinished(120000));
    const QString output = QString::fromUtf8(check.readAll());
    QVERIFY2(check.exitCode() == 0, qPrintable(output));
    for (const QString &line : {QStringLiteral("page tab     'Internet'"), QStringLiteral("push button  'Web'"),
                                QStringLiteral("push button  'Hide Lumbra'"),
                                QStringLiteral("push button  'Screen keyboard'")})
        QVERIFY2(output.contains(line), qPrintable(output));
    QVERIFY2(output.contains(QRegularExpression(QStringLiteral("page tab +'Internet' +showing selected"))),
             qPrintable(output));
    QVERIFY2(output.contains(QRegularExpression(QStringLiteral("push button +'Web' +showing focused"))),
             qPrintable(output));
    // Each key is heard as the focus moving to the icon it highlights, in order.
    const qsizetype mail = output.indexOf(QLatin1String("focused push button 'E-mail'"));
    const qsizetype maps = output.indexOf(QLatin1String("focused push button 'Maps'"));
    QVERIFY2(mail >= 0 && maps > mail, qPrintable(output));
}

QTEST_MAIN(tst_E2eScreenReader)
#include "tst_e2e_screenreader.moc"
