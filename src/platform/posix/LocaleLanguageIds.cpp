#include "LocaleLanguageIds.h"

#include <algorithm>
#include <string_view>

namespace platform {

namespace {

struct LocaleLangId
{
    std::string_view name;
    std::uint16_t langId;
};

// Windows identifiers (winnt.h, MS-LCID) by locale name. A bare language name is the
// language's default: its sublanguage 1, except where Windows' own default differs
// (modern-sort Spanish, mainland Chinese, and Nynorsk, which has only sublanguage 2).
constexpr LocaleLangId kLangIds[] = {
    {"af", 0x0436}, {"af_ZA", 0x0436},
    {"ar", 0x0401}, {"ar_SA", 0x0401}, {"ar_IQ", 0x0801}, {"ar_EG", 0x0C01}, {"ar_LY", 0x1001},
    {"ar_DZ", 0x1401}, {"ar_MA", 0x1801}, {"ar_TN", 0x1C01}, {"ar_OM", 0x2001},
    {"ar_YE", 0x2401}, {"ar_SY", 0x2801}, {"ar_JO", 0x2C01}, {"ar_LB", 0x3001},
    {"ar_KW", 0x3401}, {"ar_AE", 0x3801}, {"ar_BH", 0x3C01}, {"ar_QA", 0x4001},
    {"bg", 0x0402}, {"bg_BG", 0x0402},
    {"ca", 0x0403}, {"ca_ES", 0x0403},
    {"cs", 0x0405}, {"cs_CZ", 0x0405},
    {"da", 0x0406}, {"da_DK", 0x0406},
    {"de", 0x0407}, {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07},
    {"de_LU", 0x1007}, {"de_LI", 0x1407},
    {"el", 0x0408}, {"el_GR", 0x0408},
    {"en", 0x0409}, {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09},
    {"en_CA", 0x1009}, {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09},
    {"en_JM", 0x2009}, {"en_BZ", 0x2809}, {"en_TT", 0x2C09}, {"en_ZW", 0x3009},
    {"en_PH", 0x3409}, {"en_IN", 0x4009}, {"en_MY", 0x4409}, {"en_SG", 0x4809},
    {"es", 0x0C0A}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es_GT", 0x100A},
    {"es_CR", 0x140A}, {"es_PA", 0x180A}, {"es_DO", 0x1C0A}, {"es_VE", 0x200A},
    {"es_CO", 0x240A}, {"es_PE", 0x280A}, {"es_AR", 0x2C0A}, {"es_EC", 0x300A},
    {"es_CL", 0x340A}, {"es_UY", 0x380A}, {"es_PY", 0x3C0A}, {"es_BO", 0x400A},
    {"es_SV", 0x440A}, {"es_HN", 0x480A}, {"es_NI", 0x4C0A}, {"es_PR", 0x500A},
    {"es_US", 0x540A},
    {"fi", 0x040B}, {"fi_FI", 0x040B},
    {"fr", 0x040C}, {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C},
    {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"fr_MC", 0x180C},
    {"he", 0x040D}, {"he_IL", 0x040D},
    {"hr", 0x041A}, {"hr_HR", 0x041A},
    {"hu", 0x040E}, {"hu_HU", 0x040E},
    {"is", 0x040F}, {"is_IS", 0x040F},
    {"it", 0x0410}, {"it_IT", 0x0410}, {"it_CH", 0x0810},
    {"ja", 0x0411}, {"ja_JP", 0x0411},
    {"ko", 0x0412}, {"ko_KR", 0x0412},
    {"nb", 0x0414}, {"nb_NO", 0x0414}, {"no", 0x0414}, {"no_NO", 0x0414},
    {"nn", 0x0814}, {"nn_NO", 0x0814},
    {"nl", 0x0413}, {"nl_NL", 0x0413}, {"nl_BE", 0x0813},
    {"pl", 0x0415}, {"pl_PL", 0x0415},
    {"pt", 0x0416}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816},
    {"rm", 0x0417}, {"rm_CH", 0x0417},
    {"ro", 0x0418}, {"ro_RO", 0x0418},
    {"ru", 0x0419}, {"ru_RU", 0x0419},
    {"sk", 0x041B}, {"sk_SK", 0x041B},
    {"sq", 0x041C}, {"sq_AL", 0x041C},
    {"sv", 0x041D}, {"sv_SE", 0x041D}, {"sv_FI", 0x081D},
    {"th", 0x041E}, {"th_TH", 0x041E},
    {"tr", 0x041F}, {"tr_TR", 0x041F},
    {"zh", 0x0804}, {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04},
    {"zh_SG", 0x1004}, {"zh_MO", 0x1404},
};

std::optional<std::uint16_t> lookUp(const std::string &name)
{
    const auto *end = std::end(kLangIds);
    const auto *found = std::find_if(std::begin(kLangIds), end,
                                     [&](const LocaleLangId &entry) { return entry.name == name; });
    if (found == end)
        return std::nullopt;
    return found->langId;
}

// ASCII only: locale names are ASCII, and the C library's case tables depend on the locale.
std::string lowerCase(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string upperCase(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::uint16_t langIdForLocale(const std::string &locale)
{
    // language[_territory][.codeset][@modifier]; only language and territory matter here.
    const std::string name = locale.substr(0, locale.find_first_of(".@"));
    const std::size_t separator = name.find('_');
    const std::string language = lowerCase(name.substr(0, separator));
    if (separator != std::string::npos) {
        const std::string territory = upperCase(name.substr(separator + 1));
        if (const auto langId = lookUp(language + '_' + territory))
            return *langId;
    }
    return lookUp(language).value_or(kLangIdEnglishUs);
}

std::optional<std::uint16_t> parseLangId(const std::string &text)
{
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.remove_prefix(2);
    if (digits.empty())
        return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 0xFFFF)
            return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace platform
