#include "FakeSystem.h"
#include "LanguageCases.h"
#include "ScopedVariable.h"
#include "TestFiles.h"
#include "platform/HiddenInput.h"
#include "platform/ScreenMetrics.h"
#include "platform/posix/LocaleLanguageIds.h"
#include "platform/posix/ModuleSound.h"
#include "platform/posix/ModuleSpeech.h"
#include "platform/posix/PosixSystemServices.h"
#include "platform/posix/QtScreenMetrics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

using platform::PosixSystemServices;

namespace {

// What the call writes to the standard error stream, caught in a file under `folder`.
template <typename Call>
QByteArray capturedStderr(const QString &folder, Call call)
{
    QFile file(folder + QStringLiteral("/stderr"));
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return QByteArray("(no capture file)");
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file.handle(), STDERR_FILENO);
    call();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

QString currentDirectory(PosixSystemServices &system)
{
    return QString::fromStdU16String(system.currentDirectory());
}

} // namespace

class TestPosixSystemServices : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void langIdForLocale_data();
    void langIdForLocale();
    void parseLangId_data();
    void parseLangId();
    void systemDefaultLangId_data();
    void systemDefaultLangId();

    void environmentStringsHoldTheProcessEnvironment();
    void setCurrentDirectory_data();
    void setCurrentDirectory();
    void executablePathIsThisProgram();
    void modulesAreFoundBesideTheProgram();
    void pinTypedOnATerminalIsNotShown();

    void screenMetrics_data();
    void screenMetrics();

private:
    QString startDirectory;
    PosixSystemServices system;
};

void TestPosixSystemServices::init()
{
    startDirectory = QDir::currentPath();
}

void TestPosixSystemServices::cleanup()
{
    QDir::setCurrent(startDirectory);
}

void TestPosixSystemServices::langIdForLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("langId");

    const struct
    {
        const char *locale;
        int langId;
    } rows[] = {
        {"de_AT.UTF-8@euro", 0x0C07}, {"de_DE.UTF-8", 0x0407}, {"de_CH", 0x0807},
        {"de_LI", 0x1407}, {"de", 0x0407}, {"de_XX", 0x0407}, {"de@euro", 0x0407},
        {"DE_at.utf8", 0x0C07},
        {"pt_BR.UTF-8", 0x0416}, {"pt_PT.UTF-8", 0x0816}, {"pt", 0x0416},
        {"zh_CN.GB18030", 0x0804}, {"zh_TW.Big5", 0x0404}, {"zh_HK", 0x0C04},
        {"zh_SG", 0x1004}, {"zh_MO", 0x1404}, {"zh", 0x0804}, {"zh_XX", 0x0804},
        {"es_ES.UTF-8", 0x0C0A}, {"es_MX", 0x080A}, {"es_PR", 0x500A}, {"es", 0x0C0A},
        {"es_XX", 0x0C0A},
        {"ar_SA", 0x0401}, {"ar_EG", 0x0C01}, {"ar_QA", 0x4001}, {"ar", 0x0401},
        {"fr_FR", 0x040C}, {"fr_CA", 0x0C0C}, {"fr_MC", 0x180C},
        {"it_CH", 0x0810}, {"nl_BE", 0x0813}, {"sv_FI", 0x081D},
        {"nb_NO", 0x0414}, {"no_NO", 0x0414}, {"nn_NO", 0x0814}, {"nn", 0x0814},
        {"ko_KR.EUC-KR", 0x0412}, {"ja_JP.eucJP", 0x0411}, {"af_ZA", 0x0436},
        {"fi_FI", 0x040B}, {"ru_RU.KOI8-R", 0x0419}, {"th_TH", 0x041E}, {"tr_TR", 0x041F},
        {"bg_BG", 0x0402}, {"ca_ES", 0x0403}, {"he_IL", 0x040D}, {"is_IS", 0x040F},
        {"ro_RO", 0x0418}, {"hr_HR", 0x041A}, {"sq_AL", 0x041C}, {"rm_CH", 0x0417},
        {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
        {"en_NZ", 0x1409}, {"en_IE@euro", 0x1809}, {"en_ZA", 0x1C09}, {"en_IN", 0x4009},
        {"C", 0x0409}, {"C.UTF-8", 0x0409}, {"POSIX", 0x0409}, {"", 0x0409},
        {"xx_YY", 0x0409}, {"sr_RS@latin", 0x0409}, {"_DE", 0x0409}, {"de_", 0x0407},
    };
    for (const auto &row : rows)
        QTest::newRow(*row.locale ? row.locale : "empty") << QString::fromLatin1(row.locale)
                                                           << row.langId;
    // The rows Wine's own mapping answers alike (tests/win32).
    for (const contract::LanguageCase &row : contract::kLanguageCases)
        QTest::addRow("shared: %s", row.locale) << QString::fromLatin1(row.locale) << int(row.langId);
}

