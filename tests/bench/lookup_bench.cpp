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
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "core/dictionary/data_cache.h"
#include "core/lexical/library_wordnet.h"
#include "core/lexical/search_steps.h"
#include "core/lexical/wordnet.h"
#include "core/lookup/lookup_config.h"
#include "core/lookup/lookup_services.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#include "tests/unit/frequent_lemmas.h"
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#endif

namespace {

// The processor time this thread has used, in microseconds: on a shared machine a request may
// wait for a processor in the middle, which its wall time counts and this does not.
double ThreadCpuMicros() {
#ifdef _WIN32
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto value = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(value(kernel) + value(user)) / 10;
#else
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
#endif
}

// The process's private memory and its working set (resident pages, the mapped files' among
// them), in KiB.
void PrintProcessMemory(const char* when) {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                           sizeof pmc))
    std::printf("process memory %s: private bytes %zu KiB, working set %zu KiB\n", when,
                static_cast<std::size_t>(pmc.PrivateUsage / 1024),
                static_cast<std::size_t>(pmc.WorkingSetSize / 1024));
#else
  std::string status;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      for (const char* field : {"RssAnon:", "RssFile:", "VmRSS:"})
        if (std::strncmp(line, field, std::strlen(field)) == 0) {
          status += ' ';
          status.append(line, std::strcspn(line, "\n"));
        }
    std::fclose(f);
  }
  std::printf("process memory %s (private: RssAnon, mapped files: RssFile):%s\n", when,
              status.c_str());
#endif
}

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

// Times `run` over the words, `rounds` times, with WordNet read by `reader`: the time per look-up,
// the thread's processor time, the slowest words and where the time goes.
template <typename Run>
void TimeReader(const char* name, qv::lexical::WordNet* reader, TimedLexical& lexical,
                const std::vector<std::string>& words, int rounds, Run run) {
  auto elapsed = [](Clock::time_point t0) {
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
  };
  lexical.m_reader = reader;
  for (const std::string& w : words) run(w);  // warm-up: file cache, open files
  for (Stage& s : g_stages) s = {s.name};

  std::vector<double> micros, cpu;
  micros.reserve(words.size() * rounds);
  cpu.reserve(words.size() * rounds);
  std::vector<std::pair<double, const std::string*>> slowest;
  for (int r = 0; r < rounds; ++r)
    for (const std::string& w : words) {
      const double c0 = ThreadCpuMicros();
      Clock::time_point t0 = Clock::now();
      run(w);
      micros.push_back(elapsed(t0));
      cpu.push_back(ThreadCpuMicros() - c0);
      if (r == 0) slowest.emplace_back(cpu.back(), &w);
    }
  std::sort(micros.begin(), micros.end());
  std::sort(cpu.begin(), cpu.end());
  std::partial_sort(slowest.begin(), slowest.begin() + std::min<std::size_t>(5, slowest.size()),
                    slowest.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  double sum = 0;
  for (double m : micros) sum += m;
  auto pct = [&](double p) {
    return micros[std::min(micros.size() - 1, static_cast<std::size_t>(p * micros.size()))];
  };
  std::printf("\n%s: LookupUnderCursor over %zu lemmas x %d rounds\n", name,
              words.size(), rounds);
  std::printf("mean %.1f us  p50 %.1f us  p90 %.1f us  p99 %.1f us  max %.1f us\n",
              sum / micros.size(), pct(0.50), pct(0.90), pct(0.99), micros.back());
  double cpuSum = 0;
  for (double c : cpu) cpuSum += c;
  auto cpuPct = [&](double p) {
    return cpu[std::min(cpu.size() - 1, static_cast<std::size_t>(p * cpu.size()))];
  };
  std::printf("thread processor time: mean %.1f us  p50 %.1f us  p99 %.1f us  max %.1f us\n",
              cpuSum / cpu.size(), cpuPct(0.50), cpuPct(0.99), cpu.back());
  std::printf("most processor time in the first round:");
  for (std::size_t i = 0; i < 5 && i < slowest.size(); ++i)
    std::printf(" %s %.0f us", slowest[i].second->c_str(), slowest[i].first);
  std::printf("\nwhere the time goes (per request):\n");
  double staged = 0;
  for (const Stage& s : g_stages) {
    staged += s.micros;
    std::printf("  %-22s %8.1f us  %5.1f%%  (%.2f calls)\n", s.name, s.micros / micros.size(),
                100 * s.micros / sum, double(s.calls) / micros.size());
  }
  std::printf("  %-22s %8.1f us  %5.1f%%\n", "composition itself",
              (sum - staged) / micros.size(), 100 * (sum - staged) / sum);
}

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
    // Meanwhile the program's window reads its captions from the text bundle.
    captions.m_real.GetText(L"Disable");
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

  TimeReader("WordNet library (before)", &qv::lexical::LibraryWordNet(), lexical, words, rounds, run);
  TimeReader("mapped files (after)", &qv::lexical::ProgramWordNet(), lexical, words, rounds, run);
  PrintProcessMemory("after the look-ups");

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
