#include "cli/SumCommand.h"
#include "cli/SumOptions.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "platform/CodePage.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int Main(const std::vector<std::string>& args) {
    TSumOptions options;
    try {
        options = ParseSumOptions(args);
    } catch (const ESumUsage& error) {
        std::cerr << SumProgramName << ": " << error.what() << '\n'
                  << "Try '" << SumProgramName << " --help' for more information.\n";
        return 2;
    }
    return RunSum(options, std::cout, std::cerr);
}

} // namespace

#ifdef _WIN32
// The wide command line, as UTF-8, so text and names reach the rest unchanged.
int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdin), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(WideToCodePage(65001, reinterpret_cast<const char16_t*>(argv[i])));
    return Main(args);
}
#else
int main(int argc, char** argv) {
    return Main(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
