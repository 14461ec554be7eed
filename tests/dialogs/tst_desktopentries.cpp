// Desktop entries (.desktop files), the shortcuts of Linux desktops: read for the drop dialog,
// started by the shell backend through GIO, refused with a reason when they cannot start.

#include "LauncherStore.h"
#include "ScopedVariable.h"
#include "TestFiles.h"
#include "TestPlatform.h"

#include "dialogs/DropIconDialog.h"
#include "dialogs/NewIcon.h"
#include "i18n/LanguageChoice.h"
#include "launcher/TabEntry.h"
#include "launcher/lumbra.h"
#include "platform/posix/PosixShell.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

#include <sys/stat.h>

Q_DECLARE_METATYPE(platform::DesktopEntry::Status)

namespace {

using Status = platform::DesktopEntry::Status;

QByteArray entry(const QByteArray &lines)
{
    return "[Desktop Entry]\nType=Application\n" + lines + "\n";
}

// A program that writes its folder and its arguments, one a line, to `out`, and then makes
// `out`.done appear, so that the test knows the whole was written.
QByteArray recorder(const QString &out)
{
    const QByteArray path = QFile::encodeName(out);
    return "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" + path + "'\n"
           "touch '" + path + ".done'\n";
}

} // namespace

class tst_DesktopEntries : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readEntries_data();
    void readEntries();
    void pipesAndHugeFilesAreNotRead();
    void launchHandlesFieldCodes_data();
    void launchHandlesFieldCodes();
    void terminalEntriesStartInATerminal();
    void refusedEntriesStartNothing_data();
    void refusedEntriesStartNothing();
    void desktopLocales_data();
    void desktopLocales();

    void droppedEntryBecomesAShortcutIcon();
    void droppedEntryNamesAreOneShortLine();
    void droppedEntriesThatCannotStartAreRefused_data();
    void droppedEntriesThatCannotStartAreRefused();
    void dropTargetTakesEntries();

private:
    QString path(const QString &name) const { return folder->filePath(name); }
    // A saved tree of one tab with icons 1 and 2, and the launcher on it as theLauncher.
    bool startLauncher();

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<lumbra> launcher;
    QString savedDirectory;
};

void tst_DesktopEntries::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    savedDirectory = QDir::currentPath();
    QDir::setCurrent(folder->path());
}

void tst_DesktopEntries::cleanup()
{
    theLauncher = nullptr;
    launcher.reset();
    QDir::setCurrent(savedDirectory);
    theSettings = SettingStore();
    languageCode.clear();
    folder.reset();
}

bool tst_DesktopEntries::startLauncher()
{
    LauncherStore store({QStringLiteral("1.2")});
    store.iconCount = 2;
    store.fill(theSettings);
    if (!saveAllSettings(theSettings))
        return false;
    launcher = std::make_unique<lumbra>();
    theLauncher = launcher.get();
    launcher->initialise();
    return true;
}

void tst_DesktopEntries::readEntries_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QString>("name");

    const QByteArray named = entry("Name=Text Editor\nName[de]=Texteditor\nName[pt]=Editor de texto\n"
                                   "Name[zh_TW]=\u6587\u5b57\u7de8\u8f2f\u5668\nIcon=accessories-text-editor\n"
                                   "Exec=/bin/true %U");
    QTest::newRow("untranslated") << named << QString() << Status::Usable << "Text Editor";
    QTest::newRow("German") << named << "de" << Status::Usable << "Texteditor";
    QTest::newRow("Brazilian falls to Portuguese") << named << "pt_BR" << Status::Usable << "Editor de texto";
    QTest::newRow("Taiwanese") << named << "zh_TW" << Status::Usable << "\u6587\u5b57\u7de8\u8f2f\u5668";
    QTest::newRow("French falls to the untranslated") << named << "fr" << Status::Usable << "Text Editor";
    QTest::newRow("program on PATH") << entry("Name=Sh\nExec=sh -c true") << QString() << Status::Usable << "Sh";
    QTest::newRow("Hidden") << entry("Name=Gone\nExec=/bin/true\nHidden=true") << QString() << Status::Hidden << "Gone";
    QTest::newRow("no Exec") << entry("Name=Nothing") << QString() << Status::NoProgram << "Nothing";
    QTest::newRow("empty Exec") << entry("Name=Nothing\nExec=") << QString() << Status::NoProgram << "Nothing";
    QTest::newRow("TryExec missing") << entry("Name=Try\nTryExec=lumbra-no-such-program\nExec=/bin/true")
                                     << QString() << Status::ProgramMissing << "Try";
    QTest::newRow("TryExec present") << entry("Name=Try\nTryExec=sh\nExec=/bin/true") << QString()
                                     << Status::Usable << "Try";
    QTest::newRow("Exec program missing") << entry("Name=Gone\nExec=/opt/lumbra-none/app %f") << QString()
                                          << Status::ProgramMissing << "Gone";
    QTest::newRow("a link, not a program") << QByteArray("[Desktop Entry]\nType=Link\nName=Web\nURL=https://a.b/\n")
                                           << QString() << Status::Unreadable << "Web";
    QTest::newRow("no type") << QByteArray("[Desktop Entry]\nName=X\nExec=/bin/true\n") << QString()
                             << Status::Unreadable << "X";
    QTest::newRow("not a key file") << QByteArray("#!/bin/sh\necho hello\n") << QString() << Status::Unreadable
                                    << QString();
    QTest::newRow("binary") << QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0", 10) << QString() << Status::Unreadable
                            << QString();
}

