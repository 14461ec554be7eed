// Names that do not fit their box: drawn smaller, down to 70%, before anything is clipped;
// unchanged where they fit or where LABEL_FIT is not 1; and every factory name of every
// language whole at the factory sizes.

#include "TestPlatform.h"
#include "TestWidgets.h"

#include "i18n/LanguageChoice.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/FaceRecipes.h"

#include <QFontMetricsF>
#include <QTest>

namespace {

// Whether the name, drawn in `font` in the box, needs no more than two lines and no more
// room than the box has.
bool whole(const QString &name, const QFont &font, const QRectF &box)
{
    const QFontMetricsF metrics(font);
    const QRectF needed = metrics.boundingRect(QRectF(0, 0, box.width(), 1e6), kIconNameFlags, name);
    return needed.width() <= box.width() + 0.5 && needed.height() <= box.height() + 0.5
        && needed.height() <= 2 * metrics.lineSpacing() + 0.5;
}

} // namespace

class tst_LabelFit : public QObject
{
    Q_OBJECT

private slots:
    void fittedSize_data();
    void fittedSize();
    void iconFaceFollowsTheSetting_data();
    void iconFaceFollowsTheSetting();
    void everyFactoryNameIsWhole_data();
    void everyFactoryNameIsWhole();
};

void tst_LabelFit::fittedSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRectF>("box");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::addColumn<bool>("fits");

    const QRectF iconBox(0, 100, 150, 40);
    QTest::newRow("short name keeps its size") << "Web" << iconBox << 20 << 20 << true;
    QTest::newRow("two short lines keep their size") << "Web mail" << iconBox << 20 << 20 << true;
    QTest::newRow("long word is made smaller") << "Kalkulationen" << iconBox << 14 << 19 << true;
    QTest::newRow("three lines are made two") << "Notes for the week" << QRectF(0, 0, 120, 60) << 14 << 19 << true;
    QTest::newRow("hopeless name stops at 70%") << QString(60, u'W') << iconBox << 14 << 14 << false;
    QTest::newRow("empty name") << "" << iconBox << 20 << 20 << true;
    QTest::newRow("no box") << "Web" << QRectF(0, 0, 0, 0) << 20 << 20 << false;
    QTest::newRow("box of a negative size") << "Web" << QRectF(0, 0, -20, 40) << 20 << 20 << false;
}

void tst_LabelFit::fittedSize()
{
    QFETCH(QString, name);
    QFETCH(QRectF, box);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    QFETCH(bool, fits);
    const QFont font = fittedNameFont(name, dejaVuPixels(20, QFont::Bold), box, kIconNameFlags);
    QVERIFY2(font.pixelSize() >= lowest && font.pixelSize() <= highest, qPrintable(QString::number(font.pixelSize())));
    QCOMPARE(font.weight(), QFont::Bold);
    QCOMPARE(font.family(), QStringLiteral("DejaVu Sans"));
    // The same size given in points is made smaller alike.
    QFont points(font.family(), -1, QFont::Bold);
    points.setPointSizeF(QFontInfo(dejaVuPixels(20, QFont::Bold)).pointSizeF());
    QCOMPARE(fittedNameFont(name, points, box, kIconNameFlags).pointSizeF() < points.pointSizeF(),
             font.pixelSize() < 20);
    if (!name.isEmpty())
        QCOMPARE(whole(name, font, box), fits);
}

void tst_LabelFit::iconFaceFollowsTheSetting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("labelFit");
    QTest::addColumn<bool>("sameAsBefore");
    QTest::newRow("long name, on") << "Kalkulationen" << 1 << false;
    QTest::newRow("long name, off") << "Kalkulationen" << 0 << true;
    QTest::newRow("long name, unknown value") << "Kalkulationen" << 7 << true;
    QTest::newRow("short name, on") << "Web" << 1 << true;
}

// The face of an icon drawn as before the setting existed, against the face drawn now.
void tst_LabelFit::iconFaceFollowsTheSetting()
{
    QFETCH(QString, name);
    QFETCH(int, labelFit);
    QFETCH(bool, sameAsBefore);
    TestPlatform platform;
    theSettings = SettingStore();
    theSettings.mySystem.LABEL_FIT = labelFit;
    const QFont font = dejaVuPixels(20, QFont::Bold);
    APIconQLabel icon(0, 0, 140, 150, QString(), QString(), font, name, 0, 100, Qt::black, 0, 1, 1);
    QImage before = makeCanvas(150, 140);
    stampText(before, name, icon.nameFont, Qt::black, nameBox(0, 100, 150, 140), kIconNameFlags);
    QCOMPARE(icon.pixmap().toImage().convertToFormat(before.format()) == before, sameAsBefore);
    theSettings = SettingStore();
}

void tst_LabelFit::everyFactoryNameIsWhole_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &code : kLanguageCodes)
        QTest::newRow(qPrintable(code)) << code;
}

// The names as the factory files give them, at the factory sizes, in the face the icons
// draw them in: with LABEL_FIT none is cut.
void tst_LabelFit::everyFactoryNameIsWhole()
{
    QFETCH(QString, language);
    TestPlatform platform;
    const QString file = QStringLiteral(LUMBRA_BUILD_DIR) + u'/' + language + QStringLiteral(".reg");
    QCOMPARE(RegFileImporter(platform.registry()).importFile(file), RegFileImporter::Status::Imported);
    languageCode = language;
    initRegistryPaths();
    SettingStore store;
    QVERIFY(loadAllSettings(store));
    QCOMPARE(store.mySystem.LABEL_FIT, 1);
    QFont font = store.getFont(FontSetting::ICON_AP_NAME_FONT);
    font.setWeight(QFont::Bold);
    const IconLayout &layout = store.iconLayout;
    const QRectF box = nameBox(layout.ICON_AP_NAME_X_POSITION, layout.ICON_AP_NAME_Y_POSITION, layout.ICON_WIDTH,
                               layout.ICON_HEIGHT);
    QStringList cut;
    for (const IconInfo &icon : store.icons) {
        if (!whole(icon.ICON_AP_NAME, fittedNameFont(icon.ICON_AP_NAME, font, box, kIconNameFlags), box))
            cut.append(icon.ICON_AP_NAME);
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
}

QTEST_MAIN(tst_LabelFit)
#include "tst_labelfit.moc"
