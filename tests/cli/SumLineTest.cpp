#include "cli/SumLine.h"

#include <gtest/gtest.h>

namespace {

constexpr std::string_view Digest = "D41D8CD98F00B204E9800998ECF8427E";

TEST(SumLine, WritesNamesThatNeedIt_Escaped) {
    EXPECT_EQ(SumLine(Digest, "plain name.txt"), std::string(Digest) + "  plain name.txt");
    EXPECT_EQ(SumLine(Digest, "a\nb\\c\rd"), "\\" + std::string(Digest) + "  a\\nb\\\\c\\rd");
    EXPECT_EQ(StatusLine("x", "OK"), "x: OK");
    EXPECT_EQ(StatusLine("a\nb", "FAILED"), "\\a\\nb: FAILED");
}

TEST(SumLine, ReadsBackWhatItWrites) {
    for (std::string name : {"plain", " leading space", "star*", "a\nb", "back\\slash", "cr\r",
                             "\\n literally", "ends with backslash\\"}) {
        SCOPED_TRACE(name);
        const std::optional<TSumEntry> entry = ParseSumLine(SumLine(Digest, name), Digest.size());
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->Digest, Digest);
        EXPECT_EQ(entry->Name, name);
    }
}

TEST(SumLine, ParsesTheListFormat) {
    struct TCase {
        std::string Line;
        bool Valid;
        std::string Name;
    };
    const std::string lower = "d41d8cd98f00b204e9800998ecf8427e";
    const TCase cases[] = {
        {lower + "  f", true, "f"},
        {lower + " *bin", true, "bin"},
        {"  \t" + lower + "  indented", true, "indented"},
        {lower + "   two spaces kept", true, " two spaces kept"},
        {"C:" + lower.substr(2) + "  f", false, ""}, // not hexadecimal
        {lower.substr(1) + "  f", false, ""},        // too short for the algorithm
        {lower + "0  f", false, ""},                 // too long for the algorithm
        {lower + " f", false, ""},                   // one space only
        {lower + "\tf", false, ""},
        {lower + "  ", false, ""}, // no name
        {"\\" + lower + "  bad\\escape", false, ""},
        {"\\" + lower + "  trailing\\", false, ""},
        {"MD5 (f) = " + lower, false, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Line);
        const std::optional<TSumEntry> entry = ParseSumLine(c.Line, 32);
        ASSERT_EQ(entry.has_value(), c.Valid);
        if (entry) {
            EXPECT_EQ(entry->Name, c.Name);
        }
    }
}

} // namespace
