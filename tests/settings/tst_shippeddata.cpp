// What the program carries besides its settings: the pictures embedded in the dialogs, the
// shut-down dialog's translations, the fonts its languages need and the background music. A
// picture of the wrong size is stretched, a missing translation shows its key
// ("StandByString1") on the button, a script without a font shows boxes, and music that starts
// or stops on a loud sample clicks. And the factory settings on the screens the launcher meets,
// from a netbook's to a television's: every page measured.

#include "LauncherFixture.h"
#include "RecordingTargets.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include "app/selectlumbraorwin.h"
#include "dialogs/DropIconDialog.h"
#include "dialogs/LumbraShutDown.h"
#include "dialogs/PinPadDialog.h"
#include "dialogs/ThemeSettingDialog.h"
#include "dialogs/TrayIconLumbraSettingdialog.h"
#include "i18n/LanguageChoice.h"
#include "launcher/lumbra.h"
#include "platform/WindowMessages.h"
#include "settings/PinHash.h"
#include "settings/RegFileImporter.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <QTranslator>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

const QString kProgramFolder = QStringLiteral(LUMBRA_BUILD_DIR);

// The shut-down dialog's translation files, one per code of its table.
const QStringList kShutDownCodes = {
    QStringLiteral("AR"), QStringLiteral("BR"), QStringLiteral("CN"), QStringLiteral("CS"), QStringLiteral("DA"),
    QStringLiteral("DE"), QStringLiteral("EL"), QStringLiteral("ES"), QStringLiteral("FI"), QStringLiteral("FR"),
    QStringLiteral("HK"), QStringLiteral("HU"), QStringLiteral("IT"), QStringLiteral("JA"), QStringLiteral("KO"),
    QStringLiteral("NL"), QStringLiteral("NO"), QStringLiteral("PL"), QStringLiteral("RU"), QStringLiteral("SK"),
    QStringLiteral("SV"), QStringLiteral("TH"), QStringLiteral("TR"), QStringLiteral("TW"), QStringLiteral("EN")};

// The dialog's keys in pairs: the two lines of one button.
const QList<QPair<const char *, const char *>> kShutDownButtons = {
    {"QuitLumbraString1", "QuitLumbraString2"}, {"TaskManegerString1", "TaskMAnagerString2"},
    {"StandByString1", "StandByString2"},       {"RestartString1", "RestartString2"},
    {"ShutDownString1", "ShutDownString2"},     {"QuitString1", "QuitString2"}};

// The families of the installed fonts that match a fontconfig pattern.
QString fontsMatching(const QString &pattern)
{
    QProcess list;
    list.start(QStringLiteral("fc-list"), {pattern, QStringLiteral("family")});
    list.waitForFinished();
    return QString::fromUtf8(list.readAllStandardOutput()).trimmed();
}

// The characters beyond ASCII of a factory tree (UTF-16 after a byte order mark), as
// fontconfig's charset pattern.
QString charsetOf(const QString &code)
{
    const QByteArray bytes = fileBytes(kProgramFolder + QLatin1Char('/') + code + QStringLiteral(".reg")).mid(2);
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
    QStringList hex;
    for (char32_t character : text.toUcs4()) {
        if (character > 0x7F && !hex.contains(QString::number(character, 16)))
            hex.append(QString::number(character, 16));
    }
    return hex.join(QLatin1Char(' '));
}

struct Wav
{
    int channels = 0;
    int rate = 0;
    int bits = 0;
    QList<double> samples; // interleaved, -1 to 1
};

// A canonical PCM WAV file: RIFF, then chunks, "fmt " before "data".
bool readWav(const QByteArray &bytes, Wav *wav)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return false;
    qsizetype at = 12;
    bool format = false;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        const char *body = bytes.constData() + at + 8;
        if (at + 8 + qsizetype(size) > bytes.size())
            return false;
        if (id == "fmt " && size >= 16) {
            format = qFromLittleEndian<quint16>(body) == 1;
            wav->channels = qFromLittleEndian<quint16>(body + 2);
            wav->rate = int(qFromLittleEndian<quint32>(body + 4));
            wav->bits = qFromLittleEndian<quint16>(body + 14);
        } else if (id == "data" && format && wav->bits == 16) {
            for (quint32 i = 0; i + 1 < size; i += 2)
                wav->samples.append(qFromLittleEndian<qint16>(body + i) / 32768.0);
            return true;
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return false;
}

