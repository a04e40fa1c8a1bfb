#include "cli/SumOptions.h"

#include "platform/AsciiText.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace {

struct TOptionDef {
    char Short;
    std::string_view Long;
    bool TakesValue;
};

// The long names start with distinct letters, so any prefix picks at most one of them.
constexpr std::array<TOptionDef, 7> OptionDefs{{
    {'a', "algorithm", true},
    {'l', "lower", false},
    {'t', "text", true},
    {'e', "encoding", true},
    {'c', "check", true},
    {'\0', "help", false},
    {'\0', "version", false},
}};

// Lower case without hyphens, so "SHA-256" and "UTF-8" are accepted too.
std::string NormalisedName(std::string_view value) {
    std::string result;
    for (char c : value) {
        if (c == '-')
            continue;
        result += AsciiLower(c);
    }
    return result;
}

TAlgorithm AlgorithmOfName(std::string_view value) {
    static constexpr std::array<std::pair<std::string_view, TAlgorithm>, 5> names{{
        {"crc32", TAlgorithm::CRC32},
        {"sha1", TAlgorithm::SHA1},
        {"sha256", TAlgorithm::SHA256},
        {"sha512", TAlgorithm::SHA512},
        {"md5", TAlgorithm::MD5},
    }};
    const std::string name = NormalisedName(value);
    for (const auto& [known, algorithm] : names)
        if (name == known)
            return algorithm;
    throw ESumUsage("invalid algorithm '" + std::string(value) +
                    "' (choose crc32, sha1, sha256, sha512 or md5)");
}

int EncodingIndexOfName(std::string_view value) {
    const std::string name = NormalisedName(value);
    if (name == "ansi")
        return 0;
    if (name == "unicode")
        return 1;
    if (name == "utf8")
        return 2;
    throw ESumUsage("invalid encoding '" + std::string(value) + "' (choose ansi, unicode or utf8)");
}

const TOptionDef& LongOption(std::string_view name) {
    if (!name.empty())
        for (const TOptionDef& option : OptionDefs)
            if (option.Long.starts_with(name))
                return option;
    throw ESumUsage("unrecognized option '--" + std::string(name) + "'");
}

const TOptionDef& ShortOption(char letter) {
    for (const TOptionDef& option : OptionDefs)
        if (option.Short == letter && letter != '\0')
            return option;
    throw ESumUsage(std::string("invalid option -- '") + letter + "'");
}

class TSumOptionParser {
public:
    explicit TSumOptionParser(const std::vector<std::string>& args) : Args(args) {}

    TSumOptions Parse() {
        bool optionsEnded = false;
        for (Next = 0; Next < Args.size();) {
            const std::string& arg = Args[Next++];
            if (optionsEnded || arg == "-" || !arg.starts_with('-'))
                Operands.push_back(arg);
            else if (arg == "--")
                optionsEnded = true;
            else if (arg.starts_with("--"))
                ParseLong(std::string_view(arg).substr(2));
            else
                ParseShortCluster(std::string_view(arg).substr(1));
            if (Options.Mode == TSumMode::Help || Options.Mode == TSumMode::Version)
                return Options;
        }
        return Validated();
    }

private:
    void ParseLong(std::string_view body) {
        const std::size_t equals = body.find('=');
        const TOptionDef& option = LongOption(body.substr(0, equals));
        std::optional<std::string> value;
        if (equals != std::string_view::npos) {
            if (!option.TakesValue)
                throw ESumUsage("option '--" + std::string(option.Long) +
                                "' doesn't allow an argument");
            value = std::string(body.substr(equals + 1));
        } else if (option.TakesValue) {
            if (Next == Args.size())
                throw ESumUsage("option '--" + std::string(option.Long) + "' requires an argument");
            value = Args[Next++];
        }
        Apply(option, value);
    }

    void ParseShortCluster(std::string_view letters) {
        for (std::size_t i = 0; i < letters.size(); ++i) {
            const TOptionDef& option = ShortOption(letters[i]);
            if (!option.TakesValue) {
                Apply(option, std::nullopt);
                continue;
            }
            // "-asha1" and "-a sha1" both give the value.
            if (i + 1 < letters.size()) {
                Apply(option, std::string(letters.substr(i + 1)));
            } else {
                if (Next == Args.size())
                    throw ESumUsage(std::string("option requires an argument -- '") + option.Short +
                                    "'");
                Apply(option, Args[Next++]);
            }
            return;
        }
    }

    void Apply(const TOptionDef& option, const std::optional<std::string>& value) {
        if (option.Long == "algorithm") {
            Options.Algorithm = AlgorithmOfName(*value);
        } else if (option.Long == "lower") {
            Options.Lower = true;
        } else if (option.Long == "text") {
            // A second TEXT or SUMFILE would silently drop the first one.
            if (TextGiven)
                throw ESumUsage("only one --text may be given");
            TextGiven = true;
            Options.Text = *value;
        } else if (option.Long == "encoding") {
            EncodingGiven = true;
            Options.EncodingIndex = EncodingIndexOfName(*value);
        } else if (option.Long == "check") {
            if (CheckGiven)
                throw ESumUsage("only one --check may be given");
            CheckGiven = true;
            Options.CheckFile = *value;
        } else if (option.Long == "help") {
            Options.Mode = TSumMode::Help;
        } else {
            Options.Mode = TSumMode::Version;
        }
    }

    TSumOptions Validated() {
        if (TextGiven && CheckGiven)
            throw ESumUsage("--text and --check cannot be combined");
        if (EncodingGiven && !TextGiven)
            throw ESumUsage("--encoding applies only to --text");
        if (CheckGiven && Options.Lower)
            throw ESumUsage("--lower is meaningless when checking sums");
        if ((TextGiven || CheckGiven) && !Operands.empty())
            throw ESumUsage("extra operand '" + Operands.front() + "'");
        if (TextGiven)
            Options.Mode = TSumMode::Text;
        else if (CheckGiven)
            Options.Mode = TSumMode::Check;
        else
            Options.Files = std::move(Operands);
        return std::move(Options);
    }

    const std::vector<std::string>& Args;
    std::size_t Next = 0;
    TSumOptions Options;
    std::vector<std::string> Operands;
    bool TextGiven = false;
    bool EncodingGiven = false;
    bool CheckGiven = false;
};

} // namespace

TSumOptions ParseSumOptions(const std::vector<std::string>& args) {
    return TSumOptionParser(args).Parse();
}

std::size_t DigestTextLength(TAlgorithm algorithm) {
    switch (algorithm) {
    case TAlgorithm::CRC32:
        return 8;
    case TAlgorithm::SHA1:
        return 40;
    case TAlgorithm::SHA256:
        return 64;
    case TAlgorithm::SHA512:
        return 128;
    case TAlgorithm::MD5:
        break;
    }
    return 32;
}
