#include "platform/Locale.h"

#include "platform/AsciiText.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>

namespace {

constexpr uint32_t DefaultLCID = 0x0409;
constexpr uint32_t DefaultCodePage = 1252;

struct TLocaleRow {
    std::string_view Name; // "de" for a language's primary locale, "de_AT" for a territory
    uint32_t LCID;
    uint32_t CodePage; // the Windows ANSI code page
};

// Languages by their primary locale first, then the territories that differ from it.
constexpr TLocaleRow LocaleTable[] = {
    {"af", 0x0436, 1252},    {"ar", 0x0401, 1256},    {"be", 0x0423, 1251},
    {"bg", 0x0402, 1251},    {"ca", 0x0403, 1252},    {"cs", 0x0405, 1250},
    {"cy", 0x0452, 1252},    {"da", 0x0406, 1252},    {"de", 0x0407, 1252},
    {"el", 0x0408, 1253},    {"en", 0x0409, 1252},    {"es", 0x0C0A, 1252},
    {"et", 0x0425, 1257},    {"eu", 0x042D, 1252},    {"fa", 0x0429, 1256},
    {"fi", 0x040B, 1252},    {"fo", 0x0438, 1252},    {"fr", 0x040C, 1252},
    {"ga", 0x083C, 1252},    {"gl", 0x0456, 1252},    {"he", 0x040D, 1255},
    {"hr", 0x041A, 1250},    {"hu", 0x040E, 1250},    {"id", 0x0421, 1252},
    {"is", 0x040F, 1252},    {"it", 0x0410, 1252},    {"ja", 0x0411, 932},
    {"kk", 0x043F, 1251},    {"ko", 0x0412, 949},     {"lt", 0x0427, 1257},
    {"lv", 0x0426, 1257},    {"mk", 0x042F, 1251},    {"ms", 0x043E, 1252},
    {"nb", 0x0414, 1252},    {"nl", 0x0413, 1252},    {"nn", 0x0814, 1252},
    {"no", 0x0414, 1252},    {"pl", 0x0415, 1250},    {"pt", 0x0416, 1252},
    {"ro", 0x0418, 1250},    {"ru", 0x0419, 1251},    {"sk", 0x041B, 1250},
    {"sl", 0x0424, 1250},    {"sq", 0x041C, 1250},    {"sr", 0x281A, 1251},
    {"sv", 0x041D, 1252},    {"sw", 0x0441, 1252},    {"th", 0x041E, 874},
    {"tr", 0x041F, 1254},    {"tt", 0x0444, 1251},    {"uk", 0x0422, 1251},
    {"ur", 0x0420, 1256},    {"uz", 0x0443, 1254},    {"vi", 0x042A, 1258},
    {"zh", 0x0804, 936},

    {"ar_AE", 0x3801, 1256}, {"ar_DZ", 0x1401, 1256}, {"ar_EG", 0x0C01, 1256},
    {"ar_IQ", 0x0801, 1256}, {"ar_JO", 0x2C01, 1256}, {"ar_KW", 0x3401, 1256},
    {"ar_LB", 0x3001, 1256}, {"ar_MA", 0x1801, 1256}, {"ar_QA", 0x4001, 1256},
    {"ar_SY", 0x2801, 1256}, {"ar_TN", 0x1C01, 1256}, {"de_AT", 0x0C07, 1252},
    {"de_CH", 0x0807, 1252}, {"de_LI", 0x1407, 1252}, {"de_LU", 0x1007, 1252},
    {"en_AU", 0x0C09, 1252}, {"en_CA", 0x1009, 1252}, {"en_GB", 0x0809, 1252},
    {"en_IE", 0x1809, 1252}, {"en_IN", 0x4009, 1252}, {"en_NZ", 0x1409, 1252},
    {"en_PH", 0x3409, 1252}, {"en_SG", 0x4809, 1252}, {"en_ZA", 0x1C09, 1252},
    {"es_AR", 0x2C0A, 1252}, {"es_BO", 0x400A, 1252}, {"es_CL", 0x340A, 1252},
    {"es_CO", 0x240A, 1252}, {"es_CR", 0x140A, 1252}, {"es_EC", 0x300A, 1252},
    {"es_GT", 0x100A, 1252}, {"es_MX", 0x080A, 1252}, {"es_PE", 0x280A, 1252},
    {"es_PR", 0x500A, 1252}, {"es_US", 0x540A, 1252}, {"es_UY", 0x380A, 1252},
    {"es_VE", 0x200A, 1252}, {"fr_BE", 0x080C, 1252}, {"fr_CA", 0x0C0C, 1252},
    {"fr_CH", 0x100C, 1252}, {"fr_LU", 0x140C, 1252}, {"it_CH", 0x0810, 1252},
    {"ms_BN", 0x083E, 1252}, {"nl_BE", 0x0813, 1252}, {"pt_PT", 0x0816, 1252},
    {"ru_MD", 0x0819, 1251}, {"sv_FI", 0x081D, 1252}, {"zh_HK", 0x0C04, 950},
    {"zh_MO", 0x1404, 950},  {"zh_SG", 0x1004, 936},  {"zh_TW", 0x0404, 950},
};

// "de_DE.UTF-8@euro" → the row of "de_DE", else of "de"; nullptr when neither is known.
const TLocaleRow* FindLocale(std::string_view posixName) {
    posixName = posixName.substr(0, posixName.find_first_of(".@"));
    const std::size_t separator = posixName.find_first_of("_-");
    std::string language, full;
    for (char c : posixName.substr(0, separator))
        language += AsciiLower(c);
    full = language;
    if (separator != std::string_view::npos) {
        full += '_';
        for (char c : posixName.substr(separator + 1))
            full += AsciiUpper(c);
    }
    const TLocaleRow* primary = nullptr;
    for (const TLocaleRow& row : LocaleTable) {
        if (row.Name == full)
            return &row;
        if (row.Name == language)
            primary = &row;
    }
    return primary;
}

} // namespace

std::string UserLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return {};
}

uint32_t UserDefaultLCID() {
#ifdef _WIN32
    return GetUserDefaultLCID();
#else
    return LCIDOfLocaleName(UserLocaleName());
#endif
}

uint32_t LCIDOfLocaleName(std::string_view posixName) {
    const TLocaleRow* row = FindLocale(posixName);
    return row != nullptr ? row->LCID : DefaultLCID;
}

uint32_t AnsiCodePageOfLocaleName(std::string_view posixName) {
    const TLocaleRow* row = FindLocale(posixName);
    return row != nullptr ? row->CodePage : DefaultCodePage;
}