double peakOf(const QList<double> &samples, qsizetype from, qsizetype count)
{
    double peak = 0.0;
    for (qsizetype i = from; i < std::min(samples.size(), from + count); ++i)
        peak = std::max(peak, std::abs(samples.at(i)));
    return peak;
}

} // namespace

class tst_ShippedData : public LauncherFixture
{
    Q_OBJECT

private slots:
    void everyFactoryPageFitsTheScreen_data();
    void everyFactoryPageFitsTheScreen();
    void embeddedPicturesHaveTheirSize_data();
    void embeddedPicturesHaveTheirSize();
    void shutDownTranslationsAreComplete_data();
    void shutDownTranslationsAreComplete();
    void shutDownFontComesDownToFit();
    void noTranslationBeyondTheTable();
    void everyLanguageHasAFont_data();
    void everyLanguageHasAFont();
    void backgroundMusicIsCalm();
    void factoryWindowsLookAsKept_data();
    void factoryWindowsLookAsKept();
};

void tst_ShippedData::embeddedPicturesHaveTheirSize_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");

    auto add = [](const QString &path, QSize size) { QTest::newRow(qPrintable(path)) << path << size; };
    add(QStringLiteral(":/images/bg.png"), QSize(495, 347));
    for (const char *state : {"norm", "down", "over"}) {
        add(QStringLiteral(":/images/long_button_%1.png").arg(QLatin1String(state)), QSize(387, 74));
        add(QStringLiteral(":/images/short_button_%1.png").arg(QLatin1String(state)), QSize(135, 64));
    }
    add(QStringLiteral(":/images/sound_on.png"), QSize(35, 35));
    add(QStringLiteral(":/images/sound_off.png"), QSize(35, 35));
    for (const char *state : {"normal", "disable", "mouseover", "mousedown"}) {
        // The start choice dialog names them without the slash after the colon.
        add(QStringLiteral(":images/LUMBRA_%1.png").arg(QLatin1String(state)), QSize(133, 76));
        add(QStringLiteral(":images/XP_%1.png").arg(QLatin1String(state)), QSize(133, 76));
    }
    add(QStringLiteral(":/Image/Image/taskmanager.png"), QSize(20, 20));
    add(QStringLiteral(":/Image/Image/bg.png"), QSize(700, 180));
    for (const char *action : {"full_screen", "task_manager", "standby", "restart", "shutdown"}) {
        for (const char *state : {"norm", "hi"})
            add(QStringLiteral(":/Image/Image/%1_%2.png").arg(QLatin1String(action), QLatin1String(state)),
                QSize(140, 140));
    }
    add(QStringLiteral(":/Image/Image/quit_norm.png"), QSize(138, 31));
    add(QStringLiteral(":/Image/Image/quit_hi.png"), QSize(138, 31));
    add(QStringLiteral(":/Image/Image/shutdown.png"), QSize(20, 20));
}

// Each picture is drawn at the size its dialog shows it, and shows something.
void tst_ShippedData::embeddedPicturesHaveTheirSize()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < 2; y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            colours << image.pixel(x, y);
    }
    QVERIFY2(colours.size() >= 2, "a blank picture");
}

void tst_ShippedData::shutDownTranslationsAreComplete_data()
{
    QTest::addColumn<QString>("code");
    for (const QString &code : kShutDownCodes)
        QTest::newRow(qPrintable(code)) << code;
}

