// Time of one whole look-up (everything but the screen capture and the popup window) over the
// most frequent lemmas: the first and the tenth look-up of the process, then, for WordNet read
// by its library and by the program's own reader of the mapped files, side by side, the mean
// and percentiles per request after one warm-up pass, and where the time goes, measured around
// each service the composition calls.
//   lookup_bench HOME INSTALL_DIR [COUNT=5000] [ROUNDS=3] [--warm-up | --library]
// Directories end with a separator. --warm-up runs the program's start-up warm-up (on a
// thread, awaited) before the first look-up; --library makes the first look-ups use the library.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/datacache.h"
#include "core/lexical/library_wordnet.h"
#include "core/lexical/search_steps.h"
#include "core/lexical/wordnet.h"
#include "core/lookup_config.h"
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

// CWordNetAnalysis over a chosen reader of the database.
class TimedLexical : public qv::ILexicalAnalysis {
 public:
  std::optional<std::string> DescribeWord(std::string w) override {
    return Timed(kDescribe, [&]() -> std::optional<std::string> {
      return qv::lexical::DescribeWord(*m_reader, w, 5, true, &m_headings, &m_answer);
    });
  }
  std::optional<std::string> BaseForm(std::string w) override {
    return Timed(kBaseForm, [&] { return qv::lexical::BaseForm(*m_reader, w); });
  }
  std::vector<std::string> HeadingForms() override { return m_headings; }
  qv::lexical::Answer LastAnswer() override { return m_answer; }
  qv::lexical::WordNet* m_reader = &qv::lexical::ProgramWordNet();

 private:
  std::vector<std::string> m_headings;
  qv::lexical::Answer m_answer = qv::lexical::Answer::Description;
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
    std::fprintf(stderr, "usage: lookup_bench HOME INSTALL_DIR [COUNT] [ROUNDS] [--warm-up]\n");
    return 2;
  }
  std::string home = argv[1];
  std::size_t count = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 5000;
  int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
  const char* flag = argc > 5 ? argv[5] : "";
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
  auto elapsed = [](Clock::time_point t0) {
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
  };

  // The first look-ups of the process: each a different word, as after a start.
  if (std::strcmp(flag, "--library") == 0) lexical.m_reader = &qv::lexical::LibraryWordNet();
  if (std::strcmp(flag, "--warm-up") == 0) {
    Clock::time_point t0 = Clock::now();
    std::thread warmUp([config = qv::CurrentLookupConfig()] { qv::WarmUpLookupData(config); });
    warmUp.join();
    std::printf("warm-up (on its own thread) %.1f ms\n", elapsed(t0) / 1000);
  }
  std::vector<double> first;
  for (std::size_t i = 0; i < 10 && i < words.size(); ++i) {
    Clock::time_point t0 = Clock::now();
    run(words[words.size() - 1 - i]);
    first.push_back(elapsed(t0));
  }
  std::printf("%s: first look-up %.1f us, second %.1f us, tenth %.1f us\n",
              *flag ? flag + 2 : "cold start", first[0], first[1], first.back());
  lexical.m_reader = &qv::lexical::ProgramWordNet();

  struct Reader {
    const char* name;
    qv::lexical::WordNet* wn;
  };
  for (Reader reader : {Reader{"WordNet library (before)", &qv::lexical::LibraryWordNet()},
                        Reader{"mapped files (after)", &qv::lexical::ProgramWordNet()}}) {
    lexical.m_reader = reader.wn;
    for (const std::string& w : words) run(w);  // warm-up: file cache, open files
    for (Stage& s : g_stages) s = {s.name};

    std::vector<double> micros;
    micros.reserve(words.size() * rounds);
    for (int r = 0; r < rounds; ++r)
      for (const std::string& w : words) {
        Clock::time_point t0 = Clock::now();
        run(w);
        micros.push_back(elapsed(t0));
      }
    std::sort(micros.begin(), micros.end());
    double sum = 0;
    for (double m : micros) sum += m;
    auto pct = [&](double p) {
      return micros[std::min(micros.size() - 1, static_cast<std::size_t>(p * micros.size()))];
    };
    std::printf("\n%s: LookupUnderCursor over %zu lemmas x %d rounds\n", reader.name,
                words.size(), rounds);
    std::printf("mean %.1f us  p50 %.1f us  p90 %.1f us  p99 %.1f us  max %.1f us\n",
                sum / micros.size(), pct(0.50), pct(0.90), pct(0.99), micros.back());
    std::printf("where the time goes (per request):\n");
    double staged = 0;
    for (const Stage& s : g_stages) {
      staged += s.micros;
      std::printf("  %-22s %8.1f us  %5.1f%%  (%.2f calls)\n", s.name, s.micros / micros.size(),
                  100 * s.micros / sum, double(s.calls) / micros.size());
    }
    std::printf("  %-22s %8.1f us  %5.1f%%\n", "composition itself",
                (sum - staged) / micros.size(), 100 * (sum - staged) / sum);
  }

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
