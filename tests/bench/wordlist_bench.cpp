// Figures of the look-up window's word list, printed and never asserted: the time to read it
// from the dictionary and WordNet, its size and memory, and the time of a suggestion list for
// every two-letter prefix (aa ... zz).
//   wordlist_bench HOME [ROUNDS=5]   HOME ends with a separator
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/history/word_list.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: wordlist_bench HOME [ROUNDS]\n");
    return 2;
  }
  const std::string home = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  Clock::time_point t0 = Clock::now();
  qv::CWordList list = qv::CWordList::Load(home, home + "dict");
  Clock::time_point t1 = Clock::now();
  std::printf("word list: %zu words, %.2f MB, read in %.1f ms\n", list.Size(),
              list.Bytes() / (1024.0 * 1024.0), Ms(t0, t1));
  std::vector<double> times;
  std::size_t shown = 0;
  for (int r = 0; r < rounds; ++r)
    for (wchar_t a = L'a'; a <= L'z'; ++a)
      for (wchar_t b = L'a'; b <= L'z'; ++b) {
        const wchar_t prefix[] = {a, b, 0};
        Clock::time_point s = Clock::now();
        shown += list.Suggest(prefix).size();
        times.push_back(Ms(s, Clock::now()));
      }
  std::sort(times.begin(), times.end());
  auto at = [&](double q) { return times[static_cast<std::size_t>(q * (times.size() - 1))]; };
  std::printf("suggestions for the 676 two-letter prefixes x %d: median %.3f ms  p90 %.3f ms  "
              "max %.3f ms  (%.1f words a list)\n",
              rounds, at(0.5), at(0.9), times.back(), double(shown) / times.size());
  return 0;
}
