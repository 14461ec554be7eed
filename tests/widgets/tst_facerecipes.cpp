#include "TestFiles.h"
#include "TestPictures.h"

#include "settings/SettingStore.h"
#include "widgets/FaceRecipes.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBoundaryFinder>

#include <climits>
#include <memory>

namespace {

const QColor red(255, 0, 0);
const QColor pen(255, 255, 255);

QFont nameFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    return font;
}

bool isTransparent(const QImage &image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) == 0;
}

QColor colourAt(const QImage &image, int x, int y)
{
    return QColor::fromRgba(image.pixel(x, y));
}

// The smallest rectangle holding every pixel that is not fully transparent.
QRect inkBounds(const QImage &image)
{
    return pixelsWhere(image, [](QRgb pixel) { return qAlpha(pixel) != 0; });
}

} // namespace

class tst_FaceRecipes : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void naturalSizeIsCentred_data();
    void naturalSizeIsCentred();
    void fitModeScalesKeepingProportions_data();
    void fitModeScalesKeepingProportions();
    void largerRenderingsAreTakenWhenNeeded_data();
    void largerRenderingsAreTakenWhenNeeded();
    void missingPicturesFallBack_data();
    void missingPicturesFallBack();
    void paletteAndGreyPicturesTakeText();
    void changedFileShowsAtOnce();
    void maskUnderAndOver();
    void composeClearsTheTarget();
    void nameStaysInItsBox_data();
    void nameStaysInItsBox();
    void tabLayout_data();
    void tabLayout();
    void eliding_data();
    void eliding();
    void runawayNameIsShortenedToo();
    void tabFaceOnPixels();
    void absurdCanvasesAreRefused();
    void growthStopsShortOfAbsurdSizes();
    void overrideCursorsNeverStack();

private:
    std::unique_ptr<TestPictures> pictures;
};

void tst_FaceRecipes::init()
{
    pictures = std::make_unique<TestPictures>();
    pictures->resetSettings();
}

void tst_FaceRecipes::naturalSizeIsCentred_data()
{
    QTest::addColumn<QSize>("icon");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QPoint>("topLeft");

    QTest::newRow("48 on 100") << QSize(100, 100) << QSize(48, 48) << QPoint(26, 26);
    QTest::newRow("odd width halves truncate") << QSize(100, 100) << QSize(33, 33) << QPoint(34, 34);
    QTest::newRow("odd icon") << QSize(101, 99) << QSize(48, 48) << QPoint(26, 25);
    QTest::newRow("wider than the icon is cropped both sides") << QSize(100, 100) << QSize(120, 60) << QPoint(-10, 20);
}

void tst_FaceRecipes::naturalSizeIsCentred()
{
    QFETCH(QSize, icon);
    QFETCH(QSize, picture);
    QFETCH(QPoint, topLeft);
    const QString file = pictures->write(QStringLiteral("app.png"), picture, red);

    const QImage face = placePicture(file, icon.width(), icon.height(), 0);

    QCOMPARE(face.size(), icon);
    const QRect expected = QRect(topLeft, picture).intersected(face.rect());
    QCOMPARE(inkBounds(face), expected);
    QCOMPARE(colourAt(face, expected.center().x(), expected.center().y()), red);
}

void tst_FaceRecipes::fitModeScalesKeepingProportions_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("fit");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("48 grows to 100") << QSize(48, 48) << 1 << QSize(100, 100);
    QTest::newRow("200 x 100 gives 100 x 50") << QSize(200, 100) << 1 << QSize(100, 50);
    QTest::newRow("tall picture") << QSize(30, 60) << 2 << QSize(50, 100);
    QTest::newRow("zero is natural size") << QSize(200, 100) << 0 << QSize(100, 100);
    QTest::newRow("negative is natural size") << QSize(48, 48) << -3 << QSize(100, 100);
}

void tst_FaceRecipes::fitModeScalesKeepingProportions()
{
    QFETCH(QSize, picture);
    QFETCH(int, fit);
    QFETCH(QSize, expected);
    const QString file = pictures->write(QStringLiteral("app.png"), picture, red);

    const QImage face = placePicture(file, 100, 100, fit);

    QCOMPARE(face.size(), expected);
    QCOMPARE(colourAt(face, face.width() / 2, face.height() / 2), red);
}

