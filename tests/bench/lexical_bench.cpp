// Time of one word description over the most frequent lemmas (by the tag counts of
// cntlist.rev): mean and percentiles per word, after one warm-up pass.
//   lexical_bench HOME [COUNT=5000] [ROUNDS=5]   HOME: the lexicon home, ending in a separator
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef _WIN32
#include <time.h>
#endif

#include "core/lexical/search.h"
#include "core/settings.h"
#include "tests/unit/frequent_lemmas.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: lexical_bench HOME [COUNT] [ROUNDS]\n");
    return 2;
  }
  std::string home = argv[1];
  std::size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 5000;
  int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
  std::wstring wideHome(home.begin(), home.end());
  qv::platform::RegKey key =
      qv::platform::RegKey::Create(qv::platform::Hive::LocalMachine, qv::kLexiconKeyPath);
  if (!key || !key.WriteWide(L"WNHome", wideHome)) return 1;
  std::string sep = home.substr(home.size() - 1);
  std::vector<std::string> words =
      qv::testing::FrequentLemmas(home + "dict" + sep + "cntlist.rev", count);
  if (words.size() != count) {
    std::fprintf(stderr, "lexical_bench: only %zu lemmas found\n", words.size());
    return 1;
  }

  // Wall time is what the user waits; on a busy machine it includes time spent waiting for
  // the processor, so the thread's own processor time is shown beside it where it is precise.
  auto cpuMicros = [] {
#ifndef _WIN32
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
#else
    return 0.0;
#endif
  };
  using Clock = std::chrono::steady_clock;
  std::size_t bytes = 0;
  for (std::string w : words) bytes += qv::lexical::DescribeWord(w).size();
  std::vector<double> micros, cpu;
  micros.reserve(words.size() * rounds);
  cpu.reserve(words.size() * rounds);
  for (int r = 0; r < rounds; ++r)
    for (const std::string& word : words) {
      std::string w = word;
      double c0 = cpuMicros();
      Clock::time_point t0 = Clock::now();
      std::string text = qv::lexical::DescribeWord(w);
      Clock::time_point t1 = Clock::now();
      cpu.push_back(cpuMicros() - c0);
      micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
  std::printf("DescribeWord over %zu lemmas x %d rounds (%zu bytes of text per round)\n",
              words.size(), rounds, bytes);
  auto report = [](const char* what, std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double m : v) sum += m;
    auto pct = [&](double p) {
      return v[std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()))];
    };
    std::printf("%-9s mean %.1f us  p50 %.1f us  p90 %.1f us  p99 %.1f us  max %.1f us\n", what,
                sum / v.size(), pct(0.50), pct(0.90), pct(0.99), v.back());
  };
  report("wall", micros);
#ifndef _WIN32
  report("cpu", cpu);
#endif
  return 0;
}