void tst_DesktopEntries::readEntries()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, locale);
    QFETCH(Status, status);
    QFETCH(QString, name);
    QVERIFY(writeFile(path("app.desktop"), text));
    platform::PosixShell shell;
    const platform::DesktopEntry read = shell.readDesktopEntry(path("app.desktop").toStdU16String(),
                                                               locale.toStdU16String());
    QCOMPARE(read.status, status);
    QCOMPARE(QString::fromStdU16String(read.name), name);
}

// A named pipe of an entry's name would hang the reader for good; a file far larger than any
// entry is not one.
void tst_DesktopEntries::pipesAndHugeFilesAreNotRead()
{
    platform::PosixShell shell;
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.desktop")).constData(), 0600), 0);
    QCOMPARE(shell.readDesktopEntry(path("pipe.desktop").toStdU16String(), u"").status, Status::Unreadable);
    QByteArray huge = entry("Name=Huge\nExec=/bin/true");
    huge += QByteArray(2 << 20, '#');
    QVERIFY(writeFile(path("huge.desktop"), huge));
    QCOMPARE(shell.readDesktopEntry(path("huge.desktop").toStdU16String(), u"").status, Status::Unreadable);
    QCOMPARE(shell.readDesktopEntry(path("missing.desktop").toStdU16String(), u"").status, Status::Unreadable);
    QCOMPARE(shell.readDesktopEntry(std::u16string(u"a\0b.desktop", 11), u"").status, Status::Unreadable);
}

void tst_DesktopEntries::launchHandlesFieldCodes_data()
{
    QTest::addColumn<QByteArray>("exec");
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<QStringList>("arguments");

    // Started with no files, the file and URL codes stand for nothing.
    QTest::newRow("%f") << QByteArray("%f") << QByteArray() << QStringList();
    QTest::newRow("%u") << QByteArray("%u") << QByteArray() << QStringList();
    QTest::newRow("%F") << QByteArray("%F") << QByteArray() << QStringList();
    QTest::newRow("%U") << QByteArray("%U") << QByteArray() << QStringList();
    QTest::newRow("%c is the name") << QByteArray("%c") << QByteArray() << QStringList{QStringLiteral("Recorder")};
    QTest::newRow("%k is the entry") << QByteArray("%k") << QByteArray() << QStringList{QStringLiteral("<entry>")};
    QTest::newRow("%i is the icon") << QByteArray("%i") << QByteArray("Icon=recorder-icon")
                                    << QStringList{QStringLiteral("--icon"), QStringLiteral("recorder-icon")};
    QTest::newRow("words around codes") << QByteArray("--new-window %U last") << QByteArray()
                                        << QStringList{QStringLiteral("--new-window"), QStringLiteral("last")};
    QTest::newRow("quoted words and %%") << QByteArray("\"two words\" 100%%") << QByteArray()
                                         << QStringList{QStringLiteral("two words"), QStringLiteral("100%")};
}

// The entry is started for real: its Exec is a small script that writes down what it got.
void tst_DesktopEntries::launchHandlesFieldCodes()
{
    QFETCH(QByteArray, exec);
    QFETCH(QByteArray, extra);
    QFETCH(QStringList, arguments);
    const QString out = path("out.txt");
    QVERIFY(writeFile(path("record.sh"), recorder(out), true));
    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("work")));
    const QString entryPath = path("recorder.desktop");
    QVERIFY(writeFile(entryPath, entry("Name=Recorder\nPath=" + QFile::encodeName(path("work")) + "\nExec="
                                       + QFile::encodeName(path("record.sh")) + ' ' + exec + '\n' + extra)));

    platform::PosixShell shell;
    QVERIFY(shell.shellOpen((u'"' + entryPath + u'"').toStdU16String(), u"\"/\""));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out + QStringLiteral(".done")), 20000);
    QStringList lines = QString::fromUtf8(fileBytes(out)).split(u'\n');
    QCOMPARE(lines.takeLast(), QString());
    // The entry's Path is the folder it starts in.
    QCOMPARE(lines.takeFirst(), path("work"));
    arguments.replaceInStrings(QStringLiteral("<entry>"), entryPath);
    QCOMPARE(lines, arguments);
}