// Every key is translated, and each button's text fits its box in the dialog's font: 140 wide
// and two lines high on the large buttons, one line in the small close button.
void tst_ShippedData::shutDownTranslationsAreComplete()
{
    QFETCH(QString, code);
    QTranslator translator;
    QVERIFY(translator.load(kProgramFolder + QStringLiteral("/Language/lumbrashutdown") + code));

    // The font the dialog draws in, as this system resolves its family.
    const QFont font = LumbraShutDown::buttonFont(code == QLatin1String("FI") ? 0x040B : 0x0409);
    QVERIFY(font.pixelSize() >= 11);
    const QFontMetrics metrics(font);
    for (const auto &[firstKey, secondKey] : kShutDownButtons) {
        const QString first = translator.translate("LumbraShutDown", firstKey);
        const QString second = translator.translate("LumbraShutDown", secondKey);
        QVERIFY2(!first.trimmed().isEmpty(), firstKey);
        QVERIFY2(!second.isEmpty(), secondKey);
        const bool close = QByteArray(firstKey) == "QuitString1";
        const int width = close ? 138 : 140;
        QVERIFY2(metrics.horizontalAdvance(first) <= width, qPrintable(first));
        QVERIFY2(metrics.horizontalAdvance(second) <= width, qPrintable(second));
        if (close)
            QCOMPARE(second.size(), 1);
        else if (second.size() > 1)
            QVERIFY(2 * metrics.height() <= 40);
    }
}

// A family standing in for Arial that is taller (Loma's lines are): the size comes down
// until two lines fit the caption box.
void tst_ShippedData::shutDownFontComesDownToFit()
{
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Loma"));
    const QFont font = LumbraShutDown::buttonFont(0x0409);
    QFont::removeSubstitutions(QStringLiteral("Arial"));
    QVERIFY2(font.pixelSize() < 16, qPrintable(QFontInfo(font).family()));
    QVERIFY(2 * QFontMetrics(font).height() <= 40);
}

// The dialog reads Portuguese of both regions from the BR file.
void tst_ShippedData::noTranslationBeyondTheTable()
{
    QVERIFY(!QFile::exists(kProgramFolder + QStringLiteral("/Language/lumbrashutdownPT.qm")));
}

void tst_ShippedData::everyLanguageHasAFont_data()
{
    QTest::addColumn<QString>("code");
    const QStringList trees = QDir(kProgramFolder).entryList({QStringLiteral("??.reg")}, QDir::Files);
    QCOMPARE(trees.size(), 26);
    for (const QString &tree : trees)
        QTest::newRow(qPrintable(tree.left(2))) << tree.left(2);
}

// A font for the tree's script, in fontconfig's name of the tree's language, and one font
// with every character the tree shows. Hong Kong's tree is written in Taiwan's characters;
// fontconfig's zh-hk also asks for Hong Kong's additions, which no compact font has.
void tst_ShippedData::everyLanguageHasAFont()
{
    QFETCH(QString, code);
    const QString language = desktopLocaleFor(code).toLower().replace(u'_', u'-').replace(QStringLiteral("zh-hk"), QStringLiteral("zh-tw"));
    QVERIFY2(!fontsMatching(QStringLiteral(":lang=") + language).isEmpty(), qPrintable(language));
    const QString charset = charsetOf(code);
    QVERIFY2(!fontsMatching(QStringLiteral(":charset=") + charset).isEmpty(), qPrintable(charset));
}

// About half a minute, soft, starting and ending in silence.
void tst_ShippedData::backgroundMusicIsCalm()
{
    Wav wav;
    QVERIFY(readWav(fileBytes(kProgramFolder + QStringLiteral("/bgmusic.wav")), &wav));
    QVERIFY(wav.channels == 1 || wav.channels == 2);
    QVERIFY(wav.rate >= 22050);
    const double seconds = double(wav.samples.size()) / wav.channels / wav.rate;
    QVERIFY2(seconds >= 20.0 && seconds <= 40.0, qPrintable(QString::number(seconds)));

    const double peak = peakOf(wav.samples, 0, wav.samples.size());
    QVERIFY2(peak > 0.1 && peak <= 0.6, qPrintable(QString::number(peak)));
    const qsizetype edge = wav.rate * wav.channels / 20;
    QVERIFY(peakOf(wav.samples, 0, edge) < 0.02);
    QVERIFY(peakOf(wav.samples, wav.samples.size() - edge, edge) < 0.02);
}

