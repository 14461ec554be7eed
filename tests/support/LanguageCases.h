#pragma once

#include <cstdint>

// The system language of a POSIX locale as a Windows language identifier, where the POSIX
// backend's table and Wine's own mapping (which stands for Windows' on a Linux host) agree.
// Shared by the POSIX Qt test and the Windows runner. Plain C++.
namespace contract {

struct LanguageCase
{
    const char *locale;
    std::uint16_t langId;
    // The tree that identifier opens; only the Qt tests look at it (the runner has no Qt).
    const char *code;
};

inline constexpr LanguageCase kLanguageCases[] = {
    {"en_US.UTF-8", 0x0409, "EN"}, {"en_GB.UTF-8", 0x0809, "EN"}, {"de_DE.UTF-8", 0x0407, "DE"},
    {"de_CH.UTF-8", 0x0807, "DE"}, {"de_AT.UTF-8", 0x0C07, "DE"}, {"de_LU.UTF-8", 0x1007, "DE"},
    {"de_LI.UTF-8", 0x1407, "DE"}, {"fr_FR.UTF-8", 0x040C, "FR"}, {"fr_BE.UTF-8", 0x080C, "FR"},
    {"fr_CA.UTF-8", 0x0C0C, "FR"}, {"fr_CH.UTF-8", 0x100C, "FR"}, {"fr_LU.UTF-8", 0x140C, "FR"},
    {"fr_MC.UTF-8", 0x180C, "FR"}, {"es_ES.UTF-8", 0x0C0A, "ES"}, {"es_MX.UTF-8", 0x080A, "ES"},
    {"es_AR.UTF-8", 0x2C0A, "ES"}, {"es_PR.UTF-8", 0x500A, "ES"}, {"it_IT.UTF-8", 0x0410, "IT"},
    {"it_CH.UTF-8", 0x0810, "IT"}, {"pt_BR.UTF-8", 0x0416, "BR"}, {"pt_PT.UTF-8", 0x0816, "PT"},
    {"nl_NL.UTF-8", 0x0413, "NL"}, {"nl_BE.UTF-8", 0x0813, "NL"}, {"sv_SE.UTF-8", 0x041D, "SV"},
    {"sv_FI.UTF-8", 0x081D, "SV"}, {"nb_NO.UTF-8", 0x0414, "NO"}, {"nn_NO.UTF-8", 0x0814, "NO"},
    {"da_DK.UTF-8", 0x0406, "DA"}, {"fi_FI.UTF-8", 0x040B, "FI"}, {"pl_PL.UTF-8", 0x0415, "PL"},
    {"cs_CZ.UTF-8", 0x0405, "CS"}, {"sk_SK.UTF-8", 0x041B, "SK"}, {"hu_HU.UTF-8", 0x040E, "HU"},
    {"el_GR.UTF-8", 0x0408, "EL"}, {"ru_RU.UTF-8", 0x0419, "RU"}, {"tr_TR.UTF-8", 0x041F, "TR"},
    {"th_TH.UTF-8", 0x041E, "TH"}, {"ja_JP.UTF-8", 0x0411, "JA"}, {"ko_KR.UTF-8", 0x0412, "KO"},
    {"zh_CN.UTF-8", 0x0804, "CN"}, {"zh_TW.UTF-8", 0x0404, "TW"}, {"zh_HK.UTF-8", 0x0C04, "HK"},
    {"zh_SG.UTF-8", 0x1004, "CN"}, {"zh_MO.UTF-8", 0x1404, "TW"}, {"af_ZA.UTF-8", 0x0436, "EN"},
    {"bg_BG.UTF-8", 0x0402, "EN"}, {"ca_ES.UTF-8", 0x0403, "EN"}, {"he_IL.UTF-8", 0x040D, "EN"},
    {"is_IS.UTF-8", 0x040F, "EN"}, {"ro_RO.UTF-8", 0x0418, "EN"}, {"hr_HR.UTF-8", 0x041A, "EN"},
    {"sq_AL.UTF-8", 0x041C, "EN"}, {"ar_SA.UTF-8", 0x0401, "AR"}, {"ar_EG.UTF-8", 0x0C01, "AR"},
    {"ar_QA.UTF-8", 0x4001, "AR"},
};

} // namespace contract
