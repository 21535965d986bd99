// C-runtime seam: where the two builds' C runtimes differ for a C library that QV drives through
// the environment and stdio streams (the WordNet library).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace qv::platform {

// Sets a variable of the process's environment.
void SetEnvironmentValue(const char* name, const std::string& value);

// Replaces fp, a file opened for reading in text mode, by the same file (at `path`, in Windows
// form) in binary mode, where text mode costs: the Windows runtime works out every position it
// reports by rescanning its buffer for line ends. Files with bare line feeds read the same bytes
// at the same offsets either way. Nothing to do where text mode is binary mode, or fp is null.
void ReopenBinary(std::FILE*& fp, std::string_view path);

// Replaces fp by a stream over the file's bytes mapped into memory, so that seeking and reading
// are plain memory accesses, and returns those bytes; they stay mapped as long as the process
// lives. Empty, fp left as it is, when the file cannot be mapped or the runtime has no memory
// stream (Windows).
std::string_view MapForReading(std::FILE*& fp);

}  // namespace qv::platform
