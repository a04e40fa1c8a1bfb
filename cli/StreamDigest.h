#pragma once

#include "hash/FileDigest.h"

#include <cstdio>
#include <string>

// The digest of everything a stream delivers until its end, for input whose size is not known
// beforehand (standard input, pipes, devices). Read in chunks and fed to the engine as they come,
// so any amount of input takes constant memory; the result equals DigestOfFile's for the same
// bytes. A read error raises std::system_error with the system's reason.
std::string DigestOfStream(TAlgorithm algorithm, std::FILE* stream);
