// Time of one Lookup per source on the generated data, for the first, middle and last word of
// the file or block that holds it (a translation decodes and scans its whole block; the lists
// and the pronunciation files are read line by line up to the word).
//   dictstore_bench [google-benchmark flags]     (native: Google Benchmark)
//   dictstore_bench.exe [ROUNDS=2000]            (Windows: medians of timed rounds)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/dictionary/dict_store.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/resources.h"

#ifdef QV_HAVE_GBENCH
#include <benchmark/benchmark.h>
#endif

namespace {

using qv::DictSource;

struct Case {
  std::string name;
  DictSource src;
  std::wstring word;
};

// The keys of CR LF separated "key=value" text, in file order.
std::vector<std::wstring> Keys(const std::wstring& text) {
  std::vector<std::wstring> keys;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::size_t eq = text.find(L'=', start);
    if (eq < end) keys.push_back(text.substr(start, eq - start));
    start = end + 1;
  }
  return keys;
}

std::wstring ReadFile(const std::string& path, bool utf8) {
  std::ifstream in(qv::platform::NativePath(path), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return utf8 ? qv::platform::Utf8ToWide(bytes) : qv::platform::AnsiToWide(bytes);
}

void AddThree(std::vector<Case>& cases, const std::string& what, DictSource src,
              const std::vector<std::wstring>& keys) {
  if (keys.empty()) return;
  std::pair<const char*, std::size_t> at[] = {
      {"start", 0}, {"middle", keys.size() / 2}, {"end", keys.size() - 1}};
  for (auto [where, i] : at) cases.push_back({what + "/" + where, src, keys[i]});
}

std::vector<Case> MakeCases() {
  std::string home = QV_LEXICON_HOME;
  std::vector<Case> cases;
  // Block 235 ("s") is the largest.
  std::optional<std::string_view> block = qv::platform::FindBlock(L"DICT", L"#235");
  if (block) AddThree(cases, "Translation#235", qv::DictSource::Translation, Keys(qv::platform::AnsiToWide(*block)));
  std::optional<std::string_view> small = qv::platform::FindBlock(L"DICT", L"#225");
  if (small) AddThree(cases, "Translation#225", qv::DictSource::Translation, Keys(qv::platform::AnsiToWide(*small)));
  const std::pair<const char*, DictSource> lists[] = {
      {"qv.vrb", qv::DictSource::Verb}, {"qv.nn", qv::DictSource::Noun}, {"qv.dj", qv::DictSource::Adj}, {"qv.dv", qv::DictSource::Adv}};
  for (auto [file, src] : lists)
    AddThree(cases, std::string(file), src, Keys(ReadFile(home + "dict\\" + file, false)));
  AddThree(cases, "Pronounce/prn-s.txt", qv::DictSource::Pronounce,
           Keys(ReadFile(home + "dict\\prn-s.txt", true)));
  return cases;
}

bool SetHome() {
  qv::platform::RegKey key =
      qv::platform::RegKey::Create(qv::platform::Hive::LocalMachine, qv::kLexiconKeyPath);
  return key && key.WriteAnsi("WNHome", QV_LEXICON_HOME);
}

}  // namespace

int main(int argc, char** argv) {
  if (!SetHome()) {
    std::fprintf(stderr, "cannot set WNHome\n");
    return 1;
  }
  std::vector<Case> cases = MakeCases();
  for (const Case& c : cases)
    if (qv::CDictStore(c.src).Lookup(c.word).empty()) {
      std::fprintf(stderr, "%s: no result for its word\n", c.name.c_str());
      return 1;
    }
#ifdef QV_HAVE_GBENCH
  for (const Case& c : cases)
    benchmark::RegisterBenchmark(("Lookup/" + c.name).c_str(), [c](benchmark::State& state) {
      qv::CDictStore source(c.src);
      for (auto _ : state) benchmark::DoNotOptimize(source.Lookup(c.word));
    })->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
#else
  int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
  std::printf("%-32s %12s %12s\n", "Lookup", "median us", "p90 us");
  for (const Case& c : cases) {
    qv::CDictStore source(c.src);
    std::vector<double> us;
    for (int i = 0; i < rounds; ++i) {
      auto t0 = std::chrono::steady_clock::now();
      std::wstring r = source.Lookup(c.word);
      auto t1 = std::chrono::steady_clock::now();
      us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    std::sort(us.begin(), us.end());
    std::printf("%-32s %12.1f %12.1f\n", c.name.c_str(), us[us.size() / 2], us[us.size() * 9 / 10]);
  }
#endif
  return 0;
}
