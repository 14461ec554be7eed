#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"

#include <QSet>
#include <QTest>

namespace {

// Answers one fixed language and nothing else; the other services are never asked.
class FixedLanguageSystem : public platform::SystemServices
{
public:
    explicit FixedLanguageSystem(std::uint16_t langId) : langId(langId) {}

    std::uint16_t systemDefaultLangId() override { return langId; }
    std::u16string executablePath() override { return {}; }
    std::u16string currentDirectory() override { return {}; }
    bool setCurrentDirectory(const std::u16string &) override { return false; }
    std::vector<std::u16string> environmentStrings() override { return {}; }
    void sleep(unsigned) override {}

private:
    std::uint16_t langId;
};

} // namespace

class TestLanguageChoice : public QObject
{
    Q_OBJECT

private slots:
    void languageCodeIsEmptyBeforeStartUp();
    void languageCodeForLangId_data();
    void languageCodeForLangId();
    void onlyTheListedIdentifiersHaveCodes();
    void chooseLanguageCode_data();
    void chooseLanguageCode();
    void cleanup();
};

void TestLanguageChoice::cleanup()
{
    platform::useSystem(nullptr);
}

void TestLanguageChoice::languageCodeIsEmptyBeforeStartUp()
{
    QVERIFY(languageCode.isEmpty());
}

void TestLanguageChoice::languageCodeForLangId_data()
{
    QTest::addColumn<quint16>("langId");
    QTest::addColumn<QString>("code");

    const struct
    {
        const char *name;
        quint16 langId;
        const char *code;
    } rows[] = {
        {"English US", 0x0409, "EN"}, {"English UK", 0x0809, "EN"},
        {"English Australia", 0x0C09, "EN"}, {"no language", 0x0000, "EN"},
        {"all bits", 0xFFFF, "EN"},
        {"Bulgarian", 0x0402, "EN"}, {"Catalan", 0x0403, "EN"}, {"Hebrew", 0x040D, "EN"},
        {"Icelandic", 0x040F, "EN"}, {"Romansh", 0x0417, "EN"}, {"Romanian", 0x0418, "EN"},
        {"Croatian", 0x041A, "EN"}, {"Albanian", 0x041C, "EN"},
        {"Arabic Saudi Arabia", 0x0401, "AR"}, {"Arabic Egypt", 0x0C01, "AR"},
        {"Arabic Qatar", 0x4001, "AR"}, {"Arabic past Qatar", 0x4401, "EN"},
        {"Portuguese Brazil", 0x0416, "BR"}, {"Portuguese Portugal", 0x0816, "PT"},
        {"Chinese PRC", 0x0804, "CN"}, {"Chinese Taiwan", 0x0404, "TW"},
        {"Chinese Hong Kong", 0x0C04, "HK"}, {"Chinese Singapore", 0x1004, "TW"},
        {"Chinese Macao", 0x1404, "TW"}, {"Afrikaans", 0x0436, "TW"},
        {"Czech", 0x0405, "CS"}, {"Danish", 0x0406, "DA"},
        {"German", 0x0407, "DE"}, {"German Austria", 0x0C07, "DE"},
        {"German Liechtenstein", 0x1407, "DE"}, {"Greek", 0x0408, "EL"},
        {"Spanish traditional", 0x040A, "ES"}, {"Spanish modern", 0x0C0A, "ES"},
        {"Spanish Puerto Rico", 0x500A, "ES"}, {"Spanish US", 0x540A, "EN"},
        {"Finnish", 0x040B, "FI"}, {"French", 0x040C, "FR"}, {"French Monaco", 0x180C, "FR"},
        {"Hungarian", 0x040E, "HU"}, {"Italian", 0x0410, "IT"},
        {"Italian Switzerland", 0x0810, "IT"}, {"Japanese", 0x0411, "JA"},
        {"Korean", 0x0412, "KO"}, {"Korean Johab", 0x0812, "KO"}, {"Dutch", 0x0413, "NL"},
        {"Dutch Belgium", 0x0813, "NL"}, {"Norwegian Bokmal", 0x0414, "NO"},
        {"Norwegian Nynorsk", 0x0814, "NO"}, {"Polish", 0x0415, "PL"},
        {"Russian", 0x0419, "RU"}, {"Slovak", 0x041B, "SK"}, {"Swedish", 0x041D, "SV"},
        {"Swedish Finland", 0x081D, "SV"}, {"Thai", 0x041E, "TH"}, {"Turkish", 0x041F, "TR"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.langId << QString::fromLatin1(row.code);
}

void TestLanguageChoice::languageCodeForLangId()
{
    QFETCH(quint16, langId);
    QFETCH(QString, code);
    QCOMPARE(::languageCodeForLangId(langId), code);
}

// A match on the primary language alone, or a stray identifier in the table, would give
// some other identifier a code: sweep all of them.
void TestLanguageChoice::onlyTheListedIdentifiersHaveCodes()
{
    int translated = 0;
    QSet<QString> codes;
    for (unsigned langId = 0; langId <= 0xFFFF; ++langId) {
        const QString code = ::languageCodeForLangId(static_cast<quint16>(langId));
        codes.insert(code);
        if (code != QLatin1String("EN"))
            ++translated;
    }
    QCOMPARE(translated, 76);
    const QStringList all = {"AR", "BR", "CN", "CS", "DA", "DE", "EL", "EN", "ES",
                             "FI", "FR", "HK", "HU", "IT", "JA", "KO", "NL", "NO",
                             "PL", "PT", "RU", "SK", "SV", "TH", "TR", "TW"};
    QCOMPARE(codes, QSet<QString>(all.begin(), all.end()));
}

void TestLanguageChoice::chooseLanguageCode_data()
{
    QTest::addColumn<quint16>("langId");
    QTest::addColumn<QString>("code");
    QTest::newRow("Portuguese Portugal") << quint16(0x0816) << QStringLiteral("PT");
    QTest::newRow("Afrikaans") << quint16(0x0436) << QStringLiteral("TW");
    QTest::newRow("Chinese Hong Kong") << quint16(0x0C04) << QStringLiteral("HK");
    QTest::newRow("English US") << quint16(0x0409) << QStringLiteral("EN");
}

void TestLanguageChoice::chooseLanguageCode()
{
    QFETCH(quint16, langId);
    QFETCH(QString, code);
    FixedLanguageSystem system(langId);
    platform::useSystem(&system);
    QCOMPARE(::chooseLanguageCode(), code);
}

QTEST_GUILESS_MAIN(TestLanguageChoice)
#include "tst_languagechoice.moc"