void tst_FaceRecipes::largerRenderingsAreTakenWhenNeeded_data()
{
    QTest::addColumn<QString>("renderings"); // beside a 10 x 10 "app.png"
    QTest::addColumn<int>("wanted");
    QTest::addColumn<int>("taken");          // the width of the picture taken

    QTest::newRow("the picture is large enough") << "2 3" << 10 << 10;
    QTest::newRow("the next size up") << "2 3 4" << 11 << 20;
    QTest::newRow("the smallest that is as large") << "2 3 4" << 25 << 30;
    QTest::newRow("a size missing between") << "3" << 15 << 30;
    QTest::newRow("none as large: the largest") << "2 3" << 100 << 30;
    QTest::newRow("no renderings") << "" << 100 << 10;
}

// Asked for more device pixels than a picture has, its renderings drawn larger beside it
// (NAME@2x.png ...) are taken: the smallest that is as large, else the largest there is.
void tst_FaceRecipes::largerRenderingsAreTakenWhenNeeded()
{
    QFETCH(QString, renderings);
    QFETCH(int, wanted);
    QFETCH(int, taken);
    const QString file = pictures->write(QStringLiteral("app.png"), QSize(10, 10), Qt::red);
    for (const QString &factor : renderings.split(u' ', Qt::SkipEmptyParts))
        pictures->write(QStringLiteral("app@%1x.png").arg(factor), QSize(10, 10) * factor.toInt(), Qt::green);
    QCOMPARE(loadPicture(file, QSize(wanted, wanted)).width(), taken);
}

void tst_FaceRecipes::missingPicturesFallBack_data()
{
    QTest::addColumn<int>("fit");
    QTest::addColumn<bool>("defaultExists");
    QTest::addColumn<bool>("expectDefault");

    QTest::newRow("natural, default picture") << 0 << true << true;
    QTest::newRow("fit, default picture") << 1 << true << true;
    QTest::newRow("natural, nothing at all") << 0 << false << false;
    QTest::newRow("natural, corrupt default") << 0 << false << false;
    QTest::newRow("fit, nothing at all") << 1 << false << false;
}

void tst_FaceRecipes::missingPicturesFallBack()
{
    QFETCH(int, fit);
    QFETCH(bool, defaultExists);
    QFETCH(bool, expectDefault);
    if (!defaultExists)
        QVERIFY(QFile::remove(pictures->defaultIconPath()));
    if (QByteArray(QTest::currentDataTag()).contains("corrupt"))
        QVERIFY(writeFile(pictures->defaultIconPath(), "\x89PNG\r\n\x1a\n not really"));

    const QImage face = placePicture(pictures->path(QStringLiteral("no-such.png")), 100, 100, fit);

    // Whatever is missing, the face is an icon-sized image; with nothing to show it is clear.
    QCOMPARE(face.size(), QSize(100, 100));
    if (expectDefault)
        QCOMPARE(colourAt(face, 50, 50), TestPictures::defaultColour);
    else
        QVERIFY(inkBounds(face).isNull());
}

void tst_FaceRecipes::paletteAndGreyPicturesTakeText()
{
    for (const QImage::Format format : {QImage::Format_Indexed8, QImage::Format_Grayscale8, QImage::Format_Mono}) {
        QImage source(60, 60, QImage::Format_ARGB32);
        source.fill(Qt::black);
        const QString file = pictures->path(QStringLiteral("format-%1.png").arg(int(format)));
        QVERIFY(source.convertToFormat(format).save(file, "PNG"));

        QImage face = placePicture(file, 60, 60, 1);
        stampText(face, QStringLiteral("Name"), nameFont(), pen, QRectF(0, 0, 60, 60), kIconNameFlags);

        QCOMPARE(colourAt(face, 0, 0), QColor(Qt::black));
        bool stamped = false;
        for (int x = 0; x < 60 && !stamped; ++x)
            stamped = qRed(face.pixel(x, 30)) > 128;
        QVERIFY2(stamped, qPrintable(QStringLiteral("format %1").arg(int(format))));
    }
}

