// End to end: runs the built corvanth-sum in a folder of fixture files.
#include "hash/FileDigest.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

struct TRun {
    int Status;
    std::string Out;
    std::string Err;
};

const std::pair<const char*, TAlgorithm> Algorithms[] = {
    {"crc32", TAlgorithm::CRC32},   {"sha1", TAlgorithm::SHA1}, {"sha256", TAlgorithm::SHA256},
    {"sha512", TAlgorithm::SHA512}, {"md5", TAlgorithm::MD5},
};

std::string UpperHex(const unsigned char* data, std::size_t length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// OpenSSL's digest for the four standard algorithms; the engine's for the program's own CRC.
std::string ExpectedDigest(TAlgorithm algorithm, std::string_view data) {
    const EVP_MD* md = nullptr;
    switch (algorithm) {
    case TAlgorithm::CRC32:
        return DigestOfBuffer(algorithm, data.data(), data.size());
    case TAlgorithm::SHA1:
        md = EVP_sha1();
        break;
    case TAlgorithm::SHA256:
        md = EVP_sha256();
        break;
    case TAlgorithm::SHA512:
        md = EVP_sha512();
        break;
    case TAlgorithm::MD5:
        md = EVP_md5();
        break;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    EXPECT_EQ(EVP_Digest(data.data(), data.size(), digest, &length, md, nullptr), 1);
    return UpperHex(digest, length);
}

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class SumProgram : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::signal(SIGPIPE, SIG_IGN); // a child that stops reading must not end the test
        std::string pattern = (fs::temp_directory_path() / "corvanth-sum-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Root = pattern;
        Files = Root / "files";
        fs::create_directory(Files);
        fs::create_directory(Files / "folder");

        // Crosses the 8192-byte read chunk and the 64 KiB pipe buffer.
        Big.resize(100003);
        uint32_t seed = 12345;
        for (char& c : Big) {
            seed = seed * 1103515245u + 12345u;
            c = char(seed >> 24);
        }
        for (const auto& [name, content] : FixtureFiles())
            Write(name, content);
    }

    static void TearDownTestSuite() { fs::remove_all(Root); }

    static std::vector<std::pair<std::string, std::string>> FixtureFiles() {
        return {{"empty", ""}, {"a", "a"}, {"abc", "abc"}, {"digits", "123456789"}, {"big", Big}};
    }

    static void Write(const std::string& name, std::string_view content) {
        std::ofstream(Files / name, std::ios::binary) << content;
    }

    // Runs the program in the fixture folder, with input on a pipe as its standard input and
    // a locale whose ANSI code page is 1252.
    static TRun Run(const Args& args, std::string_view input = {}) {
        const fs::path outPath = Root / "stdout", errPath = Root / "stderr";
        const int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        int inPipe[2];
        EXPECT_TRUE(outFd >= 0 && errFd >= 0 && pipe2(inPipe, O_CLOEXEC) == 0);

        std::vector<std::string> environment{"LC_ALL=en_US.UTF-8"};
        for (char** entry = environ; *entry; ++entry) {
            const std::string_view variable(*entry);
            if (!variable.starts_with("LC_ALL=") && !variable.starts_with("LC_MESSAGES=") &&
                !variable.starts_with("LANG="))
                environment.emplace_back(variable);
        }
        std::vector<char*> envp, argv{const_cast<char*>(CORVANTH_SUM_PATH)};
        for (std::string& variable : environment)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        Args arguments = args;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);

        const pid_t child = fork();
        if (child == 0) {
            dup2(inPipe[0], 0);
            dup2(outFd, 1);
            dup2(errFd, 2);
            if (chdir(Files.c_str()) == 0)
                execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(inPipe[0]);
        close(outFd);
        close(errFd);
        for (std::size_t written = 0; written < input.size();) {
            const ssize_t n = write(inPipe[1], input.data() + written, input.size() - written);
            if (n <= 0)
                break;
            written += std::size_t(n);
        }
        close(inPipe[1]);
        int status = 0;
        EXPECT_EQ(waitpid(child, &status, 0), child);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWhole(outPath),
                ReadWhole(errPath)};
    }

    static inline fs::path Root, Files;
    static inline std::string Big;
};

