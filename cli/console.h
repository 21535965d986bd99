// Where qv-lookup differs per build: its entry point and the form of the build tree's paths.
// The entry (console_win.cpp, console_posix.cpp) turns the command line into wide arguments,
// sets the standard streams up and calls Main.
#pragma once

#include <string>
#include <vector>

namespace qv::cli {

// The tool itself, given the arguments after the program's name; returns the exit code.
int Main(const std::vector<std::wstring>& args);

// A path of the build tree (a Linux path) as this build reaches it.
std::wstring BuildPath(const char* path);

}  // namespace qv::cli
