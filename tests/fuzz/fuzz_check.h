// What the fuzzers share: a failed property ends the run as a crash does, so that libFuzzer keeps
// the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace qv::fuzz {

[[noreturn]] inline void Fail(const char* fuzzer, const char* what) {
  std::fprintf(stderr, "%s: %s\n", fuzzer, what);
  std::abort();
}

}  // namespace qv::fuzz
