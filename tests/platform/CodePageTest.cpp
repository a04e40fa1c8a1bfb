#include "platform/CodePage.h"
#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

namespace {

struct TConversionCase {
    uint32_t CodePage;
    std::u16string Wide;
    std::string Bytes;
};

class WideToCodePageTest : public testing::TestWithParam<TConversionCase> {};

TEST_P(WideToCodePageTest, Converts) {
    EXPECT_EQ(WideToCodePage(GetParam().CodePage, GetParam().Wide), GetParam().Bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WideToCodePageTest,
    testing::Values(
        TConversionCase{1252, u"", ""}, TConversionCase{1252, u"abc", "abc"},
        TConversionCase{1252, u"\u00E9", "\xE9"}, TConversionCase{1252, u"\u20AC", "\x80"},
        // Characters outside the code page, one "?" each, a surrogate pair included.
        TConversionCase{1252, u"a\u0416\u4E2Db", "a??b"},
        TConversionCase{1252, u"x\U0001F600y", "x?y"},
        TConversionCase{1252,
                        u"\xD800"
                        u"a\xDC00",
                        "?a?"},
        TConversionCase{1252, u"a\xD800", "a?"},
        TConversionCase{1252, std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
        TConversionCase{1251, u"\u0416\u044F", "\xC6\xFF"}, TConversionCase{1251, u"\u00E9", "?"},
        TConversionCase{932, u"\u65E5\u672C", "\x93\xFA\x96\x7B"},
        TConversionCase{932, u"A\uFF71", "A\xB1"}, TConversionCase{65001, u"\u00E9", "\xC3\xA9"},
        TConversionCase{65001, u"\u20AC", "\xE2\x82\xAC"},
        TConversionCase{65001, u"\U0001F600", "\xF0\x9F\x98\x80"},
        // Lone surrogates become U+FFFD.
        TConversionCase{65001,
                        u"a\xDC00"
                        u"b\xD800",
                        "a\xEF\xBF\xBD"
                        "b\xEF\xBF\xBD"}));

class CodePageToWideTest : public testing::TestWithParam<TConversionCase> {};

TEST_P(CodePageToWideTest, Converts) {
    EXPECT_EQ(CodePageToWide(GetParam().CodePage, GetParam().Bytes), GetParam().Wide);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CodePageToWideTest,
    testing::Values(TConversionCase{1252, u"", ""},
                    TConversionCase{1252, u"\u00E9\u20AC", "\xE9\x80"},
                    TConversionCase{1252, std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
                    TConversionCase{1251, u"\u0416", "\xC6"},
                    TConversionCase{932, u"\u65E5\u672C", "\x93\xFA\x96\x7B"},
                    // A lead byte without its trail byte.
                    TConversionCase{932, u"A?", "A\x93"},
                    TConversionCase{65001, u"\u00E9\U0001F600", "\xC3\xA9\xF0\x9F\x98\x80"},
                    // Malformed UTF-8: one U+FFFD per maximal ill-formed part.
                    TConversionCase{65001, u"\uFFFD", "\xC3"},
                    TConversionCase{65001, u"\uFFFDA",
                                    "\xE2\x82"
                                    "A"},
                    TConversionCase{65001, u"\uFFFD\uFFFD\uFFFD", "\xED\xA0\x80"},
                    TConversionCase{65001, u"\uFFFD\uFFFD", "\xC0\xAF"},
                    TConversionCase{65001, u"\uFFFD\uFFFDz", "\xF4\x90z"},
                    TConversionCase{65001, u"\uFFFDz",
                                    "\xF0\x9F\x98"
                                    "z"}));

// Texts longer than the converter's working buffer come through whole.
TEST(CodePageTest, LongTextsConvertCompletely) {
    const std::u16string wide(5000, u'\u00E9');
    const std::string bytes(5000, '\xE9');
    // Compared as booleans: a mismatch would print thousands of characters.
    EXPECT_TRUE(WideToCodePage(1252, wide) == bytes);
    EXPECT_TRUE(CodePageToWide(1252, bytes) == wide);
    std::u16string mixed;
    for (int i = 0; i < 3000; ++i)
        mixed += u"\u65E5\u0E01";
    std::string expected;
    for (int i = 0; i < 3000; ++i)
        expected += "\x93\xFA?";
    EXPECT_TRUE(WideToCodePage(932, mixed) == expected);
}

TEST(CodePageTest, AnsiCodePageFollowsTheLocale) {
    // The test environment sets a German locale.
    EXPECT_EQ(AnsiCodePage(), 1252u);
}

struct TEncodeCase {
    std::u16string Text;
    int Encoding;
    std::string Bytes;
};

class EncodeTextTest : public testing::TestWithParam<TEncodeCase> {};

TEST_P(EncodeTextTest, Encodes) {
    EXPECT_EQ(EncodeText(GetParam().Text, GetParam().Encoding), GetParam().Bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodeTextTest,
    testing::Values(TEncodeCase{u"\u00E9", 0, "\xE9"},
                    TEncodeCase{u"\u00E9", 1, std::string("\xE9\x00", 2)},
                    TEncodeCase{u"\u00E9", 2, "\xC3\xA9"},
                    TEncodeCase{u"abc", 1, std::string("a\0b\0c\0", 6)},
                    TEncodeCase{u"\U0001F600", 1, std::string("\x3D\xD8\x00\xDE", 4)},
                    TEncodeCase{u"\u0416", 0, "?"}, TEncodeCase{u"\u00E9", 7, "\xC3\xA9"},
                    TEncodeCase{u"\u00E9", -1, "\xC3\xA9"}, TEncodeCase{u"", 0, ""},
                    TEncodeCase{u"", 1, ""}, TEncodeCase{u"", 2, ""}));

} // namespace
