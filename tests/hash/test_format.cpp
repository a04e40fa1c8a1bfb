#include "hash/DigFmt.h"

#include <gtest/gtest.h>

namespace {

std::string Parse(const std::string& text) {
    return TFormat_HEX::Class().ParseText(text.data(), static_cast<int32_t>(text.size()));
}

bool CanParse(const TDigFormatClass& format, const std::string& text) {
    return format.CanParse(text.data(), static_cast<int32_t>(text.size()));
}

TEST(Format, HexFormatting) {
    const unsigned char bytes[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
    EXPECT_EQ(ToText(&TFormat_HEX::Class(), bytes, 5), "00017F80FF");
    EXPECT_EQ(ToText(&TFormat_HEX::Class(), bytes, 0), "");
    EXPECT_EQ(ToText(&TFormat_HEX::Class(), bytes, -1), "");
}

TEST(Format, CopyAndNoFormat) {
    const std::string bytes("a\0\xFFz", 4);
    EXPECT_EQ(ToText(nullptr, bytes.data(), 4), bytes);
    EXPECT_EQ(&FormatOrCopy(nullptr), &TFormat_Copy::Class());
    EXPECT_EQ(&FormatOrCopy(&TFormat_HEX::Class()), &TFormat_HEX::Class());
    EXPECT_EQ(TFormat_Copy::Class().ParseText(bytes.data(), 4), bytes);
    EXPECT_EQ(TFormat_Copy::Class().FormatBytes(bytes.data(), 0), "");
    EXPECT_TRUE(TFormat_Copy::Class().CanParse(nullptr, 0));
    EXPECT_FALSE(TFormat_Copy::Class().CanParse(nullptr, -1));
}

TEST(Format, HexParsing) {
    const struct {
        std::string Text;
        std::string Bytes;
    } rows[] = {
        {"0X1A2B", "\x1A\x2B"}, // the digit before the prefix is dropped
        {"$ff", "\xFF"},        // lower-case digits
        {"ABC", "\xAB"},        // an unpaired last digit is dropped
        {"12$34", "\x34"},      // the first prefix restarts the output
        {"$12$34", "\x12\x34"}, // later prefixes are skipped
        {"12$", ""},            //
        {"", ""},               //
        {"00017f80FF", std::string("\x00\x01\x7F\x80\xFF", 5)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Parse(row.Text), row.Bytes) << row.Text;
}

TEST(Format, HexParsingRejectsSeparatorsAndOtherPrefixes) {
    const std::string rejected[] = {"1A 2B", "0x12", "12h", "1g", "\xC3\xA9"};
    for (const std::string& text : rejected) {
        try {
            Parse(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const EDigException& e) {
            EXPECT_STREQ(e.what(), "Input is not an valid HEX format.");
        }
    }
}

TEST(Format, HexCanParse) {
    const TDigFormatClass& hex = TFormat_HEX::Class();
    const std::string accepted[] = {"1A 2B",         "0x12",         "12h", "$ff", "(1A)[2B]{3C}",
                                    ",;:-_/\\*+\"'", "ab\tcd\r\nEF", "",    "X"};
    for (const std::string& text : accepted)
        EXPECT_TRUE(CanParse(hex, text)) << text;
    const std::string rejected[] = {"12g", "1.2", "ff#", std::string("1\0", 2)};
    for (const std::string& text : rejected)
        EXPECT_FALSE(CanParse(hex, text)) << text;
    EXPECT_EQ(std::string(TFormat_HEX::Alphabet(), 48).find('\0'), std::string::npos);
}

TEST(Format, StrippedNames) {
    EXPECT_EQ(StrippedClassName(&TFormat_HEX::Class()), "HEX");
    EXPECT_EQ(StrippedClassName(&TFormat_Copy::Class()), "Copy");
}

} // namespace