TEST_F(SumProgram, HashesFilesLikeOpenSSLAndTheKnownCRCs) {
    const std::map<std::string, std::string> knownCRCs{
        {"empty", "00000000"}, {"a", "0AFF043A"}, {"abc", "55129B27"}, {"digits", "7DC08C09"}};
    for (const auto& [algorithmName, algorithm] : Algorithms) {
        SCOPED_TRACE(algorithmName);
        Args args{"-a", algorithmName};
        std::string expected;
        for (const auto& [name, content] : FixtureFiles()) {
            args.push_back(name);
            const bool known = algorithm == TAlgorithm::CRC32 && knownCRCs.contains(name);
            expected += (known ? knownCRCs.at(name) : ExpectedDigest(algorithm, content)) + "  " +
                        name + "\n";
        }
        const TRun run = Run(args);
        EXPECT_EQ(run.Out, expected);
        EXPECT_EQ(run.Err, "");
        EXPECT_EQ(run.Status, 0);
    }
}

TEST_F(SumProgram, LowerPrintsLowerCaseDigits) {
    EXPECT_EQ(Run({"-l", "-a", "crc32", "a"}).Out, "0aff043a  a\n");
    EXPECT_EQ(Run({"--lower", "abc"}).Out, "900150983cd24fb0d6963f7d28e17f72  abc\n");
}

// Standard input and pipes have no size to go by: they must be read to their end, through
// the same engine, and give the digest of the same bytes in a file.
TEST_F(SumProgram, StandardInputAndPipesAreReadToTheirEnd) {
    for (const auto& [algorithmName, algorithm] : Algorithms) {
        SCOPED_TRACE(algorithmName);
        const std::string digest = ExpectedDigest(algorithm, Big);
        EXPECT_EQ(Run({"-a", algorithmName}, Big).Out, digest + "  -\n");
        EXPECT_EQ(Run({"-a", algorithmName, "-"}, Big).Out, digest + "  -\n");
        EXPECT_EQ(Run({"-a", algorithmName, "/dev/stdin"}, Big).Out, digest + "  /dev/stdin\n");
    }
    EXPECT_EQ(Run({"-a", "crc32"}, "123456789").Out, "7DC08C09  -\n");
}

TEST_F(SumProgram, TextIsEncodedAsOnTheTextPage) {
    using namespace std::string_literals;
    const std::tuple<Args, std::string> cases[] = {
        {{"-t", "é"}, "\xE9"}, // ANSI code page 1252
        {{"-t", "é", "-e", "unicode"}, "\xE9\x00"s},
        {{"-t", "é", "-e", "utf8"}, "\xC3\xA9"},
        {{"-t", "abc", "-e", "unicode"}, "a\0b\0c\0"s},
        {{"-t", "Ж"}, "?"}, // not in code page 1252
        {{"-t", ""}, ""},
    };
    for (const auto& [args, bytes] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const TRun run = Run(args);
        EXPECT_EQ(run.Out, ExpectedDigest(TAlgorithm::MD5, bytes) + "\n");
        EXPECT_EQ(run.Status, 0);
    }
    EXPECT_EQ(Run({"-a", "crc32", "-t", "123456789"}).Out, "7DC08C09\n");
    EXPECT_EQ(Run({"-la", "sha1", "-t", "abc"}).Out,
              Lower(ExpectedDigest(TAlgorithm::SHA1, "abc")) + "\n");
}

TEST_F(SumProgram, UnreadableFilesAreReportedAndTheOthersHashed) {
    const TRun run = Run({"missing", "abc", "folder", "a"});
    EXPECT_EQ(run.Out, ExpectedDigest(TAlgorithm::MD5, "abc") + "  abc\n" +
                           ExpectedDigest(TAlgorithm::MD5, "a") + "  a\n");
    EXPECT_EQ(run.Err, "corvanth-sum: missing: No such file or directory\n"
                       "corvanth-sum: folder: Is a directory\n");
    EXPECT_EQ(run.Status, 1);
}

TEST_F(SumProgram, UnpermittedFileIsReported) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    Write("secret", "x");
    fs::permissions(Files / "secret", fs::perms::none);
    const TRun run = Run({"secret"});
    fs::remove(Files / "secret");
    EXPECT_EQ(run.Err, "corvanth-sum: secret: Permission denied\n");
    EXPECT_EQ(run.Status, 1);
}

