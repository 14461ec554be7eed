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
};

inline constexpr LanguageCase kLanguageCases[] = {
    {"en_US.UTF-8", 0x0409}, {"en_GB.UTF-8", 0x0809}, {"de_DE.UTF-8", 0x0407}, {"de_CH.UTF-8", 0x0807},
    {"de_AT.UTF-8", 0x0C07}, {"de_LU.UTF-8", 0x1007}, {"de_LI.UTF-8", 0x1407}, {"fr_FR.UTF-8", 0x040C},
    {"fr_BE.UTF-8", 0x080C}, {"fr_CA.UTF-8", 0x0C0C}, {"fr_CH.UTF-8", 0x100C}, {"fr_LU.UTF-8", 0x140C},
    {"fr_MC.UTF-8", 0x180C}, {"es_ES.UTF-8", 0x0C0A}, {"es_MX.UTF-8", 0x080A}, {"es_AR.UTF-8", 0x2C0A},
    {"es_PR.UTF-8", 0x500A}, {"it_IT.UTF-8", 0x0410}, {"it_CH.UTF-8", 0x0810}, {"pt_BR.UTF-8", 0x0416},
    {"pt_PT.UTF-8", 0x0816}, {"nl_NL.UTF-8", 0x0413}, {"nl_BE.UTF-8", 0x0813}, {"sv_SE.UTF-8", 0x041D},
    {"sv_FI.UTF-8", 0x081D}, {"nb_NO.UTF-8", 0x0414}, {"nn_NO.UTF-8", 0x0814}, {"da_DK.UTF-8", 0x0406},
    {"fi_FI.UTF-8", 0x040B}, {"pl_PL.UTF-8", 0x0415}, {"cs_CZ.UTF-8", 0x0405}, {"sk_SK.UTF-8", 0x041B},
    {"hu_HU.UTF-8", 0x040E}, {"el_GR.UTF-8", 0x0408}, {"ru_RU.UTF-8", 0x0419}, {"tr_TR.UTF-8", 0x041F},
    {"th_TH.UTF-8", 0x041E}, {"ja_JP.UTF-8", 0x0411}, {"ko_KR.UTF-8", 0x0412}, {"zh_CN.UTF-8", 0x0804},
    {"zh_TW.UTF-8", 0x0404}, {"zh_HK.UTF-8", 0x0C04}, {"zh_SG.UTF-8", 0x1004}, {"zh_MO.UTF-8", 0x1404},
    {"af_ZA.UTF-8", 0x0436}, {"bg_BG.UTF-8", 0x0402}, {"ca_ES.UTF-8", 0x0403}, {"he_IL.UTF-8", 0x040D},
    {"is_IS.UTF-8", 0x040F}, {"ro_RO.UTF-8", 0x0418}, {"hr_HR.UTF-8", 0x041A}, {"sq_AL.UTF-8", 0x041C},
    {"ar_SA.UTF-8", 0x0401}, {"ar_EG.UTF-8", 0x0C01}, {"ar_QA.UTF-8", 0x4001},
};

} // namespace contract