void tst_FaceRecipes::changedFileShowsAtOnce()
{
    const QString file = pictures->write(QStringLiteral("app.png"), QSize(40, 40), red);
    QCOMPARE(colourAt(placePicture(file, 40, 40, 1), 20, 20), red);

    pictures->write(QStringLiteral("app.png"), QSize(50, 50), Qt::yellow);
    QCOMPARE(colourAt(placePicture(file, 40, 40, 1), 20, 20), QColor(Qt::yellow));

    QVERIFY(QFile::remove(file));
    QCOMPARE(colourAt(placePicture(file, 40, 40, 1), 20, 20), TestPictures::defaultColour);
}

void tst_FaceRecipes::maskUnderAndOver()
{
    // The face: a red square in the middle of a clear icon; the mask is opaque blue.
    const QImage face = placePicture(pictures->write(QStringLiteral("app.png"), QSize(48, 48), red), 100, 100, 0);
    const QImage mask = loadPictureOrDefault(pictures->maskPath());

    QImage highlighted = makeCanvas(100, 100);
    composeImages(highlighted, mask, face);
    QCOMPARE(colourAt(highlighted, 50, 50), red);
    QCOMPARE(colourAt(highlighted, 2, 2), TestPictures::maskColour);

    QImage pressed = makeCanvas(100, 100);
    composeImages(pressed, face, mask);
    QCOMPARE(colourAt(pressed, 50, 50), TestPictures::maskColour);
    QCOMPARE(colourAt(pressed, 2, 2), TestPictures::maskColour);
}

void tst_FaceRecipes::composeClearsTheTarget()
{
    QImage target = makeCanvas(20, 20);
    target.fill(Qt::yellow);
    QImage small = makeCanvas(5, 5);
    QPainter(&small).fillRect(0, 0, 1, 1, red);

    composeImages(target, small, QImage());

    // The old contents are gone and the 5 x 5 picture is stretched over the whole target:
    // its one red pixel covers the top-left quarter of a quarter.
    QCOMPARE(colourAt(target, 1, 1), red);
    QVERIFY(isTransparent(target, 19, 19));
    QVERIFY(isTransparent(target, 10, 1));
}

void tst_FaceRecipes::nameStaysInItsBox_data()
{
    QTest::addColumn<int>("faceHeight");
    QTest::addColumn<QRectF>("box");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("visible");

    QTest::newRow("short name") << 100 << QRectF(0, 70, 100, 30) << "Mail" << true;
    QTest::newRow("long name wraps and is clipped")
        << 100 << QRectF(0, 70, 100, 30) << "A very long application name that cannot fit in two lines" << true;
    // A 200 x 100 picture fitted to a 100 x 100 icon is 100 x 50; the box still starts at 70.
    QTest::newRow("box below a fitted wide picture") << 50 << QRectF(0, 70, 100, 30) << "Mail" << false;
}

void tst_FaceRecipes::nameStaysInItsBox()
{
    QFETCH(int, faceHeight);
    QFETCH(QRectF, box);
    QFETCH(QString, name);
    QFETCH(bool, visible);
    QImage face = makeCanvas(100, faceHeight);

    stampText(face, name, nameFont(), pen, box, kIconNameFlags);

    const QRect ink = inkBounds(face);
    QCOMPARE(!ink.isNull(), visible);
    if (visible)
        QVERIFY2(box.toAlignedRect().contains(ink), qPrintable(QStringLiteral("ink at y %1").arg(ink.top())));
}

