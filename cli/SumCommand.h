#pragma once

#include "cli/SumOptions.h"

#include <iosfwd>
#include <string_view>

inline constexpr std::string_view SumProgramName = "corvanth-sum";

// Does what the options ask and returns the exit status: 0 when every file was hashed or
// matched, 1 when anything failed. Results go to out; complaints and summaries to err.
int RunSum(const TSumOptions& options, std::ostream& out, std::ostream& err);