// Terminal=true: the entry's command is handed to the first terminal GIO finds, here one of
// our own that writes down what it was given.
void tst_DesktopEntries::terminalEntriesStartInATerminal()
{
    const QString out = path("out.txt");
    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("bin")));
    QVERIFY(writeFile(path("bin/gnome-terminal"), recorder(out), true));
    QVERIFY(writeFile(path("tool.sh"), "#!/bin/sh\n", true));
    QVERIFY(writeFile(path("console.desktop"), entry("Name=Console\nTerminal=true\nExec="
                                                     + QFile::encodeName(path("tool.sh")) + " --flag %F")));
    const ScopedVariable terminalFirst("PATH", QFile::encodeName(path("bin")) + ':' + qgetenv("PATH"));
    platform::PosixShell shell;
    QVERIFY(shell.shellOpen(path("console.desktop").toStdU16String(), u""));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out + QStringLiteral(".done")), 20000);
    const QStringList lines = QString::fromUtf8(fileBytes(out)).split(u'\n');
    const qsizetype program = lines.indexOf(path("tool.sh"));
    QVERIFY2(program > 1, qPrintable(lines.join(u'|')));
    QCOMPARE(lines.value(program + 1), QStringLiteral("--flag"));
}

void tst_DesktopEntries::refusedEntriesStartNothing_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("reason");
    QTest::newRow("Hidden") << QByteArray("Hidden=true\nExec=<record>") << "hidden";
    QTest::newRow("no Exec") << QByteArray() << "no program";
    QTest::newRow("TryExec missing") << QByteArray("TryExec=lumbra-no-such-program\nExec=<record>") << "not installed";
    // Terminal=true with no terminal to run it in.
    QTest::newRow("Terminal without a terminal") << QByteArray("Terminal=true\nExec=<record>") << "terminal";
}

void tst_DesktopEntries::refusedEntriesStartNothing()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, reason);
    const QString out = path("out.txt");
    QVERIFY(writeFile(path("record.sh"), recorder(out), true));
    lines.replace("<record>", QFile::encodeName(path("record.sh")));
    QVERIFY(writeFile(path("refused.desktop"), entry("Name=Refused\n" + lines)));
    // A PATH of an empty folder: no terminal of the machine's is found.
    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("bin")));
    const ScopedVariable noTerminal("PATH", QFile::encodeName(path("bin")));
    platform::PosixShell shell;
    StderrCapture capture;
    QVERIFY(!shell.shellOpen((u'"' + path("refused.desktop") + u'"').toStdU16String(), u""));
    const QStringList errors = capture.lines();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QLatin1String("refused.desktop")), qPrintable(errors.first()));
    QVERIFY2(errors.first().contains(reason, Qt::CaseInsensitive), qPrintable(errors.first()));
    QVERIFY(!QFileInfo::exists(out));
}

void tst_DesktopEntries::desktopLocales_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("locale");
    QTest::newRow("DE") << "DE" << "de";
    QTest::newRow("BR") << "BR" << "pt_BR";
    QTest::newRow("PT") << "PT" << "pt";
    QTest::newRow("CN") << "CN" << "zh_CN";
    QTest::newRow("TW") << "TW" << "zh_TW";
    QTest::newRow("HK") << "HK" << "zh_HK";
    QTest::newRow("NO") << "NO" << "nb";
    QTest::newRow("JA") << "JA" << "ja";
    QTest::newRow("empty") << QString() << "en";
    QTest::newRow("not letters") << "../" << "en";
}

void tst_DesktopEntries::desktopLocales()
{
    QFETCH(QString, code);
    QFETCH(QString, locale);
    QCOMPARE(desktopLocaleFor(code), locale);
}

// A German tree: the entry's German name, its theme picture saved at the icon size, the
// entry's own path as a kind-3 target that the shell opens.
void tst_DesktopEntries::droppedEntryBecomesAShortcutIcon()
{
    TestPlatform platform;
    languageCode = QStringLiteral("DE");
    QImage picture(48, 48, QImage::Format_ARGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(path("editor.png")));
    const QString entryPath = path("org.example.Editor.desktop");
    QVERIFY(writeFile(entryPath, entry("Name=Text Editor\nName[de]=Texteditor\nExec=/bin/true %U\nIcon="
                                       + QFile::encodeName(path("editor.png")))));
    QVERIFY(startLauncher());

    DropIconDialog dialog;
    QString dropped = entryPath;
    dialog.setDroppedFile(dropped, QFileInfo(entryPath).fileName());
    QCOMPARE(dialog.lineEdit_3->text(), QStringLiteral("Texteditor"));
    QVERIFY(dialog.refusal.isEmpty());
    QVERIFY(!dialog.dropOkButton->isHidden());
    dialog.dropOkButton->click();

    const IconInfo &added = theSettings.icons.last();
    QCOMPARE(added.ICON_AP_NAME, QStringLiteral("Texteditor"));
    QCOMPARE(added.ICON_DATA_TYPE, 3);
    QCOMPARE(added.ICON_AP_EXE_LOCATION, u'"' + entryPath + u'"');
    QCOMPARE(added.ICON_AP_PNG_FILE_NAME, QStringLiteral("./Icon/org.example.Editor.png"));
    const QImage saved(path("Icon/org.example.Editor.png"));
    QCOMPARE(saved.size(), QSize(120, 120));
    QCOMPARE(saved.pixelColor(60, 60), QColor(Qt::darkGreen));

    APIconQLabel *icon = launcher->tab(0)->icons.last();
    launcher->dispatchAction(icon, nullptr, nullptr);
    QCOMPARE(platform.shell.opens.size(), 1);
    QCOMPARE(platform.shell.opens.first().file, u'"' + entryPath + u'"');
}

