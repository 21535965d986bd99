// What the text around a captured word costs a look-up: the composition of each sentence of
// the goals list (expression_sentences.tsv) with its context and without, after one warm-up
// pass; mean and percentiles of each, and of the difference per look-up.
//   expression_bench HOME INSTALL_DIR SENTENCES [ROUNDS=5]   directories end with a separator
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/lookup/lookup_services.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/registry.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Pointed {
  std::wstring token, context;
  long start = 0;
};

// The sentence of each line (third field), the pointed token after its "|".
std::vector<Pointed> ReadSentences(const char* path) {
  std::vector<Pointed> out;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t a = line.find('\t'), b = line.find('\t', a + 1), c = line.find('\t', b + 1);
    if (b == std::string::npos) continue;
    std::wstring s = qv::platform::Utf8ToWide(line.substr(b + 1, c - b - 1));
    std::size_t bar = s.find(L'|');
    if (bar == std::wstring::npos) continue;
    s.erase(bar, 1);
    std::size_t end = s.find(L' ', bar);
    out.push_back({s.substr(bar, end == std::wstring::npos ? end : end - bar), s,
                   static_cast<long>(bar)});
  }
  return out;
}

void Report(const char* what, std::vector<double> us) {
  std::sort(us.begin(), us.end());
  double sum = 0;
  for (double u : us) sum += u;
  auto pct = [&](double p) { return us[std::min(us.size() - 1, static_cast<std::size_t>(p * us.size()))]; };
  std::printf("%-34s mean %8.1f us  p50 %8.1f us  p99 %8.1f us  max %8.1f us\n", what,
              sum / us.size(), pct(0.5), pct(0.99), us.back());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: expression_bench HOME INSTALL_DIR SENTENCES [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 5;
  using qv::platform::Hive;
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kLexiconKeyPath, L"WNHome",
                                 qv::platform::Utf8ToWide(argv[1]));
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"Target",
                                 qv::platform::Utf8ToWide(argv[2]));
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"QVLang", L"fr");
  const std::vector<Pointed> sentences = ReadSentences(argv[3]);
  if (sentences.empty()) {
    std::fprintf(stderr, "expression_bench: no sentences in %s\n", argv[3]);
    return 1;
  }
  qv::CGivenText capture;
  qv::CKeptPopup popup;
  qv::CStoreDictionary dictionary;
  qv::CBundleCaptions captions;
  qv::CWordNetAnalysis lexical;
  struct : qv::IMessageBox {
    void Show(const std::wstring&, const std::wstring&, Kind) override {}
  } messages;
  qv::CLookup lookup({capture, messages, popup, dictionary, captions, lexical});
  auto timed = [&](const Pointed& p, bool withContext) {
    const Clock::time_point t0 = Clock::now();
    if (withContext)
      lookup.Compose(p.token, p.context, p.start);
    else
      lookup.Compose(p.token);
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
  };
  for (const Pointed& p : sentences) timed(p, true), timed(p, false);  // warm-up
  std::vector<double> alone, around, extra;
  for (int r = 0; r < rounds; ++r)
    for (const Pointed& p : sentences) {
      const double a = timed(p, false), c = timed(p, true);
      alone.push_back(a);
      around.push_back(c);
      extra.push_back(c - a);
    }
  std::printf("Compose over %zu sentences x %d rounds\n", sentences.size(), rounds);
  Report("the word alone", alone);
  Report("with the text around it", around);
  Report("extra per look-up", extra);
  return 0;
}
