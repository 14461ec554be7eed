// What the GIO backend finds for roles and menu categories, on a desktop made up in a
// temporary folder: its own XDG data folder with desktop entries and a mimeapps.list in its
// own HOME. GIO reads these folders once per process, so one desktop serves every row.

#include "platform/posix/GioProgramRoles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool write(const QString &path, const QByteArray &text, bool runnable = false)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return false;
    file.close();
    return !runnable || file.setPermissions(file.permissions() | QFile::ExeOwner);
}

QByteArray entry(const QString &name, const QString &exec, const QByteArray &more = QByteArray())
{
    return "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=" + exec.toUtf8() + "\n" + more;
}

} // namespace

class tst_GioProgramRoles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void roles_data();
    void roles();
    void categories_data();
    void categories();

private:
    QString applications() const { return folder.filePath(QStringLiteral("share/applications/")); }
    bool addEntry(const QString &id, const QString &name, const QString &exec, const QByteArray &more = {})
    {
        return write(applications() + id, entry(name, exec, more));
    }

    QTemporaryDir folder;
};

void tst_GioProgramRoles::initTestCase()
{
    QVERIFY(folder.isValid());
    QDir root(folder.path());
    for (const char *path : {"bin", "share/applications", "share/icons/hicolor/48x48/apps", "home/.config"})
        QVERIFY(root.mkpath(QLatin1String(path)));
    const QString tool = root.filePath(QStringLiteral("bin/tool"));
    QVERIFY(write(tool, "#!/bin/sh\nexit 0\n", true));
    QVERIFY(write(root.filePath(QStringLiteral("share/icons/hicolor/48x48/apps/mines.png")), "png"));
    // Before GIO's first use: it keeps the folders it found then.
    qputenv("HOME", QFile::encodeName(root.filePath(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("home/.config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("home/.local/share"))));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(root.filePath(QStringLiteral("share"))));
    qputenv("XDG_CURRENT_DESKTOP", "");

    QVERIFY(addEntry("browser.desktop", "Browser", tool + " %u", "MimeType=x-scheme-handler/http;\n"));
    QVERIFY(addEntry("firefox-esr.desktop", "Listed browser", tool));
    QVERIFY(addEntry("mousepad.desktop", "Editor", tool));
    QVERIFY(addEntry("hostile.desktop", "Hostile", tool + "; touch " + root.filePath("pwned"),
                     "MimeType=inode/directory;\n"));
    QVERIFY(addEntry("thunar.desktop", "Empty Exec", ""));
    QVERIFY(addEntry("pcmanfm.desktop", "Files", tool));
    QVERIFY(addEntry("xfce4-terminal.desktop", "Terminal", tool));
    QVERIFY(addEntry("thunderbird.desktop", "Hidden mail", tool, "Hidden=true\n"));
    QVERIFY(write(root.filePath(QStringLiteral("home/.config/mimeapps.list")),
                  "[Default Applications]\nx-scheme-handler/http=browser.desktop\ntext/plain=gone.desktop\n"
                  "inode/directory=hostile.desktop\nx-scheme-handler/mailto=thunderbird.desktop\n"));

    QVERIFY(addEntry("mines.desktop", "Mines", tool, "Categories=Game;LogicGame;\nIcon=mines\n"));
    QVERIFY(addEntry("chess.desktop", "Chess", tool, "Categories=BoardGame;Game\nIcon=/no/such.png\n"));
    QVERIFY(addEntry("hidden-game.desktop", "Aaa hidden", tool, "Categories=Game;\nNoDisplay=true\n"));
    QVERIFY(addEntry("broken-game.desktop", "Aaa broken", "/no/such/game", "Categories=Game;\n"));
    QVERIFY(addEntry("empty-game.desktop", "Aaa empty", "", "Categories=Game;\n"));
    QVERIFY(addEntry("shell-game.desktop", "Aaa shell", tool + ";reboot", "Categories=Game;\n"));
    QVERIFY(addEntry("office.desktop", "Aaa office", tool, "Categories=Office;\n"));
    for (int n = 0; n < 2000; ++n)
        QVERIFY(addEntry(QStringLiteral("arcade%1.desktop").arg(n), QStringLiteral("Arcade %1").arg(n, 4, 10, QChar(u'0')),
                         tool, "Categories=ArcadeGame;\n"));
}

void tst_GioProgramRoles::roles_data()
{
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("found"); // the entry's file name; empty: nothing

    QTest::newRow("the desktop's default for the role") << "web-browser" << "browser.desktop";
    QTest::newRow("a default that is gone: the first of the list") << "text-editor" << "mousepad.desktop";
    QTest::newRow("a default whose Exec holds shell syntax, an empty Exec: passed by")
        << "files" << "pcmanfm.desktop";
    QTest::newRow("a hidden default and nothing else") << "e-mail" << "";
    QTest::newRow("a role without a content type: the list") << "terminal" << "xfce4-terminal.desktop";
    QTest::newRow("nothing installed for the role") << "calculator" << "";
    QTest::newRow("an unknown role") << "coffee-maker" << "";
    QTest::newRow("a role of 10,000 characters") << QString(10000, u'w') << "";
    QTest::newRow("a role's name with a NUL") << QStringLiteral("web-browser") + QChar(u'\0') << "";
}

void tst_GioProgramRoles::roles()
{
    QFETCH(QString, role);
    QFETCH(QString, found);
    const platform::RoleProgram program = platform::GioProgramRoles().programFor(role.toStdU16String());
    QCOMPARE(program.form, found.isEmpty() ? platform::RoleProgram::Form::None
                                           : platform::RoleProgram::Form::DesktopEntry);
    QCOMPARE(QString::fromStdU16String(program.path), found.isEmpty() ? QString() : applications() + found);
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("pwned"))));
}

void tst_GioProgramRoles::categories_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("count");

    QTest::newRow("shown and startable, by name") << "Game" << 10 << QStringList{"Chess", "Mines"} << 2;
    QTest::newRow("up to the limit") << "Game" << 1 << QStringList{"Chess"} << 1;
    QTest::newRow("2,000 of them") << "ArcadeGame" << 1000 << QStringList{"Arcade 0000", "Arcade 0001"} << 1000;
    QTest::newRow("no such category") << "Cooking" << 10 << QStringList() << 0;
    QTest::newRow("a category list is no category") << "Game;Office" << 10 << QStringList() << 0;
}

void tst_GioProgramRoles::categories()
{
    QFETCH(QString, category);
    QFETCH(int, limit);
    QFETCH(QStringList, names);
    QFETCH(int, count);
    const std::vector<platform::InstalledProgram> programs =
        platform::GioProgramRoles().programsOfCategory(category.toStdU16String(), u"", std::size_t(limit));
    QCOMPARE(int(programs.size()), count);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(QString::fromStdU16String(programs.at(std::size_t(i)).name), names.at(i));
    if (category != QLatin1String("Game") || count < 2)
        return;
    // Its own picture where the icon theme has one; the program as its file name.
    QCOMPARE(QString::fromStdU16String(programs.at(0).picture), QString());
    QCOMPARE(QString::fromStdU16String(programs.at(1).picture),
             folder.filePath(QStringLiteral("share/icons/hicolor/48x48/apps/mines.png")));
    QCOMPARE(QString::fromStdU16String(programs.at(1).program), QStringLiteral("tool"));
    QCOMPARE(QString::fromStdU16String(programs.at(1).entry), applications() + QStringLiteral("mines.desktop"));
}

QTEST_GUILESS_MAIN(tst_GioProgramRoles)
#include "tst_gioprogramroles.moc"
