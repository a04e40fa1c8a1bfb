#include "cli/SumCommand.h"

#include "cli/StreamDigest.h"
#include "cli/SumLine.h"
#include "platform/AsciiText.h"
#include "platform/CodePage.h"
#include "platform/Executable.h"
#include "platform/TextEncoding.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t UTF8CodePage = 65001;

constexpr std::string_view HelpText =
    R"(Usage: corvanth-sum [OPTION]... [FILE]...
  or:  corvanth-sum [-a ALGO] [-l] -t TEXT [-e ENCODING]
  or:  corvanth-sum [-a ALGO] -c SUMFILE
Print or check digests and checksums of files or text.
With no FILE, or when FILE is -, read standard input.

  -a, --algorithm=ALGO     crc32, sha1, sha256, sha512 or md5 (default md5)
  -l, --lower              print digests in lower case
  -t, --text=TEXT          print the digest of TEXT instead of files
  -e, --encoding=ENCODING  hash TEXT encoded as ansi (the ANSI code page, the
                           default), unicode (UTF-16 little-endian) or utf8
  -c, --check=SUMFILE      read "DIGEST  NAME" lines from SUMFILE (- for
                           standard input) and check the files they name
      --help               display this help and exit
      --version            output version information and exit

Lines are written "DIGEST  NAME"; digests are upper-case hexadecimal. crc32 is
this program's own 32-bit CRC (polynomial 9DB11213), not the common CRC-32.

Exit status: 0 when every file was hashed or matched, 1 when any failed,
2 on a usage error.
)";

// Arguments arrive as UTF-8 (converted from the wide command line on Windows).
fs::path PathOfArgument(const std::string& name) {
#ifdef _WIN32
    return fs::path(std::u8string(name.begin(), name.end()));
#else
    return fs::path(name);
#endif
}