void tst_FaceRecipes::tabLayout_data()
{
    QTest::addColumn<QSize>("tab");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("text");
    QTest::addColumn<QPoint>("pictureAt");
    QTest::addColumn<QPoint>("textAt");

    QTest::newRow("200 wide, 40 picture, 100 name")
        << QSize(200, 64) << QSize(40, 40) << QSize(100, 20) << QPoint(30, 12) << QPoint(70, 22);
    QTest::newRow("odd remainders truncate")
        << QSize(201, 65) << QSize(40, 40) << QSize(100, 19) << QPoint(30, 12) << QPoint(70, 23);
    QTest::newRow("group wider than the tab")
        << QSize(100, 64) << QSize(40, 40) << QSize(100, 20) << QPoint(-20, 12) << QPoint(20, 22);
    QTest::newRow("negative odd truncates toward zero")
        << QSize(99, 64) << QSize(40, 40) << QSize(100, 20) << QPoint(-20, 12) << QPoint(20, 22);
    QTest::newRow("sizes at the ends of the int range")
        << QSize(INT_MAX, 64) << QSize(-INT_MAX, 40) << QSize(-INT_MAX, 20) << QPoint(INT_MAX, 12) << QPoint(1073741823, 22);
}

void tst_FaceRecipes::tabLayout()
{
    QFETCH(QSize, tab);
    QFETCH(QSize, picture);
    QFETCH(QSize, text);
    QFETCH(QPoint, pictureAt);
    QFETCH(QPoint, textAt);

    // The picture rectangle's position does not matter, only its size.
    const TabFaceLayout layout =
        layoutTabFace(QRect(QPoint(0, 7), tab), QRect(QPoint(9, 9), picture), text.width(), text.height());

    QCOMPARE(QPoint(layout.pictureX, layout.pictureY), pictureAt);
    QCOMPARE(QPoint(layout.textX, layout.textY), textAt);
}

void tst_FaceRecipes::eliding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("spare");
    QTest::addColumn<bool>("whole");

    QTest::newRow("fits exactly") << "Games and puzzles" << 0 << true;
    QTest::newRow("room to spare") << "Games and puzzles" << 30 << true;
    QTest::newRow("one pixel short") << "Games and puzzles" << -1 << false;
    QTest::newRow("far too narrow") << "Games and puzzles" << -60 << false;
    QTest::newRow("emoji kept whole") << QString::fromUtf8("Fun \xF0\x9F\x98\x80\xF0\x9F\x98\x80") << -1 << false;
    // Marks on their letters: Devanagari vowel signs, an acute, Thai tone marks, a skin tone.
    const QString marks =
        QStringLiteral("\u0915\u093F\u0924\u093E\u092C\u0947\u0902e\u0301\u0E17\u0E35\u0E48\U0001F44D\U0001F3FD");
    for (int spare : {-1, -5, -9, -20}) {
        QTest::addRow("marks kept, %d", spare) << marks.repeated(2) << spare << false;
        QTest::addRow("runaway name, marks kept, %d", spare) << marks.repeated(20) << spare << false;
    }
    QTest::newRow("runaway name, wide last character")
        << marks.repeated(20) + u'\u0915' + QString(20, u'\u093E') << -1 << false;
    const QFontMetrics metrics(nameFont());
    const QString xs(100000, u'x'), ws(300, u'W');
    QTest::newRow("runaway name, 200 pixels") << xs << 200 - metrics.horizontalAdvance(xs) << false;
    QTest::newRow("runaway name, one letter fits")
        << ws << metrics.horizontalAdvance(QStringLiteral("W...")) - metrics.horizontalAdvance(ws) << false;
}

void tst_FaceRecipes::eliding()
{
    QFETCH(QString, name);
    QFETCH(int, spare);
    QFETCH(bool, whole);
    const QFontMetrics metrics(nameFont());
    const QRect picture(0, 0, 40, 40);
    const int available = metrics.horizontalAdvance(name) + spare;
    const QRect tab(0, 0, available + picture.width(), 64);

    const QString drawn = elideName(name, nameFont(), tab, picture);

    if (whole) {
        QCOMPARE(drawn, name);
        return;
    }
    QVERIFY(drawn.endsWith(QLatin1String("...")));
    const QString prefix = drawn.chopped(3);
    QVERIFY(name.startsWith(prefix));
    QVERIFY(metrics.horizontalAdvance(drawn) <= available);
    // Cut between what a reader sees as characters, at the longest prefix that fits.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    graphemes.setPosition(prefix.size());
    QVERIFY(!prefix.isEmpty() && graphemes.isAtBoundary());
    const qsizetype next = graphemes.toNextBoundary();
    QVERIFY(metrics.horizontalAdvance(name.left(next) + QLatin1String("...")) > available);
}

