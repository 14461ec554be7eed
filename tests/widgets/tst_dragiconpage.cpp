#include "TestFiles.h"

#include "widgets/DragIconPage.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class tst_DragIconPage : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void droppedFiles_data();
    void droppedFiles();
    void dropsWithoutFilesAreAcceptedAndIgnored();
    void dropEventReachesTheHandler();

private:
    std::unique_ptr<QTemporaryDir> folder;
};

void tst_DragIconPage::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    QVERIFY(writeFile(folder->filePath(QStringLiteral("run me")), "#!/bin/sh\n", true));
    QVERIFY(writeFile(folder->filePath(QStringLiteral("notes.txt")), "#!/bin/sh\n"));
    QVERIFY(writeFile(folder->filePath(QStringLiteral("setup.exe")), "#!/bin/sh\n"));
    QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("tool.exe")));
    QVERIFY(QDir(folder->path()).mkpath(QStringLiteral(".exercises")));
    QVERIFY(writeFile(folder->filePath(QStringLiteral(".exercises/readme")), "#!/bin/sh\n"));
}

void tst_DragIconPage::droppedFiles_data()
{
    // "@" stands for the test folder.
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QStringList>("paths");

    QTest::newRow("Windows program") << QStringList{"file:///C:/Tools/app.exe"} << QStringList{"/C:/Tools/app.exe"};
    QTest::newRow("shortcut") << QStringList{"file:///home/me/Mail.lnk"} << QStringList{"/home/me/Mail.lnk"};
    QTest::newRow("percent-encoded name")
        << QStringList{"file:///home/me/My%20Game%20%C3%A9t%C3%A9.exe"} << QStringList{"/home/me/My Game été.exe"};
    QTest::newRow("two files, one signal each")
        << QStringList{"file:///C:/a.exe", "file:///C:/b.exe"} << QStringList{"/C:/a.exe", "/C:/b.exe"};
    QTest::newRow("upper-case extension is not one") << QStringList{"file:///C:/APP.EXE"} << QStringList{};
    QTest::newRow("text file") << QStringList{"file:///C:/notes.txt"} << QStringList{};
    QTest::newRow("extension inside the name") << QStringList{"file:///C:/setup.exe.txt"} << QStringList{};
    QTest::newRow("folder whose name looks like a program") << QStringList{"file://@/tool.exe"} << QStringList{};
    QTest::newRow("file in a folder starting with .exe") << QStringList{"file://@/.exercises/readme"} << QStringList{};
    QTest::newRow("executable file") << QStringList{"file://@/run%20me"} << QStringList{"@/run me"};
    QTest::newRow("program without execute permission") << QStringList{"file://@/setup.exe"} << QStringList{"@/setup.exe"};
    QTest::newRow("plain file") << QStringList{"file://@/notes.txt"} << QStringList{};
    QTest::newRow("web address") << QStringList{"https://example.org/app.exe"} << QStringList{};
    QTest::newRow("programs among other files")
        << QStringList{"file://@/notes.txt", "file:///C:/a.exe", "https://example.org/b.exe", "file://@/run%20me"}
        << QStringList{"/C:/a.exe", "@/run me"};
    QStringList many, firstOnes;
    for (int n = 0; n < 1000; ++n) {
        many << QStringLiteral("file:///C:/app%1.exe").arg(n);
        if (n < 32)
            firstOnes << QStringLiteral("/C:/app%1.exe").arg(n);
    }
    QTest::newRow("a huge selection, cut") << many << firstOnes;
}

void tst_DragIconPage::droppedFiles()
{
    QFETCH(QStringList, urls);
    QFETCH(QStringList, paths);
    QList<QUrl> dropped;
    for (const QString &url : urls)
        dropped.append(QUrl(QString(url).replace(u'@', folder->path())));
    QMimeData mimeData;
    mimeData.setUrls(dropped);
    DragIconPage page;
    QSignalSpy applications(&page, &DragIconPage::applicationDropped);

    page.fn_chooseFavoriteIcon(&mimeData);

    QCOMPARE(applications.count(), paths.size());
    for (int n = 0; n < paths.size(); ++n) {
        const QString path = QString(paths[n]).replace(u'@', folder->path());
        QCOMPARE(applications[n][0].toString(), path);
        QCOMPARE(applications[n][1].toString(), path.section(u'/', -1));
    }
}

void tst_DragIconPage::dropsWithoutFilesAreAcceptedAndIgnored()
{
    DragIconPage page;
    QSignalSpy applications(&page, &DragIconPage::applicationDropped);
    QMimeData text;
    text.setText(QStringLiteral("C:/Tools/app.exe"));

    page.fn_chooseFavoriteIcon(&text);
    page.fn_chooseFavoriteIcon(nullptr);
    emit page.fn_acceptFileDrop();

    QCOMPARE(applications.count(), 0);
    QVERIFY(page.acceptDrops());
}

void tst_DragIconPage::dropEventReachesTheHandler()
{
    DragIconPage page;
    QSignalSpy applications(&page, &DragIconPage::applicationDropped);
    QMimeData mimeData;
    mimeData.setUrls({QUrl(QStringLiteral("file:///C:/Tools/app.exe"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, &mimeData, Qt::LeftButton,
                          Qt::NoModifier);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::LinkAction, &mimeData, Qt::LeftButton, Qt::NoModifier);

    QCoreApplication::sendEvent(&page, &enter);
    QVERIFY(enter.isAccepted());
    QCoreApplication::sendEvent(&page, &drop);

    QVERIFY(drop.isAccepted());
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    QCOMPARE(applications.count(), 1);
    QCOMPARE(applications[0][1].toString(), QStringLiteral("app.exe"));
}

QTEST_MAIN(tst_DragIconPage)
#include "tst_dragiconpage.moc"
