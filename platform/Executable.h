#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The running executable's full path; empty if the system does not tell.
std::filesystem::path ExecutablePath();

// The folder that holds the running executable.
std::filesystem::path ExecutableDir();

// The executable's version ("1.0.1.11"); empty when the executable carries none.
std::string ExecutableVersion();

// Tests stand in a version of their own (an empty text for an executable without one);
// std::nullopt returns to the executable's real version.
void OverrideExecutableVersion(std::optional<std::string> version);