TEST_F(SumProgram, CheckReportsEveryLineAndSummarisesFailures) {
    const std::string abc = ExpectedDigest(TAlgorithm::MD5, "abc");
    const std::string a = ExpectedDigest(TAlgorithm::MD5, "a");
    std::string digits = ExpectedDigest(TAlgorithm::MD5, "123456789");
    for (std::size_t i = 0; i < digits.size(); i += 2)
        digits[i] = char(std::tolower(static_cast<unsigned char>(digits[i])));

    const std::string good = abc + "  abc\n" + Lower(a) + " *a\n" + digits + "  digits\n";
    Write("good.md5", good);
    const TRun allGood = Run({"-c", "good.md5"});
    EXPECT_EQ(allGood.Out, "abc: OK\na: OK\ndigits: OK\n");
    EXPECT_EQ(allGood.Err, "");
    EXPECT_EQ(allGood.Status, 0);
    EXPECT_EQ(Run({"--check", "-"}, good).Out, allGood.Out);

    Write("mixed.md5", good + "# a comment\n\n" + a + "  abc\n" + a + "  missing\n" + a +
                           "  folder\nnot a checksum line\n" + abc + "  abc\r\n");
    const TRun mixed = Run({"-c", "mixed.md5"});
    EXPECT_EQ(mixed.Out, "abc: OK\na: OK\ndigits: OK\nabc: FAILED\nmissing: FAILED open or read\n"
                         "folder: FAILED open or read\nabc: OK\n");
    EXPECT_EQ(mixed.Err, "corvanth-sum: missing: No such file or directory\n"
                         "corvanth-sum: folder: Is a directory\n"
                         "corvanth-sum: WARNING: 1 line is improperly formatted\n"
                         "corvanth-sum: WARNING: 2 listed files could not be read\n"
                         "corvanth-sum: WARNING: 1 computed checksum did NOT match\n");
    EXPECT_EQ(mixed.Status, 1);
}

TEST_F(SumProgram, CheckRefusesListsItCannotUse) {
    const TRun wrongAlgorithm = Run({"-c", "-"}, ExpectedDigest(TAlgorithm::SHA1, "a") + "  a\n");
    EXPECT_EQ(wrongAlgorithm.Out, "");
    EXPECT_EQ(wrongAlgorithm.Err,
              "corvanth-sum: standard input: no properly formatted checksum lines found\n");
    EXPECT_EQ(wrongAlgorithm.Status, 1);

    const TRun missingList = Run({"-c", "nolist"});
    EXPECT_EQ(missingList.Err, "corvanth-sum: nolist: No such file or directory\n");
    EXPECT_EQ(missingList.Status, 1);
}

TEST_F(SumProgram, NamesWithNewlineOrBackslashStayOnOneLine) {
    Write("new\nline", "x");
    Write("back\\slash", "y");
    const std::string x = ExpectedDigest(TAlgorithm::CRC32, "x");
    const std::string y = ExpectedDigest(TAlgorithm::CRC32, "y");
    const TRun hashed = Run({"-a", "crc32", "new\nline", "back\\slash"});
    EXPECT_EQ(hashed.Out, "\\" + x + "  new\\nline\n\\" + y + "  back\\\\slash\n");

    const TRun checked = Run({"-a", "crc32", "-c", "-"}, hashed.Out);
    EXPECT_EQ(checked.Out, "\\new\\nline: OK\n\\back\\\\slash: OK\n");
    EXPECT_EQ(checked.Status, 0);
}

TEST_F(SumProgram, HelpVersionAndUsageErrors) {
    const TRun version = Run({"--version"});
    EXPECT_EQ(version.Out, "corvanth-sum 1.0.1.11\n");
    EXPECT_EQ(version.Status, 0);
    const TRun help = Run({"--help"});
    EXPECT_TRUE(help.Out.starts_with("Usage: corvanth-sum")) << help.Out;
    EXPECT_EQ(help.Status, 0);

    const std::string hint = "Try 'corvanth-sum --help' for more information.\n";
    const std::pair<Args, std::string> usageErrors[] = {
        {{"-a", "crc16", "abc"},
         "invalid algorithm 'crc16' (choose crc32, sha1, sha256, sha512 or md5)"},
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"-t", "x", "abc"}, "extra operand 'abc'"},
        {{"-c"}, "option requires an argument -- 'c'"},
    };
    for (const auto& [args, message] : usageErrors) {
        SCOPED_TRACE(testing::PrintToString(args));
        const TRun run = Run(args);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err, "corvanth-sum: " + message + "\n" + hint);
        EXPECT_EQ(run.Status, 2);
    }
}

} // namespace