std::FILE* OpenForReading(const fs::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TOpenFile = std::unique_ptr<std::FILE, TFileCloser>;

std::system_error SystemError(int code) {
    return std::system_error(code, std::generic_category());
}

// Opens a named file for stream reading or raises the system's reason. Folders are refused
// up front: some systems let them be opened and report a size for them.
TOpenFile OpenInput(const fs::path& path) {
    if (fs::is_directory(fs::status(path)))
        throw SystemError(EISDIR);
    errno = 0;
    TOpenFile file(OpenForReading(path));
    if (!file)
        throw SystemError(errno ? errno : EIO);
    return file;
}

// The reason to show for a failure, in the system's words where possible ("No such file or
// directory", "Is a directory", "Permission denied").
std::string FailureReason(const std::string& name, const std::exception& error) {
    if (const auto* systemError = dynamic_cast<const std::system_error*>(&error))
        return systemError->code().message();
    if (name == "-")
        return error.what();
    // The engine's open error carries more than the reason; opening again tells it alone.
    try {
        OpenInput(PathOfArgument(name));
    } catch (const std::system_error& openError) {
        return openError.code().message();
    }
    return error.what();
}

class TSumRun {
public:
    TSumRun(const TSumOptions& options, std::ostream& out, std::ostream& err)
        : Options(options), Out(out), Err(err) {}

    int Run() {
        switch (Options.Mode) {
        case TSumMode::Help:
            Out << HelpText;
            return 0;
        case TSumMode::Version:
            Out << VersionLine() << '\n';
            return 0;
        case TSumMode::Text:
            Out << Presented(DigestOfText()) << '\n';
            return 0;
        case TSumMode::Check:
            return CheckSums();
        case TSumMode::Files:
            break;
        }
        return HashFiles();
    }

private:
    static std::string VersionLine() {
        const std::string version = ExecutableVersion();
        return version.empty() ? std::string(SumProgramName)
                               : std::string(SumProgramName) + " " + version;
    }

    std::string Presented(const std::string& digest) const {
        return Options.Lower ? AsciiLowerCase(digest) : digest;
    }

    // The text as the window's Text page hashes it: decoded to UTF-16, then encoded.
    std::string DigestOfText() const {
        const std::string bytes =
            EncodeText(CodePageToWide(UTF8CodePage, Options.Text), Options.EncodingIndex);
        return DigestOfBuffer(Options.Algorithm, bytes.data(), bytes.size());
    }

    int HashFiles() {
        static const std::vector<std::string> standardInput{"-"};
        const std::vector<std::string>& names =
            Options.Files.empty() ? standardInput : Options.Files;
        bool allHashed = true;
        for (const std::string& name : names) {
            try {
                Out << SumLine(Presented(DigestOfInput(name)), name) << '\n';
            } catch (const std::exception& error) {
                Complain(name, FailureReason(name, error));
                allHashed = false;
            }
        }
        return allHashed ? 0 : 1;
    }

    // Regular files go through the same reading code as the window; standard input, pipes
    // and devices have no size to go by and are read to their end.
    std::string DigestOfInput(const std::string& name) const {
        if (name == "-")
            return DigestOfStream(Options.Algorithm, stdin);
        const fs::path path = PathOfArgument(name);
        if (fs::is_regular_file(fs::status(path)))
            return DigestOfFile(Options.Algorithm, path);
        return DigestOfStream(Options.Algorithm, OpenInput(path).get());
    }

    int CheckSums() {
        const bool fromStandardInput = Options.CheckFile == "-";
        const std::string listName = fromStandardInput ? "standard input" : Options.CheckFile;
        TOpenFile listFile;
        std::FILE* list = stdin;
        if (!fromStandardInput) {
            try {
                listFile = OpenInput(PathOfArgument(Options.CheckFile));
            } catch (const std::system_error& error) {
                Complain(listName, error.code().message());
                return 1;
            }
            list = listFile.get();
        }

        const std::size_t digestLength = DigestTextLength(Options.Algorithm);
        std::size_t properLines = 0, improperLines = 0, unreadable = 0, mismatched = 0;
        std::string line;
        while (ReadLine(list, line)) {
            if (line.ends_with('\r'))
                line.pop_back();
            if (line.empty() || line.starts_with('#'))
                continue;
            const std::optional<TSumEntry> entry = ParseSumLine(line, digestLength);
            if (!entry) {
                ++improperLines;
                continue;
            }
            ++properLines;
            std::string digest;
            try {
                digest = DigestOfInput(entry->Name);
            } catch (const std::exception& error) {
                Complain(entry->Name, FailureReason(entry->Name, error));
                Out << StatusLine(entry->Name, "FAILED open or read") << '\n';
                ++unreadable;
                continue;
            }
            const bool match = SameTextAscii<char>(digest, entry->Digest);
            Out << StatusLine(entry->Name, match ? "OK" : "FAILED") << '\n';
            mismatched += match ? 0 : 1;
        }
        if (std::ferror(list)) {
            Complain(listName, SystemError(errno ? errno : EIO).code().message());
            return 1;
        }

        if (properLines == 0) {
            Complain(listName, "no properly formatted checksum lines found");
            return 1;
        }
        Warn(improperLines, "line is improperly formatted", "lines are improperly formatted");
        Warn(unreadable, "listed file could not be read", "listed files could not be read");
        Warn(mismatched, "computed checksum did NOT match", "computed checksums did NOT match");
        return improperLines + unreadable + mismatched == 0 ? 0 : 1;
    }

    // One line without its '\n'; false when nothing is left.
    static bool ReadLine(std::FILE* file, std::string& line) {
        line.clear();
        int c;
        while ((c = std::getc(file)) != EOF) {
            if (c == '\n')
                return true;
            line += char(c);
        }
        return !line.empty();
    }

    void Complain(std::string_view name, std::string_view reason) {
        Out.flush(); // keep the order of the two streams when they share a terminal or a file
        Err << SumProgramName << ": " << EscapedName(name) << ": " << reason << '\n';
    }

    void Warn(std::size_t count, std::string_view one, std::string_view many) {
        if (count == 0)
            return;
        Out.flush();
        Err << SumProgramName << ": WARNING: " << count << ' ' << (count == 1 ? one : many) << '\n';
    }

    const TSumOptions& Options;
    std::ostream& Out;
    std::ostream& Err;
};

} // namespace

int RunSum(const TSumOptions& options, std::ostream& out, std::ostream& err) {
    const int status = TSumRun(options, out, err).Run();
    out.flush();
    if (!out) {
        err << SumProgramName << ": write error\n";
        return 1;
    }
    return status;
}
