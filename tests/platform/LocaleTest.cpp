#include "platform/Locale.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

namespace {

struct TLocaleCase {
    std::string Name;
    uint32_t LCID;
    uint32_t CodePage;
};

class LocaleMappingTest : public testing::TestWithParam<TLocaleCase> {};

TEST_P(LocaleMappingTest, MapsToLcidAndCodePage) {
    EXPECT_EQ(LCIDOfLocaleName(GetParam().Name), GetParam().LCID) << GetParam().Name;
    EXPECT_EQ(AnsiCodePageOfLocaleName(GetParam().Name), GetParam().CodePage) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocaleMappingTest,
    testing::Values(
        TLocaleCase{"en_US.UTF-8", 0x0409, 1252}, TLocaleCase{"en_GB.UTF-8", 0x0809, 1252},
        TLocaleCase{"de_DE.UTF-8", 0x0407, 1252}, TLocaleCase{"de_AT", 0x0C07, 1252},
        TLocaleCase{"de_CH.UTF-8", 0x0807, 1252}, TLocaleCase{"fr_FR", 0x040C, 1252},
        TLocaleCase{"fr_CA.UTF-8", 0x0C0C, 1252}, TLocaleCase{"es_ES.UTF-8", 0x0C0A, 1252},
        TLocaleCase{"it_IT", 0x0410, 1252}, TLocaleCase{"nl_NL", 0x0413, 1252},
        TLocaleCase{"pt_BR", 0x0416, 1252}, TLocaleCase{"pt_PT", 0x0816, 1252},
        TLocaleCase{"pl_PL.UTF-8", 0x0415, 1250}, TLocaleCase{"cs_CZ", 0x0405, 1250},
        TLocaleCase{"hu_HU", 0x040E, 1250}, TLocaleCase{"ru_RU.KOI8-R", 0x0419, 1251},
        TLocaleCase{"uk_UA", 0x0422, 1251}, TLocaleCase{"ru_MD", 0x0819, 1251},
        TLocaleCase{"ru_UA", 0x0419, 1251}, TLocaleCase{"el_GR", 0x0408, 1253},
        TLocaleCase{"tr_TR", 0x041F, 1254}, TLocaleCase{"he_IL", 0x040D, 1255},
        TLocaleCase{"ar_SA", 0x0401, 1256}, TLocaleCase{"ar_EG", 0x0C01, 1256},
        TLocaleCase{"lt_LT", 0x0427, 1257}, TLocaleCase{"lv_LV", 0x0426, 1257},
        TLocaleCase{"et_EE", 0x0425, 1257}, TLocaleCase{"vi_VN", 0x042A, 1258},
        TLocaleCase{"th_TH", 0x041E, 874}, TLocaleCase{"ja_JP.eucJP", 0x0411, 932},
        TLocaleCase{"zh_CN.GB18030", 0x0804, 936}, TLocaleCase{"zh_TW.Big5", 0x0404, 950},
        TLocaleCase{"zh_HK", 0x0C04, 950}, TLocaleCase{"ko_KR.EUC-KR", 0x0412, 949},
        TLocaleCase{"sv_SE", 0x041D, 1252}, TLocaleCase{"da_DK", 0x0406, 1252},
        TLocaleCase{"nb_NO", 0x0414, 1252}, TLocaleCase{"fi_FI", 0x040B, 1252},
        // A language alone, or with a territory not in the table, gives its primary locale.
        TLocaleCase{"de", 0x0407, 1252}, TLocaleCase{"de_BE.UTF-8", 0x0407, 1252},
        TLocaleCase{"zh", 0x0804, 936},
        // Modifiers and letter case do not matter.
        TLocaleCase{"fr_FR@euro", 0x040C, 1252}, TLocaleCase{"de_AT.UTF-8@euro", 0x0C07, 1252},
        TLocaleCase{"DE_at", 0x0C07, 1252},
        // Unknown and neutral locales.
        TLocaleCase{"C", 0x0409, 1252}, TLocaleCase{"C.UTF-8", 0x0409, 1252},
        TLocaleCase{"POSIX", 0x0409, 1252}, TLocaleCase{"", 0x0409, 1252},
        TLocaleCase{"xx_YY", 0x0409, 1252}));

// Sets the three variables for the test's lifetime and puts the old values back.
class TLocaleEnvironment {
public:
    TLocaleEnvironment(const char* all, const char* messages, const char* lang) {
        Set("LC_ALL", all);
        Set("LC_MESSAGES", messages);
        Set("LANG", lang);
    }
    ~TLocaleEnvironment() {
        for (auto& [name, value] : Saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        Saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> Saved;
};

TEST(UserLocaleTest, FirstNonEmptyOfLcAllLcMessagesLang) {
    struct {
        const char* All;
        const char* Messages;
        const char* Lang;
        uint32_t LCID;
    } cases[] = {
        {"fr_FR.UTF-8", "ja_JP.UTF-8", "de_DE.UTF-8", 0x040C},
        {"", "ja_JP.UTF-8", "de_DE.UTF-8", 0x0411},
        {nullptr, "", "de_DE.UTF-8", 0x0407},
        {nullptr, nullptr, nullptr, 0x0409},
        {"", "", "", 0x0409},
    };
    for (const auto& c : cases) {
        TLocaleEnvironment environment(c.All, c.Messages, c.Lang);
        EXPECT_EQ(UserDefaultLCID(), c.LCID) << (c.Lang ? c.Lang : "(unset)");
    }
}

} // namespace