// A name written with escapes over several lines, or of a megabyte, still makes an icon name.
void tst_DesktopEntries::droppedEntryNamesAreOneShortLine()
{
    TestPlatform platform;
    QVERIFY(writeFile(path("lines.desktop"), entry("Name=Two\\nLines\\tTabbed\nExec=/bin/true")));
    QVERIFY(writeFile(path("long.desktop"), entry("Name=" + QByteArray(500000, 'x') + "\nExec=/bin/true")));
    DropIconDialog dialog;
    QString lines = path("lines.desktop");
    dialog.setDroppedFile(lines, QStringLiteral("lines.desktop"));
    QCOMPARE(dialog.lineEdit_3->text(), QStringLiteral("Two Lines Tabbed"));
    QString longName = path("long.desktop");
    dialog.setDroppedFile(longName, QStringLiteral("long.desktop"));
    QCOMPARE(dialog.lineEdit_3->text(), QString(200, u'x'));
}

void tst_DesktopEntries::droppedEntriesThatCannotStartAreRefused_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("textId");
    QTest::newRow("Hidden") << entry("Name=Gone\nExec=/bin/true\nHidden=true") << int(TextSetting::DIALOG_ENTRY_HIDDEN);
    QTest::newRow("no Exec") << entry("Name=Nothing") << int(TextSetting::DIALOG_ENTRY_NO_PROGRAM);
    QTest::newRow("TryExec missing") << entry("Name=Try\nTryExec=lumbra-no-such-program\nExec=/bin/true")
                                     << int(TextSetting::DIALOG_ENTRY_NOT_INSTALLED);
    QTest::newRow("not an entry") << QByteArray("just text\n") << int(TextSetting::DIALOG_ENTRY_UNREADABLE);
}

void tst_DesktopEntries::droppedEntriesThatCannotStartAreRefused()
{
    QFETCH(QByteArray, text);
    QFETCH(int, textId);
    TestPlatform platform;
    QVERIFY(writeFile(path("bad.desktop"), text));
    QVERIFY(startLauncher());

    DropIconDialog dialog;
    QString dropped = path("bad.desktop");
    dialog.setDroppedFile(dropped, QStringLiteral("bad.desktop"));
    QCOMPARE(dialog.refusal, theSettings.getString(textId));
    QVERIFY(!dialog.refusalLabel->isHidden());
    QCOMPARE(dialog.refusalLabel->text(), dialog.refusal);
    QVERIFY(dialog.dropOkButton->isHidden());
    dialog.fn_addItem();
    QCOMPARE(theSettings.icons.size(), 2);
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("1.2"));
    QVERIFY(!QFileInfo::exists(path("Icon")) || QDir(path("Icon")).isEmpty());
}

// An entry is taken even though it is not executable, as the desktop's menu gives them.
void tst_DesktopEntries::dropTargetTakesEntries()
{
    QVERIFY(writeFile(path("a.desktop"), entry("Name=A\nExec=/bin/true")));
    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("folder.desktop")));
    QVERIFY(writeFile(path("notes.txt"), "text"));
    DragIconPage page;
    QSignalSpy dropped(&page, &DragIconPage::applicationDropped);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("a.desktop")), QUrl::fromLocalFile(path("folder.desktop")),
                  QUrl::fromLocalFile(path("notes.txt"))});
    page.fn_chooseFavoriteIcon(&data);
    QCOMPARE(dropped.size(), 1);
    QCOMPARE(dropped.first().at(1).toString(), QStringLiteral("a.desktop"));
    QCOMPARE(NewIcon::fileKindOf(QStringLiteral("a.desktop")), 3);
    QCOMPARE(NewIcon::fileKindOf(QStringLiteral("a.desktop.txt")), -1);
}

QTEST_MAIN(tst_DesktopEntries)
#include "tst_desktopentries.moc"
