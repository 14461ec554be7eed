// The launcher as a screen reader finds it on the accessibility bus: the real program on the
// factory settings, read through AT-SPI (scripts/screen-reader-check.py) in a session with
// the accessibility bus running. Icons and tabs carry their names, the shown tab is
// selected, the first icon has the focus, and each arrow key moves the focus event to the
// next icon.

#include "E2eTest.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

class tst_E2eScreenReader : public E2eTest
{
    Q_OBJECT

public:
    tst_E2eScreenReader() { options.accessibilityBus = true; }

private slots:
    void readerHearsNamesAndFocus();

private:
    void prepare() override;
};

void tst_E2eScreenReader::prepare()
{
    if (QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import pyatspi")}) != 0)
        QSKIP("python3-pyatspi is not installed");
    QFile factory(QStringLiteral(LUMBRA_BUILD_DIR "/EN.reg"));
    QVERIFY(factory.open(QIODevice::ReadOnly));
    QVERIFY(session->install(factory.readAll()));
    session->setVariable(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    // The reader answers the first start's question itself; the keys then go to the window
    // under the pointer, the launcher's.
    session->start();
}

void tst_E2eScreenReader::readerHearsNamesAndFocus()
{
    QProcess check;
    check.setProcessEnvironment(session->environment());
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(LUMBRA_SOURCE_DIR "/scripts/screen-reader-check.py"),
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
