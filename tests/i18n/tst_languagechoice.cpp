#include "FakeSystem.h"

#include "i18n/LanguageChoice.h"

#include <QHash>
#include <QTest>

class TestLanguageChoice : public QObject
{
    Q_OBJECT

private slots:
    void languageCodeIsEmptyBeforeStartUp();
    void onlyTheListedIdentifiersHaveCodes();
    void chooseLanguageCode_data();
    void chooseLanguageCode();
};

void TestLanguageChoice::languageCodeIsEmptyBeforeStartUp()
{
    QVERIFY(languageCode.isEmpty());
}

// A match on the primary language alone, a stray identifier in the table, or one filed under
// the wrong code would give some identifier the wrong tree: sweep all of them. Every other
// identifier (0, 0xFFFF, Afrikaans, Spanish US, Arabic past Qatar) gets the English tree.
void TestLanguageChoice::onlyTheListedIdentifiersHaveCodes()
{
    const struct
    {
        const char *code;
        std::initializer_list<quint16> langIds;
    } listed[] = {
        {"AR", {0x0401, 0x0801, 0x0C01, 0x1001, 0x1401, 0x1801, 0x1C01, 0x2001, 0x2401, 0x2801, 0x2C01,
                0x3001, 0x3401, 0x3801, 0x3C01, 0x4001}},
        {"BR", {0x0416}}, {"CN", {0x0804, 0x1004}}, {"CS", {0x0405}}, {"DA", {0x0406}},
        {"DE", {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}}, {"EL", {0x0408}},
        {"ES", {0x040A, 0x080A, 0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A, 0x200A, 0x240A, 0x280A, 0x2C0A,
                0x300A, 0x340A, 0x380A, 0x3C0A, 0x400A, 0x440A, 0x480A, 0x4C0A, 0x500A}},
        {"FI", {0x040B}}, {"FR", {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C, 0x180C}}, {"HK", {0x0C04}},
        {"HU", {0x040E}}, {"IT", {0x0410, 0x0810}}, {"JA", {0x0411}}, {"KO", {0x0412, 0x0812}},
        {"NL", {0x0413, 0x0813}}, {"NO", {0x0414, 0x0814}}, {"PL", {0x0415}}, {"PT", {0x0816}},
        {"RU", {0x0419}}, {"SK", {0x041B}}, {"SV", {0x041D, 0x081D}}, {"TH", {0x041E}}, {"TR", {0x041F}},
        {"TW", {0x0404, 0x1404}},
    };
    QHash<quint16, QString> expected;
    for (const auto &row : listed) {
        for (quint16 langId : row.langIds)
            expected.insert(langId, QString::fromLatin1(row.code));
    }
    QCOMPARE(expected.size(), 75);
    for (unsigned langId = 0; langId <= 0xFFFF; ++langId) {
        const QString code = ::languageCodeForLangId(static_cast<quint16>(langId));
        if (code != expected.value(static_cast<quint16>(langId), QStringLiteral("EN")))
            QFAIL(qPrintable(QStringLiteral("0x%1 gives %2").arg(langId, 4, 16, QChar(u'0')).arg(code)));
    }
}

void TestLanguageChoice::chooseLanguageCode_data()
{
    QTest::addColumn<quint16>("langId");
    QTest::addColumn<QString>("code");
    QTest::newRow("Portuguese Portugal") << quint16(0x0816) << QStringLiteral("PT");
    QTest::newRow("Afrikaans") << quint16(0x0436) << QStringLiteral("EN");
    QTest::newRow("Chinese Hong Kong") << quint16(0x0C04) << QStringLiteral("HK");
    QTest::newRow("English US") << quint16(0x0409) << QStringLiteral("EN");
}

void TestLanguageChoice::chooseLanguageCode()
{
    QFETCH(quint16, langId);
    QFETCH(QString, code);
    const FakeSystem system(langId);
    QCOMPARE(::chooseLanguageCode(), code);
}

QTEST_GUILESS_MAIN(TestLanguageChoice)
#include "tst_languagechoice.moc"
