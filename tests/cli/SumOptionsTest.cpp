#include "cli/SumOptions.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

struct TAcceptedCase {
    Args Given;
    TSumMode Mode;
    TAlgorithm Algorithm;
    bool Lower;
    int EncodingIndex;
    Args Files;
    std::string Text;
    std::string CheckFile;
};

TEST(SumOptions, AcceptsTheDocumentedForms) {
    const TAcceptedCase cases[] = {
        {{}, TSumMode::Files, TAlgorithm::MD5, false, 0, {}, "", ""},
        {{"-a", "sha256", "x", "-l", "y"},
         TSumMode::Files,
         TAlgorithm::SHA256,
         true,
         0,
         {"x", "y"},
         "",
         ""},
        {{"-lasha1", "-"}, TSumMode::Files, TAlgorithm::SHA1, true, 0, {"-"}, "", ""},
        {{"--algorithm=SHA-512", "--lower"},
         TSumMode::Files,
         TAlgorithm::SHA512,
         true,
         0,
         {},
         "",
         ""},
        {{"--alg", "CRC32", "--", "-l", "--help"},
         TSumMode::Files,
         TAlgorithm::CRC32,
         false,
         0,
         {"-l", "--help"},
         "",
         ""},
        {{"-t", "abc"}, TSumMode::Text, TAlgorithm::MD5, false, 0, {}, "abc", ""},
        {{"--text=", "-e", "Unicode"}, TSumMode::Text, TAlgorithm::MD5, false, 1, {}, "", ""},
        {{"-t", "-l", "--encoding", "utf-8"},
         TSumMode::Text,
         TAlgorithm::MD5,
         false,
         2,
         {},
         "-l",
         ""},
        {{"-a", "md5", "-c", "-"}, TSumMode::Check, TAlgorithm::MD5, false, 0, {}, "", "-"},
        {{"--check", "sums.txt", "-acrc32"},
         TSumMode::Check,
         TAlgorithm::CRC32,
         false,
         0,
         {},
         "",
         "sums.txt"},
        {{"x", "--help", "--bogus"}, TSumMode::Help, TAlgorithm::MD5, false, 0, {}, "", ""},
        {{"--vers"}, TSumMode::Version, TAlgorithm::MD5, false, 0, {}, "", ""},
    };
    for (const TAcceptedCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Given));
        const TSumOptions options = ParseSumOptions(c.Given);
        EXPECT_EQ(options.Mode, c.Mode);
        EXPECT_EQ(options.Algorithm, c.Algorithm);
        EXPECT_EQ(options.Lower, c.Lower);
        EXPECT_EQ(options.EncodingIndex, c.EncodingIndex);
        EXPECT_EQ(options.Files, c.Files);
        EXPECT_EQ(options.Text, c.Text);
        EXPECT_EQ(options.CheckFile, c.CheckFile);
    }
}

TEST(SumOptions, RefusesWhatItCannotObey) {
    const std::pair<Args, std::string> cases[] = {
        {{"-a", "crc16"}, "invalid algorithm 'crc16'"},
        {{"-e", "latin1", "-t", "x"}, "invalid encoding 'latin1'"},
        {{"-x"}, "invalid option -- 'x'"},
        {{"--frobnicate"}, "unrecognized option '--frobnicate'"},
        {{"-a"}, "option requires an argument -- 'a'"},
        {{"--check"}, "option '--check' requires an argument"},
        {{"--lower=yes"}, "option '--lower' doesn't allow an argument"},
        {{"-t", "x", "file"}, "extra operand 'file'"},
        {{"-c", "sums", "file"}, "extra operand 'file'"},
        {{"-t", "x", "-c", "sums"}, "--text and --check cannot be combined"},
        {{"-t", "x", "-t", "y"}, "only one --text may be given"},
        {{"-c", "a", "-c", "b"}, "only one --check may be given"},
        {{"-e", "utf8", "file"}, "--encoding applies only to --text"},
        {{"-l", "-c", "sums"}, "--lower is meaningless when checking sums"},
    };
    for (const auto& [given, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(given));
        try {
            ParseSumOptions(given);
            ADD_FAILURE() << "accepted";
        } catch (const ESumUsage& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(message)) << error.what();
        }
    }
}

} // namespace