// Not even "..." fits: the working copy runs out and the name becomes "...".
void tst_FaceRecipes::runawayNameIsShortenedToo()
{
    const QRect picture(0, 0, 40, 40);
    QCOMPARE(elideName(QStringLiteral("Games"), nameFont(), QRect(0, 0, 41, 64), picture), QStringLiteral("..."));
    QCOMPARE(elideName(QString(300, u'W'), nameFont(), QRect(0, 0, 41, 64), picture), QStringLiteral("..."));
}

void tst_FaceRecipes::tabFaceOnPixels()
{
    QImage picture(40, 40, QImage::Format_ARGB32_Premultiplied);
    picture.fill(red);
    const QColor background(10, 20, 30);

    const QImage face = paintTabFace(QSize(200, 64), background, picture, QRect(30, 12, 40, 40),
                                     QStringLiteral("Tab"), nameFont(), pen, QRect(70, 22, 100, 20));

    QCOMPARE(face.size(), QSize(200, 64));
    QCOMPARE(colourAt(face, 0, 0), background);
    QCOMPARE(colourAt(face, 29, 30), background);
    QCOMPARE(colourAt(face, 30, 12), red);
    QCOMPARE(colourAt(face, 69, 51), red);
    bool textDrawn = false;
    for (int x = 70; x < 110; ++x) {
        for (int y = 22; y < 42; ++y)
            textDrawn = textDrawn || colourAt(face, x, y) != background;
    }
    QVERIFY(textDrawn);

    // A missing tab picture leaves the background.
    const QImage bare = paintTabFace(QSize(200, 64), background, QImage(), QRect(30, 12, 40, 40), QString(),
                                     nameFont(), pen, QRect(70, 22, 0, 0));
    QCOMPARE(colourAt(bare, 50, 30), background);
}

void tst_FaceRecipes::absurdCanvasesAreRefused()
{
    QVERIFY(makeCanvas(0, 10).isNull());
    QVERIFY(makeCanvas(10, -1).isNull());
    QVERIFY(makeCanvas(100000, 100000).isNull());
    QVERIFY(placePicture(pictures->defaultIconPath(), 100000, 100000, 0).isNull());
    QVERIFY(scaledPicture(QImage(8, 8, QImage::Format_ARGB32), 9000, 9000, Qt::KeepAspectRatio).isNull());
    QCOMPARE(makeCanvas(4000, 30).size(), QSize(4000, 30));
}

void tst_FaceRecipes::growthStopsShortOfAbsurdSizes()
{
    QCOMPARE(grownGeometry(QRect(100, 50, 130, 130), 100, 100, 10, 3), QRect(95, 45, 130, 130));
    QCOMPARE(grownGeometry(QRect(100, 50, 100, 100), 100, 100, 5, 1), QRect(98, 48, 105, 105));
    QCOMPARE(grownGeometry(QRect(7, 8, 120, 120), 100, 100, INT_MAX, 5), QRect(7, 8, 120, 120));
    QCOMPARE(grownGeometry(QRect(7, 8, 120, 120), 100, 100, 20000, 1), QRect(7, 8, 120, 120));
    QCOMPARE(grownGeometry(QRect(100, 100, 100, 100), 100, 100, -80, 2).size(), QSize(-60, -60));
}

void tst_FaceRecipes::overrideCursorsNeverStack()
{
    for (int round = 0; round < 5; ++round) {
        replaceOverrideCursor(Qt::PointingHandCursor);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        replaceOverrideCursor(Qt::ArrowCursor);
    }
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    QGuiApplication::restoreOverrideCursor();
    QVERIFY(!QGuiApplication::overrideCursor());
}

QTEST_MAIN(tst_FaceRecipes)
#include "tst_facerecipes.moc"