void tst_ShippedData::everyFactoryPageFitsTheScreen_data()
{
    QTest::addColumn<QSize>("start");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("theme");
    QTest::addColumn<bool>("fit");
    QTest::addColumn<QSize>("cell");
    const auto row = [](QSize start, QSize screen, int theme, bool fit, QSize cell) {
        QTest::addRow("%dx%d to %dx%d, theme %d, fit %d", start.width(), start.height(), screen.width(),
                      screen.height(), theme, fit)
            << start << screen << theme << fit << cell;
    };
    // FIT_TO_SCREEN: the strip and three rows fill every screen's height as the factory sizes
    // fill 768 pixels, as wide as the columns allow.
    const QList<QPair<QSize, QSize>> fitted = {{{640, 480}, {93, 85}},     {{800, 600}, {117, 106}},
                                               {{1024, 600}, {117, 106}},  {{1366, 768}, {150, 136}},
                                               {{1920, 1080}, {210, 191}}, {{3840, 2160}, {421, 382}}};
    for (const auto &[screen, cell] : fitted)
        row(screen, screen, 1, true, cell);
    // A tree installed before it keeps its sizes exactly where they fit; smaller where icons
    // would overlap.
    const QList<QPair<QSize, QSize>> kept = {{{640, 480}, {111, 100}},   {{800, 600}, {139, 126}},
                                             {{1024, 600}, {150, 136}},  {{1366, 768}, {150, 136}},
                                             {{1920, 1080}, {150, 136}}, {{3840, 2160}, {150, 136}}};
    for (const auto &[screen, cell] : kept)
        row(screen, screen, 1, false, cell);
    row({1024, 600}, {1024, 600}, 2, true, {117, 106});
    row({1024, 600}, {1024, 600}, 3, true, {117, 106});
    // A change of the display lays everything out anew.
    row({1024, 768}, {800, 600}, 1, false, {139, 126});
    row({1024, 768}, {3840, 2160}, 1, true, {421, 382});
}

// The English factory settings in a launcher on a screen of that size, with the pictures the
// build made: on every page, sub-tabs too, each icon on the page at its cell's size, clear of
// the others and of the paging buttons; the tabs in the strip, clear of each other and of the
// house and the speaker, which a click reaches; and so after a theme is chosen.
void tst_ShippedData::everyFactoryPageFitsTheScreen()
{
    QFETCH(QSize, start);
    QFETCH(QSize, screen);
    QFETCH(int, theme);
    QFETCH(bool, fit);
    QFETCH(QSize, cell);
    RegFileImporter(platform->registry()).importFile(kProgramFolder + QStringLiteral("/EN.reg"));
    QCOMPARE(loadAllSettings(theSettings), 1);
    QCOMPARE(theSettings.mySystem.FIT_TO_SCREEN, 1);
    theSettings.mySystem.FIT_TO_SCREEN = fit;
    platform->screen.width = start.width();
    platform->screen.height = start.height();
    QDir::setCurrent(kProgramFolder);
    startOnSettings();
    platform->screen.width = screen.width();
    platform->screen.height = screen.height();
    if (start != screen)
        launcher->handleMessage(platform::kWmDisplayChange, 0);
    launcher->timerStart_slot();
    // The theme is chosen while the launcher runs.
    theSettings.mySystem.CURRENT_THEME = theme;
    launcher->applyTheme();
    QCOMPARE(launcher->size(), screen);
    QCOMPARE(launcher->tabCount(), 6);
    QCOMPARE(QSize(theSettings.cellWidth, theSettings.cellHeight), cell);
    QCOMPARE(icon(0, 0)->size(), cell);
    // The names grow and shrink with their icons.
    QVERIFY(std::abs(icon(0, 0)->nameFont.pixelSize() - 18.0 * cell.height() / 136) <= 1);
    for (int t = 0; t < launcher->tabCount(); ++t)
        QVERIFY2(misplaced(t).isEmpty(), qPrintable(QStringLiteral("tab %1: ").arg(t + 1) + misplaced(t)));
}

