// What the GIO backend finds for roles and menu categories on a desktop made up in a temporary
// folder (entries, icons, a mimeapps.list in its own HOME). GIO reads its folders once per
// process, so one desktop serves every row.

#include "TestFiles.h"

#include "platform/posix/GioProgramRoles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class tst_GioProgramRoles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void answers_data();
    void answers();

private:
    QString path(const QString &name) const { return folder.filePath(name); }
    bool entry(const char *id, const char *name, const QString &exec, const QByteArray &more = {})
    {
        return writeFile(path(QStringLiteral("share/applications/") + id),
                     "[Desktop Entry]\nType=Application\nName=" + QByteArray(name) + "\nExec=" + exec.toUtf8() + '\n' + more);
    }

    QTemporaryDir folder;
};

void tst_GioProgramRoles::initTestCase()
{
    for (const char *name : {"bin", "share/applications", "share/icons/hicolor/48x48/apps", "home/.config"})
        QVERIFY(QDir(folder.path()).mkpath(QLatin1String(name)));
    const QString tool = path(QStringLiteral("bin/tool"));
    QVERIFY(writeFile(tool, "#!/bin/sh\n", true) && writeFile(path(QStringLiteral("share/icons/hicolor/48x48/apps/mines.png")), "png"));
    // Before GIO's first use, which keeps the folders it finds.
    qputenv("HOME", QFile::encodeName(path(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(QStringLiteral("home/.config"))));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(path(QStringLiteral("share"))));
    QVERIFY(writeFile(path(QStringLiteral("home/.config/mimeapps.list")),
                  "[Default Applications]\nx-scheme-handler/http=browser.desktop\ntext/plain=gone.desktop\n"
                  "inode/directory=hostile.desktop\nx-scheme-handler/mailto=thunderbird.desktop\n"));
    QVERIFY(entry("browser.desktop", "Browser", tool + " %u") && entry("firefox-esr.desktop", "Listed", tool));
    QVERIFY(entry("mousepad.desktop", "Editor", tool) && entry("pcmanfm.desktop", "Files", tool));
    QVERIFY(entry("hostile.desktop", "Hostile", tool + "; touch " + path("pwned")) && entry("thunar.desktop", "Empty", ""));
    QVERIFY(entry("thunderbird.desktop", "Hidden", tool, "Hidden=true\n") && entry("xfce4-terminal.desktop", "T", tool));
    QVERIFY(entry("mines.desktop", "Mines", tool, "Categories=Game;LogicGame;\nIcon=mines\n"));
    QVERIFY(entry("chess.desktop", "Chess", tool, "Categories=BoardGame;Game\nIcon=/no/such.png\n"));
    QVERIFY(entry("hidden-game.desktop", "A hidden", tool, "Categories=Game;\nNoDisplay=true\n"));
    QVERIFY(entry("gone-game.desktop", "A gone", "/no/such/game", "Categories=Game;\n"));
    QVERIFY(entry("empty-game.desktop", "A empty", "", "Categories=Game;\n") && entry("o.desktop", "A", tool, "Categories=Office;\n"));
    for (int n = 0; n < 2000; ++n)
        QVERIFY(entry(qPrintable(QStringLiteral("arcade%1.desktop").arg(n)), qPrintable(QStringLiteral("Arcade %1").arg(n, 4, 10, QChar(u'0'))),
                      tool, "Categories=ArcadeGame;\n"));
}

void tst_GioProgramRoles::answers_data()
{
    QTest::addColumn<QString>("asked");  // a role, or a category and a limit
    QTest::addColumn<QString>("answer"); // the entry's file name, or how many and the first name
    QTest::newRow("the desktop's default") << "web-browser" << "browser.desktop";
    QTest::newRow("a default that is gone: the list") << "text-editor" << "mousepad.desktop";
    QTest::newRow("a default with shell syntax, an empty Exec: passed by") << "files" << "pcmanfm.desktop";
    QTest::newRow("a hidden default and nothing else") << "e-mail" << "";
    QTest::newRow("no content type: the list") << "terminal" << "xfce4-terminal.desktop";
    QTest::newRow("unknown") << "coffee-maker" << "";
    QTest::newRow("10,000 characters") << QString(10000, u'w') << "";
    QTest::newRow("with a NUL") << QStringLiteral("web-browser") + QChar(u'\0') << "";
    QTest::newRow("games shown and startable, by name") << "Game 10" << "2 Chess";
    QTest::newRow("2,000 of them") << "ArcadeGame 1000" << "1000 Arcade 0000";
    QTest::newRow("a list is no category") << "Game;Office 10" << "0";
}

void tst_GioProgramRoles::answers()
{
    QFETCH(QString, asked);
    QFETCH(QString, answer);
    platform::GioProgramRoles roles;
    QString got;
    if (asked.contains(u' ')) {
        const std::vector<platform::InstalledProgram> found = roles.programsOfCategory(
            asked.section(u' ', 0, 0).toStdU16String(), u"", asked.section(u' ', 1).toUInt());
        got = QString::number(found.size()) + (found.empty() ? QString() : " " + QString::fromStdU16String(found[0].name));
        if (found.size() == 2)
            QCOMPARE(QString::fromStdU16String(found[0].picture + u'|' + found[1].picture + u'|' + found[1].program),
                     "|" + path(QStringLiteral("share/icons/hicolor/48x48/apps/mines.png")) + "|tool");
    } else {
        const platform::RoleProgram found = roles.programFor(asked.toStdU16String());
        got = QString::fromStdU16String(found.path).remove(path(QStringLiteral("share/applications/")));
    }
    QCOMPARE(got, answer);
}

QTEST_GUILESS_MAIN(tst_GioProgramRoles)
#include "tst_gioprogramroles.moc"
