#pragma once

#include "hash/FileDigest.h"

#include <stdexcept>
#include <string>
#include <vector>

// What one run of corvanth-sum is asked to do.
enum class TSumMode { Files, Text, Check, Help, Version };

struct TSumOptions {
    TSumMode Mode = TSumMode::Files;
    TAlgorithm Algorithm = TAlgorithm::MD5;
    bool Lower = false;
    std::string Text;      // the bytes of the TEXT argument, UTF-8
    int EncodingIndex = 0; // 0 ANSI, 1 Unicode (UTF-16LE), 2 UTF-8, as on the Text page
    std::string CheckFile;
    std::vector<std::string> Files; // empty means standard input
};

// A command line that cannot be obeyed; the text is one line without the program's name.
class ESumUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the arguments after the program's name, GNU style: options and operands in any order,
// bundled short options, "--name=value", unique prefixes of long names, "--" ends the options
// and "-" is an operand. Throws ESumUsage.
TSumOptions ParseSumOptions(const std::vector<std::string>& args);

// Characters of the digest text of the algorithm (8 for CRC32, 2 per byte for the others).
std::size_t DigestTextLength(TAlgorithm algorithm);