// Text is measured, so the test needs a GUI application (offscreen, from CTest).
void tst_ShippedData::factoryWindowsLookAsKept_data()
{
    QTest::addColumn<QString>("scene");
    for (const char *scene : {"launcher", "tab-2", "tab-3", "tab-4", "tab-5", "folder", "scanning", "notice", "delete-kept", "shut-down", "theme", "settings", "drop", "pin-pad", "start-choice", "no-settings"})
        QTest::newRow(scene) << QString::fromLatin1(scene);
}

// The English factory settings as a person sees them, against the picture kept of each
// window: what no other check measures (a caption's place, a colour, a font, a frame) shows.
void tst_ShippedData::factoryWindowsLookAsKept()
{
    QFETCH(QString, scene);
    RegFileImporter(platform->registry()).importFile(kProgramFolder + QStringLiteral("/EN.reg"));
    QCOMPARE(loadAllSettings(theSettings), 1);
    QDir::setCurrent(kProgramFolder);
    if (scene == u"notice")
        platform->targets.missing.insert(QStringLiteral("*"));
    if (scene == u"scanning")
        theSettings.mySystem.SWITCH_SCAN_MS = 1000000; // its first step, held
    if (scene == u"no-settings")
        theSettings.origin.state = StoreOrigin::State::NoTree;
    startOnSettings();
    launcher->timerStart_slot();
    std::unique_ptr<QDialog> dialog;
    if (scene.startsWith(u"tab-"))
        pressTab(scene.mid(4).toInt() - 1);
    if (scene == u"folder") {
        // Accessories, under Files on the last tab: its page shows the back bar.
        pressTab(4);
        key(platform::kVkDown);
        key(platform::kVkReturn);
    } else if (scene == u"notice") {
        // The last icon of the row: the notice stands to its left, where there is room.
        for (int step = 0; step < 4; ++step)
            key(platform::kVkRight);
        key(platform::kVkReturn);
    } else if (scene == u"delete-kept") {
        key(platform::kVkDelete); // a factory icon stays, and the keys show where they are
    } else if (scene == u"shut-down") {
        dialog = std::make_unique<LumbraShutDown>(nullptr);
    } else if (scene == u"theme") {
        auto theme = std::make_unique<ThemeSettingDialog>(nullptr);
        theme->setupThemeDialog();
        theme->loadThemeList();
        dialog = std::move(theme);
    } else if (scene == u"settings") {
        auto settings = std::make_unique<TrayIconLumbraSettingdialog>();
        settings->prepareDialog();
        dialog = std::move(settings);
    } else if (scene == u"drop") {
        auto drop = std::make_unique<DropIconDialog>();
        QString path = QStringLiteral("/opt/tools/tool");
        drop->setDroppedFile(path, QStringLiteral("tool"));
        dialog = std::move(drop);
    } else if (scene == u"start-choice") {
        dialog = std::make_unique<selectlumbraorwin>(theSettings.getString(TextSetting::LUMBRA_WINDOWTITLE),
                                                     theSettings.getFont(FontSetting::SYSTEM_STRING_FONT),
                                                     theSettings.getString(TextSetting::DIALOG_LUMBRA_NAME),
                                                     theSettings.getString(TextSetting::DIALOG_WINDOWMODE_NAME));
    } else if (scene == u"pin-pad") {
        dialog = std::make_unique<PinPadDialog>(PinHash::make(QStringLiteral("1234"), "0123456789abcdef", 1000));
    }
    QWidget &shown = dialog ? *dialog : static_cast<QWidget &>(*launcher);
    shown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&shown));
    QVERIFY(looksAsKept(shown, scene));
}

QTEST_MAIN(tst_ShippedData)
#include "tst_shippeddata.moc"
