// Which targets the POSIX lookup counts as there: the same names the shell backend would
// start or open, found on the disk without starting anything.

#include "TestFiles.h"

#include "platform/posix/PosixTargetLookup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_PosixTargetLookup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void programs_data();
    void programs();
    void documents_data();
    void documents();
    void startsNothing();

private:
    QString filled(QString text) const { return text.replace(QLatin1String("$DIR"), folder.path()); }

    QTemporaryDir folder;
    QByteArray savedPath;
    QString savedCurrent;
};

void tst_PosixTargetLookup::initTestCase()
{
    QVERIFY(folder.isValid());
    QDir root(folder.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    QVERIFY(root.mkpath(QStringLiteral("with blank")));
    QVERIFY(root.mkpath(QStringLiteral("a folder")));
    const QByteArray script = "#!/bin/sh\nexit 0\n";
    for (const QString &name : {QStringLiteral("tool"), QStringLiteral("with blank/run me"), QStringLiteral("bin/bare"),
                                QStringLiteral("a folder/here"), QStringLiteral("bin/\uFEFFmarked")})
        QVERIFY(writeFile(root.filePath(name), script, true));
    for (const QString &name : {QStringLiteral("letter.txt"), QStringLiteral("bin/plain"),
                                QStringLiteral("a folder/notes.txt"), QStringLiteral("\uFEFFmarked.txt")})
        QVERIFY(writeFile(root.filePath(name), script));
    QVERIFY(QFile::link(root.filePath(QStringLiteral("nowhere")), root.filePath(QStringLiteral("dangling"))));
    savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(root.filePath(QStringLiteral("bin")) + QStringLiteral("::/nonexistent")));
    savedCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root.filePath(QStringLiteral("a folder"))));
}

void tst_PosixTargetLookup::cleanupTestCase()
{
    qputenv("PATH", savedPath);
    QDir::setCurrent(savedCurrent);
}

void tst_PosixTargetLookup::programs_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("exists");

    QTest::newRow("a program by its path") << "$DIR/tool" << true;
    QTest::newRow("in quotes") << "\"$DIR/tool\"" << true;
    QTest::newRow("blanks, in quotes") << "\"$DIR/with blank/run me\"" << true;
    QTest::newRow("blanks, unquoted") << "$DIR/with blank/run me" << true;
    QTest::newRow("a quote that is not closed is part of the name") << "\"$DIR/tool" << false;
    QTest::newRow("no such file") << "$DIR/gone" << false;
    QTest::newRow("a folder") << "$DIR/with blank" << false;
    QTest::newRow("a file that may not be run") << "$DIR/letter.txt" << false;
    QTest::newRow("a link to nothing") << "$DIR/dangling" << false;
    QTest::newRow("a bare name on PATH") << "bare" << true;
    QTest::newRow("a bare name in quotes") << "\"bare\"" << true;
    QTest::newRow("a bare name not on PATH") << "nosuchprogram" << false;
    QTest::newRow("a bare name that starts with U+FEFF") << QStringLiteral("\uFEFFmarked") << true;
    QTest::newRow("a bare name on PATH that may not be run") << "plain" << false;
    QTest::newRow("an empty PATH entry is the current folder") << "here" << true;
    QTest::newRow("relative with a slash, from the current folder") << "../tool" << true;
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("two quotes") << "\"\"" << false;
    QTest::newRow("a Windows path") << "\"C:\\\\Program Files\\\\Tool\\\\tool.exe\"" << false;
    QTest::newRow("a NUL cuts no name short") << QStringLiteral("$DIR/tool") + QChar(u'\0') + QStringLiteral("x")
                                              << false;
}

void tst_PosixTargetLookup::programs()
{
    QFETCH(QString, program);
    QFETCH(bool, exists);
    platform::PosixTargetLookup lookup;
    QCOMPARE(lookup.programExists(filled(program).toStdU16String()), exists);
}

void tst_PosixTargetLookup::documents_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<bool>("exists");

    QTest::newRow("a document") << "$DIR/letter.txt" << "" << true;
    QTest::newRow("in quotes") << "\"$DIR/letter.txt\"" << "" << true;
    QTest::newRow("a folder") << "$DIR/with blank" << "" << true;
    QTest::newRow("a document that is gone") << "$DIR/gone.txt" << "" << false;
    QTest::newRow("relative, in its folder") << "notes.txt" << "\"$DIR/a folder/\"" << true;
    QTest::newRow("relative, folder unquoted") << "letter.txt" << "$DIR" << true;
    QTest::newRow("relative, folder quoted") << "letter.txt" << "\"$DIR\"" << true;
    QTest::newRow("relative, quoted folder with a blank") << "run me" << "\"$DIR/with blank\"" << true;
    QTest::newRow("relative, starts with U+FEFF") << QStringLiteral("\uFEFFmarked.txt") << "$DIR" << true;
    QTest::newRow("relative, not in its folder") << "letter.txt" << "$DIR/bin" << false;
    QTest::newRow("relative, no folder: the current one") << "notes.txt" << "" << true;
    QTest::newRow("a web address") << "https://example.org/" << "" << true;
    QTest::newRow("a mail address") << "mailto:someone@example.org" << "" << true;
    QTest::newRow("a file address") << "file://$DIR/letter.txt" << "" << true;
    QTest::newRow("a file address to nothing") << "file://$DIR/gone.txt" << "" << false;
    QTest::newRow("a link to nothing") << "$DIR/dangling" << "" << false;
    QTest::newRow("nothing") << "" << "" << false;
    QTest::newRow("blanks only") << "   " << "" << false;
    // Any scheme is an address, not looked up; nothing here names a file that exists.
    QTest::newRow("ftp") << "ftp://files.example.org/a.iso" << "$DIR" << true;
    QTest::newRow("an application's own, quoted") << "\"steam://rungameid/440\"" << "$DIR" << true;
    QTest::newRow("+ - . in the scheme") << "web+app.v-2:open" << "$DIR" << true;
    QTest::newRow("a drive") << "C:\\nowhere\\a.txt" << "$DIR" << false;
    QTest::newRow("a drive's own folder") << "c:nowhere.txt" << "$DIR" << false;
    QTest::newRow("a POSIX path with a colon") << "/nowhere/a:b" << "$DIR" << false;
    QTest::newRow("a colon after a slash") << "nowhere/a:b" << "$DIR" << false;
    QTest::newRow("a digit first") << "1x://nowhere" << "$DIR" << false;
    QTest::newRow("a blank in the scheme") << "no where:x" << "$DIR" << false;
    QTest::newRow("nothing after the colon") << "steam:" << "$DIR" << false;
}

void tst_PosixTargetLookup::documents()
{
    QFETCH(QString, file);
    QFETCH(QString, directory);
    QFETCH(bool, exists);
    platform::PosixTargetLookup lookup;
    QCOMPARE(lookup.documentExists(filled(file).toStdU16String(), filled(directory).toStdU16String()), exists);
}

// A lookup of a script that would leave a mark when run leaves none.
void tst_PosixTargetLookup::startsNothing()
{
    const QString mark = folder.filePath(QStringLiteral("ran"));
    const QString script = folder.filePath(QStringLiteral("bin/marker"));
    QVERIFY(writeFile(script, QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(mark).toLocal8Bit(), true));
    platform::PosixTargetLookup lookup;
    QVERIFY(lookup.programExists(u"marker"));
    QVERIFY(lookup.documentExists(script.toStdU16String(), u""));
    QVERIFY(!QFile::exists(mark));
}

QTEST_MAIN(tst_PosixTargetLookup)
#include "tst_posixtargetlookup.moc"