void TestPosixSystemServices::langIdForLocale()
{
    QFETCH(QString, locale);
    QFETCH(int, langId);
    QCOMPARE(int(platform::langIdForLocale(locale.toStdString())), langId);
}

void TestPosixSystemServices::parseLangId_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("langId"); // -1: not a language identifier

    const struct
    {
        const char *name;
        const char *text;
        int langId;
    } rows[] = {
        {"bare", "0816", 0x0816},
        {"prefixed", "0x0816", 0x0816},
        {"upper prefix, lower digits", "0X0c07", 0x0C07},
        {"short", "816", 0x0816},
        {"leading zeros", "00000436", 0x0436},
        {"zero", "0", 0},
        {"largest", "FFFF", 0xFFFF},
        {"too large", "0x10000", -1},
        {"far too large", "123456789ABCDEF01", -1},
        {"empty", "", -1},
        {"prefix only", "0x", -1},
        {"not hexadecimal", "08G6", -1},
        {"word", "german", -1},
        {"signed", "-1", -1},
        {"spaced", " 0816", -1},
        {"trailing text", "0816x", -1},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.text) << row.langId;
}

void TestPosixSystemServices::parseLangId()
{
    QFETCH(QString, text);
    QFETCH(int, langId);
    const auto parsed = platform::parseLangId(text.toStdString());
    QCOMPARE(parsed ? int(*parsed) : -1, langId);
}

void TestPosixSystemServices::systemDefaultLangId_data()
{
    QTest::addColumn<QByteArray>("lumbraLangId");
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<int>("langId");
    QTest::addColumn<bool>("reported"); // one line on stderr naming the override

    const QByteArray unset;
    const QByteArray empty("");
    const auto set = [](const char *value) { return QByteArray(value); };
    QTest::newRow("LC_ALL first") << unset << set("fr_FR.UTF-8") << set("de_DE") << set("it_IT") << 0x040C << false;
    QTest::newRow("then LC_MESSAGES") << unset << unset << set("de_AT") << set("it_IT") << 0x0C07 << false;
    QTest::newRow("then LANG") << unset << unset << unset << set("pt_PT.UTF-8") << 0x0816 << false;
    QTest::newRow("empty skipped") << unset << empty << empty << set("sv_FI") << 0x081D << false;
    QTest::newRow("all empty") << unset << empty << empty << empty << 0x0409 << false;
    QTest::newRow("none set") << unset << unset << unset << unset << 0x0409 << false;
    QTest::newRow("C") << unset << set("C") << set("de_DE") << set("de_DE") << 0x0409 << false;
    QTest::newRow("POSIX") << unset << unset << set("POSIX") << set("de_DE") << 0x0409 << false;
    QTest::newRow("override") << set("0x0436") << set("de_DE") << unset << unset << 0x0436 << false;
    QTest::newRow("override bare") << set("0C04") << unset << unset << set("ja_JP") << 0x0C04 << false;
    QTest::newRow("override zero") << set("0") << set("de_DE") << unset << unset << 0x0000 << false;
    QTest::newRow("override empty") << empty << set("de_CH") << unset << unset << 0x0807 << false;
    QTest::newRow("override invalid") << set("portuguese") << set("nl_BE") << unset << unset << 0x0813 << true;
    QTest::newRow("override not hexadecimal") << set("0x08z6") << set("ko_KR.UTF-8") << unset << unset << 0x0412
                                              << true;
    QTest::newRow("override too large") << set("0x10816") << unset << unset << set("zh_HK.UTF-8") << 0x0C04 << true;
}

void TestPosixSystemServices::systemDefaultLangId()
{
    QFETCH(QByteArray, lumbraLangId);
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(int, langId);
    QFETCH(bool, reported);
    const ScopedVariable chosen("LUMBRA_LANGID", lumbraLangId);
    const ScopedVariable all("LC_ALL", lcAll);
    const ScopedVariable messages("LC_MESSAGES", lcMessages);
    const ScopedVariable language("LANG", lang);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    int answer = -1;
    const QByteArray output = capturedStderr(folder.path(), [&] { answer = system.systemDefaultLangId(); });
    QCOMPARE(answer, langId);
    QCOMPARE(output.count('\n'), reported ? 1 : 0);
    QVERIFY2(!reported || (output.endsWith('\n') && output.contains("LUMBRA_LANGID \"" + lumbraLangId)),
             output.constData());
}

