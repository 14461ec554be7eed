#include "TestPictures.h"
#include "TestWidgets.h"

#include "widgets/ImageButton.h"
#include "widgets/ShutdownQLabel.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QColor captionColour(255, 255, 255);

QColor shownColour(const ImageButton &button)
{
    const QImage face = button.icon().pixmap(button.iconSize()).toImage();
    return QColor::fromRgba(face.pixel(2, 2));
}

// The rows of a face that hold text: pixels in the text colour on a clear picture.
QPair<int, int> inkRows(const QImage &face)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            if (qAlpha(face.pixel(x, y)) > 128) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
        }
    }
    return {first, last};
}

} // namespace

class tst_PictureWidgets : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void imageButtonFacesPerState();
    void imageButtonCaptionOnEveryPicture();
    void shutdownTextAlignment_data();
    void shutdownTextAlignment();
    void shutdownHoverAndPress();

private:
    std::unique_ptr<ImageButton> makeButton(const QString &caption);

    std::unique_ptr<TestPictures> pictures;
};

void tst_PictureWidgets::init()
{
    pictures = std::make_unique<TestPictures>();
    pictures->resetSettings();
    pictures->write(QStringLiteral("normal.png"), QSize(133, 76), Qt::red);
    pictures->write(QStringLiteral("disabled.png"), QSize(133, 76), Qt::gray);
    pictures->write(QStringLiteral("over.png"), QSize(133, 76), Qt::yellow);
    pictures->write(QStringLiteral("down.png"), QSize(133, 76), Qt::blue);
}

void tst_PictureWidgets::cleanup()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

std::unique_ptr<ImageButton> tst_PictureWidgets::makeButton(const QString &caption)
{
    return std::make_unique<ImageButton>(QRect(QPoint(10, 20), QPoint(142, 95)), pictures->path("normal.png"),
                                         pictures->path("disabled.png"), pictures->path("over.png"),
                                         pictures->path("down.png"), dejaVuPixels(16), caption,
                                         QRect(QPoint(0, 0), QPoint(132, 75)), Qt::AlignCenter, captionColour);
}

void tst_PictureWidgets::imageButtonFacesPerState()
{
    const std::unique_ptr<ImageButton> button = makeButton(QString());
    QCOMPARE(button->geometry(), QRect(10, 20, 133, 76));
    QCOMPARE(button->iconSize(), QSize(133, 76));
    QCOMPARE(shownColour(*button), QColor(Qt::red));

    sendEnter(button.get());
    QCOMPARE(shownColour(*button), QColor(Qt::yellow));
    sendMouse(button.get(), QEvent::MouseButtonPress, QPoint(50, 30), Qt::LeftButton);
    QCOMPARE(shownColour(*button), QColor(Qt::blue));
    // Released anywhere, even outside, the button shows the mouse-over picture.
    sendMouse(button.get(), QEvent::MouseMove, QPoint(500, 300), Qt::LeftButton);
    sendMouse(button.get(), QEvent::MouseButtonRelease, QPoint(500, 300), Qt::NoButton);
    QCOMPARE(shownColour(*button), QColor(Qt::yellow));
    sendLeave(button.get());
    QCOMPARE(shownColour(*button), QColor(Qt::red));

    button->BtnPress();
    QCOMPARE(shownColour(*button), QColor(Qt::blue));
    button->BtnRelease();
    QCOMPARE(shownColour(*button), QColor(Qt::yellow));
}

void tst_PictureWidgets::imageButtonCaptionOnEveryPicture()
{
    const QString missing = pictures->path(QStringLiteral("missing.png"));
    const ImageButton button(QRect(0, 0, 133, 76), missing, pictures->path("disabled.png"),
                             pictures->path("over.png"), pictures->path("down.png"), dejaVuPixels(16),
                             QStringLiteral("WWWWWW"), QRect(0, 0, 133, 76), Qt::AlignCenter, captionColour);

    for (const QImage *picture :
         {&button.normalPicture, &button.disabledPicture, &button.hoverPicture, &button.downPicture}) {
        bool captioned = false;
        for (int x = 0; x < picture->width() && !captioned; ++x)
            captioned = QColor::fromRgba(picture->pixel(x, 38)) == captionColour;
        QVERIFY(captioned);
    }
    // A picture that cannot be read is a clear canvas of the button's size.
    QCOMPARE(button.normalPicture.size(), QSize(133, 76));
    QCOMPARE(qAlpha(button.normalPicture.pixel(1, 1)), 0);
}

void tst_PictureWidgets::shutdownTextAlignment_data()
{
    QTest::addColumn<QString>("secondText");
    QTest::addColumn<bool>("centred");

    QTest::newRow("one blank: first text centred") << " " << true;
    QTest::newRow("one letter: first text centred") << "x" << true;
    QTest::newRow("empty: first text at the top") << "" << false;
    QTest::newRow("two lines") << "the computer" << false;
}

void tst_PictureWidgets::shutdownTextAlignment()
{
    QFETCH(QString, secondText);
    QFETCH(bool, centred);
    const QString missing = pictures->path(QStringLiteral("missing.png"));
    const QRect box(0, 0, 140, 140);

    const ShutdownQLabel label(QRect(0, 0, 140, 140), missing, missing, dejaVuPixels(16), box, QStringLiteral("Shut down"),
                               secondText, Qt::white, Qt::black);

    const QPair<int, int> rows = inkRows(label.normalFace);
    QVERIFY(rows.first >= 0);
    if (centred) {
        QVERIFY2(rows.first > 50, qPrintable(QString::number(rows.first)));
    } else {
        QVERIFY2(rows.first < 10, qPrintable(QString::number(rows.first)));
        if (secondText.size() > 1)
            QVERIFY2(rows.second > 125, qPrintable(QString::number(rows.second)));
    }
}

void tst_PictureWidgets::shutdownHoverAndPress()
{
    const QString normal = pictures->path(QStringLiteral("normal.png"));
    const QString hover = pictures->path(QStringLiteral("over.png"));
    ShutdownQLabel standBy(QRect(10, 10, 140, 140), normal, hover, dejaVuPixels(16), QRect(0, 80, 133, 60),
                           QStringLiteral("Stand by"), QStringLiteral(" "), Qt::white, Qt::black);
    ShutdownQLabel restart(QRect(160, 10, 140, 140), normal, hover, dejaVuPixels(16), QRect(0, 80, 133, 60),
                           QStringLiteral("Restart"), QStringLiteral(" "), Qt::white, Qt::black);
    QSignalSpy presses(&standBy, &ShutdownQLabel::LabelPress);
    QVERIFY(standBy.hasScaledContents());
    QCOMPARE(standBy.geometry(), QRect(10, 10, 140, 140));
    QCOMPARE(shownImage(standBy), standBy.normalFace);

    sendEnter(&standBy);
    QCOMPARE(shownImage(standBy), standBy.hoverFace);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    sendLeave(&standBy);
    sendEnter(&restart);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    sendLeave(&restart);
    QCOMPARE(shownImage(standBy), standBy.normalFace);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    QGuiApplication::restoreOverrideCursor();
    QVERIFY(!QGuiApplication::overrideCursor());

    sendMouse(&standBy, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    QCOMPARE(presses.count(), 1);
}

QTEST_MAIN(tst_PictureWidgets)
#include "tst_picturewidgets.moc"
