// Time of one whole look-up (everything but the screen capture and the popup window) over the
// most frequent lemmas: mean and percentiles per request, after one warm-up pass, and where the
// time goes, measured around each service the composition calls.
//   lookup_bench HOME INSTALL_DIR [COUNT=5000] [ROUNDS=3]   directories end with a separator
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/datacache.h"
#include "core/lookup_services.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#include "tests/unit/frequent_lemmas.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Stage {
  const char* name;
  double micros = 0;
  long calls = 0;
};
enum { kPartOfSpeech, kPronounce, kTranslation, kDescribe, kBaseForm, kCaptions, kStages };
Stage g_stages[kStages] = {{"part-of-speech lists"}, {"pronunciations"}, {"main translation"},
                           {"DescribeWord"},         {"BaseForm"},       {"text bundle"}};

template <typename F>
auto Timed(int stage, F&& f) {
  Clock::time_point t0 = Clock::now();
  auto result = f();
  g_stages[stage].micros += std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
  ++g_stages[stage].calls;
  return result;
}

class TimedDictionary : public qv::IDictionary {
 public:
  std::wstring Lookup(qv::DictSource s, const std::wstring& w) override {
    int stage = s == qv::DictSource::Pronounce ? kPronounce
                : s == qv::DictSource::Translation ? kTranslation : kPartOfSpeech;
    return Timed(stage, [&] { return m_real.Lookup(s, w); });
  }
  qv::CStoreDictionary m_real;
};

class TimedLexical : public qv::ILexicalAnalysis {
 public:
  std::optional<std::string> DescribeWord(std::string w) override {
    return Timed(kDescribe, [&] { return m_real.DescribeWord(std::move(w)); });
  }
  std::optional<std::string> BaseForm(std::string w) override {
    return Timed(kBaseForm, [&] { return m_real.BaseForm(std::move(w)); });
  }
  std::vector<std::string> HeadingForms() override { return m_real.HeadingForms(); }
  qv::lexical::Answer LastAnswer() override { return m_real.LastAnswer(); }
  qv::CWordNetAnalysis m_real;
};

class TimedCaptions : public qv::ICaptions {
 public:
  std::wstring GetText(std::wstring_view key) override {
    return Timed(kCaptions, [&] { return m_real.GetText(key); });
  }
  qv::CBundleCaptions m_real;
};

class NoPopup : public qv::IPopup {
 public:
  std::size_t chars = 0;
  void Show(const std::wstring& title, const std::wstring& body) override {
    chars += title.size() + body.size();
  }
};

class NoMessages : public qv::IMessageBox {
 public:
  void Show(const std::wstring&, const std::wstring&, Kind) override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: lookup_bench HOME INSTALL_DIR [COUNT] [ROUNDS]\n");
    return 2;
  }
  std::string home = argv[1];
  std::size_t count = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 5000;
  int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
  using qv::platform::Hive;
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kLexiconKeyPath, L"WNHome",
                                 qv::platform::Utf8ToWide(home));
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"Target",
                                 qv::platform::Utf8ToWide(argv[2]));
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"QVLang", L"fr");
  std::string sep = home.substr(home.size() - 1);
  std::vector<std::string> words =
      qv::testing::FrequentLemmas(home + "dict" + sep + "cntlist.rev", count);
  if (words.size() != count) {
    std::fprintf(stderr, "lookup_bench: only %zu lemmas found\n", words.size());
    return 1;
  }

  qv::CGivenText capture;
  NoPopup popup;
  NoMessages messages;
  TimedDictionary dictionary;
  TimedCaptions captions;
  TimedLexical lexical;
  qv::CLookup lookup({capture, messages, popup, dictionary, captions, lexical});
  auto run = [&](const std::string& word) {
    capture.text = qv::platform::AnsiToWide(word);
    lookup.LookupUnderCursor();
  };
  for (const std::string& w : words) run(w);  // warm-up: file cache, WordNet's open files
  for (Stage& s : g_stages) s = {s.name};

  std::vector<double> micros;
  micros.reserve(words.size() * rounds);
  for (int r = 0; r < rounds; ++r)
    for (const std::string& w : words) {
      Clock::time_point t0 = Clock::now();
      run(w);
      micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
  std::sort(micros.begin(), micros.end());
  double sum = 0;
  for (double m : micros) sum += m;
  auto pct = [&](double p) {
    return micros[std::min(micros.size() - 1, static_cast<std::size_t>(p * micros.size()))];
  };
  std::printf("LookupUnderCursor over %zu lemmas x %d rounds\n", words.size(), rounds);
  std::printf("mean %.1f us  p50 %.1f us  p90 %.1f us  p99 %.1f us  max %.1f us\n",
              sum / micros.size(), pct(0.50), pct(0.90), pct(0.99), micros.back());
  std::printf("where the time goes (per request):\n");
  double staged = 0;
  for (const Stage& s : g_stages) {
    staged += s.micros;
    std::printf("  %-22s %8.1f us  %5.1f%%  (%.2f calls)\n", s.name, s.micros / micros.size(),
                100 * s.micros / sum, double(s.calls) / micros.size());
  }
  std::printf("  %-22s %8.1f us  %5.1f%%\n", "composition itself", (sum - staged) / micros.size(),
              100 * (sum - staged) / sum);

  // The memory the program's caches take: the kept data files and blocks, and a full cache of
  // composed results.
  qv::CComposeCache kept([] { return std::uint64_t{1}; });
  lookup.UseCache(&kept);
  for (std::size_t i = 0; i < words.size() && kept.Size() < qv::CComposeCache::kCapacity; ++i)
    run(words[i]);
  std::printf("memory: data cache %.0f KiB, composed results (%zu kept) %.0f KiB\n",
              qv::SharedDataCache().MemoryBytes() / 1024.0, kept.Size(), kept.MemoryBytes() / 1024.0);
  return 0;
}
