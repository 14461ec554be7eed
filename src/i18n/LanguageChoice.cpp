#include "LanguageChoice.h"

#include "platform/Platform.h"
#include "platform/SystemServices.h"

#include <QHash>

#include <vector>

QString languageCode;

namespace {

struct LanguageRow
{
    const char *code;
    std::vector<quint16> langIds;
};

// Chinese and Portuguese are split by region: Singapore writes simplified characters, as the
// mainland does, Macao traditional ones, as Taiwan does. Afrikaans has no tree of its own and
// reads the English one. The shut-down dialog picks its translation by the same table.
QHash<quint16, QString> buildCodeTable()
{
    const LanguageRow rows[] = {
        {"AR", {0x0401, 0x0801, 0x0C01, 0x1001, 0x1401, 0x1801, 0x1C01, 0x2001,
                0x2401, 0x2801, 0x2C01, 0x3001, 0x3401, 0x3801, 0x3C01, 0x4001}},
        {"BR", {0x0416}},
        {"CN", {0x0804, 0x1004}},
        {"CS", {0x0405}},
        {"DA", {0x0406}},
        {"DE", {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}},
        {"EL", {0x0408}},
        {"ES", {0x040A, 0x080A, 0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A, 0x200A, 0x240A, 0x280A,
                0x2C0A, 0x300A, 0x340A, 0x380A, 0x3C0A, 0x400A, 0x440A, 0x480A, 0x4C0A, 0x500A}},
        {"FI", {0x040B}},
        {"FR", {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C, 0x180C}},
        {"HK", {0x0C04}},
        {"HU", {0x040E}},
        {"IT", {0x0410, 0x0810}},
        {"JA", {0x0411}},
        {"KO", {0x0412, 0x0812}},
        {"NL", {0x0413, 0x0813}},
        {"NO", {0x0414, 0x0814}},
        {"PL", {0x0415}},
        {"PT", {0x0816}},
        {"RU", {0x0419}},
        {"SK", {0x041B}},
        {"SV", {0x041D, 0x081D}},
        {"TH", {0x041E}},
        {"TR", {0x041F}},
        {"TW", {0x0404, 0x1404}},
    };
    QHash<quint16, QString> codes;
    for (const LanguageRow &row : rows) {
        for (quint16 langId : row.langIds)
            codes.insert(langId, QString::fromLatin1(row.code));
    }
    return codes;
}

} // namespace

QString languageCodeForLangId(quint16 langId)
{
    static const QHash<quint16, QString> codes = buildCodeTable();
    return codes.value(langId, QStringLiteral("EN"));
}

QString chooseLanguageCode()
{
    return languageCodeForLangId(platform::system().systemDefaultLangId());
}

QString desktopLocaleFor(const QString &code)
{
    // The codes that are not simply the language's two letters.
    static const QHash<QString, QString> regional = {
        {QStringLiteral("BR"), QStringLiteral("pt_BR")}, {QStringLiteral("CN"), QStringLiteral("zh_CN")},
        {QStringLiteral("TW"), QStringLiteral("zh_TW")}, {QStringLiteral("HK"), QStringLiteral("zh_HK")},
        {QStringLiteral("NO"), QStringLiteral("nb")},
    };
    const auto found = regional.constFind(code);
    if (found != regional.cend())
        return *found;
    const QString lower = code.toLower();
    const bool twoLetters = lower.size() == 2 && lower.at(0).isLetter() && lower.at(1).isLetter();
    return twoLetters ? lower : QStringLiteral("en");
}