void TestPosixSystemServices::environmentStringsHoldTheProcessEnvironment()
{
    const QString value = QStringLiteral("Wert mit Umlaut \u00e4 und = Zeichen");
    qputenv("LUMBRA_TEST_MARKER", value.toUtf8());
    qunsetenv("LUMBRA_TEST_ABSENT");
    const std::vector<std::u16string> entries = system.environmentStrings();
    qunsetenv("LUMBRA_TEST_MARKER");

    const std::u16string marker = (QStringLiteral("LUMBRA_TEST_MARKER=") + value).toStdU16String();
    QCOMPARE(std::count(entries.begin(), entries.end(), marker), 1);
    for (const std::u16string &entry : entries)
        QVERIFY(entry.rfind(u"LUMBRA_TEST_ABSENT=", 0) != 0);
}

void TestPosixSystemServices::setCurrentDirectory_data()
{
    QTest::addColumn<QString>("relativePath"); // against a fresh temporary folder
    QTest::addColumn<bool>("changes");

    QTest::newRow("a folder") << QStringLiteral("/Ordner \u00fc") << true;
    QTest::newRow("missing folder") << QStringLiteral("/missing") << false;
    QTest::newRow("a file") << QStringLiteral("/file") << false;
    QTest::newRow("NUL inside") << QStringLiteral("/Ordner \u00fc") + QChar(0) + QStringLiteral("x") << false;
}

void TestPosixSystemServices::setCurrentDirectory()
{
    QFETCH(QString, relativePath);
    QFETCH(bool, changes);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString base = QFileInfo(folder.path()).canonicalFilePath();
    QVERIFY(QDir(base).mkdir(QStringLiteral("Ordner \u00fc")));
    QVERIFY(writeFile(base + QStringLiteral("/file"), QByteArray()));
    const QString before = currentDirectory(system);
    QCOMPARE(before, QDir::currentPath());

    QVERIFY(!system.setCurrentDirectory(std::u16string()));
    QCOMPARE(system.setCurrentDirectory((base + relativePath).toStdU16String()), changes);
    QCOMPARE(currentDirectory(system), changes ? base + relativePath : before);
    QCOMPARE(QDir::currentPath(), currentDirectory(system));
    QVERIFY(system.setCurrentDirectory(before.toStdU16String()));
    QCOMPARE(currentDirectory(system), before);
}

void TestPosixSystemServices::executablePathIsThisProgram()
{
    const QString path = QString::fromStdU16String(system.executablePath());
    QVERIFY(QFileInfo(path).isAbsolute());
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("tst_posixsystemservices"));
    QCOMPARE(QFileInfo(path).canonicalFilePath(),
             QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
}

// Music and speech come from the modules installed beside the program.
// While a PIN is typed at a terminal its digits are not echoed, the line end is; afterwards
// the terminal echoes again.
void TestPosixSystemServices::pinTypedOnATerminalIsNotShown()
{
    int master = -1, terminal = -1;
    QCOMPARE(::openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
    const int savedInput = ::dup(STDIN_FILENO);
    QVERIFY(::dup2(terminal, STDIN_FILENO) == STDIN_FILENO);
    termios during{}, after{};
    {
        const platform::HiddenInput input;
        ::tcgetattr(STDIN_FILENO, &during);
    }
    ::tcgetattr(STDIN_FILENO, &after);
    ::dup2(savedInput, STDIN_FILENO);
    for (const int fd : {savedInput, terminal, master})
        ::close(fd);
    QCOMPARE(during.c_lflag & (ECHO | ECHONL), tcflag_t(ECHONL));
    QVERIFY(after.c_lflag & ECHO);
}

void TestPosixSystemServices::modulesAreFoundBesideTheProgram()
{
    FakeSystem beside;
    beside.program = QStringLiteral(LUMBRA_EXECUTABLE);
    QTemporaryDir folder;
    const QByteArray said = capturedStderr(folder.path(), [] {
        platform::ModuleSound().play(u"");
        platform::ModuleSpeech().say(u"", "en");
    });
    QVERIFY2(!said.contains("no music") && !said.contains("no speech"), said.constData());
}

void TestPosixSystemServices::screenMetrics_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expected");

    // The offscreen platform the tests run on has one screen of 800 x 800, all of it free.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("the screen's size is known only on the offscreen platform");
    QTest::newRow("full-screen width") << platform::kSmCxFullScreen << 800;
    QTest::newRow("full-screen height") << platform::kSmCyFullScreen << 800;
    QTest::newRow("caption") << platform::kSmCyCaption << 0;
    QTest::newRow("screen width is not asked for") << 0 << 0;
    QTest::newRow("negative") << -1 << 0;
    QTest::newRow("far out") << 9999 << 0;
}

void TestPosixSystemServices::screenMetrics()
{
    QFETCH(int, index);
    QFETCH(int, expected);
    platform::QtScreenMetrics metrics;
    QCOMPARE(metrics.systemMetric(index), expected);
}

QTEST_MAIN(TestPosixSystemServices)
#include "tst_posixsystemservices.moc"
