// A long run of whole look-ups in one process, over captured texts made up from the WordNet
// index: its words as they are, inflected, dressed in punctuation and capitals, run together,
// cut and mixed with odd characters. Prints the process's resident size as it goes; fails when
// a look-up gives a malformed popup or a word stops giving its first answer.
//   lookup_soak HOME INSTALL_DIR COUNT [SEED]    look up COUNT texts
//   lookup_soak --texts DB COUNT [SEED]          print the texts instead, one per line (UTF-8)
// HOME and INSTALL_DIR end with a separator; DB is the WordNet database folder.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/lookup/lookup_services.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/registry.h"

namespace {

std::vector<std::string> IndexWords(const std::string& db) {
  std::vector<std::string> words;
  for (const char* part : {"noun", "verb", "adj", "adv"}) {
    std::ifstream in(db + "/index." + part);
    std::string line;
    while (std::getline(in, line))
      if (!line.empty() && line[0] != ' ') words.push_back(line.substr(0, line.find(' ')));
  }
  return words;
}

// The same texts for the same seed, on every build.
class TextMaker {
 public:
  TextMaker(std::vector<std::string> words, unsigned seed) : m_words(std::move(words)), m_rng(seed) {}

  std::wstring Next() {
    std::wstring w = Word();
    switch (Pick(12)) {
      case 0: case 1: case 2: return w;
      case 3: return Inflect(w);
      case 4: return Dress(Inflect(w));
      case 5: return Upper(Dress(w));
      case 6: return Word() + L" " + Word() + (Pick(2) ? L" " + Word() : L"");
      case 7: return Odd(w);
      case 8: {  // a long token, the word repeated or run into others
        std::wstring t;
        std::size_t n = 1 + Pick(3000);
        while (t.size() < n) t += Pick(2) ? w : Word();
        return t.substr(0, n);
      }
      case 9: return Dress(Odd(Inflect(w)));
      case 10: {  // characters from all over, with delimiters and digits
        std::wstring t;
        for (std::size_t n = Pick(40); n > 0; --n) t += Char();
        return t;
      }
      default: return w.substr(0, Pick(w.size() + 1)) + Char() + w.substr(Pick(w.size() + 1));
    }
  }

 private:
  std::size_t Pick(std::size_t n) { return n ? m_rng() % n : 0; }

  std::wstring Word() {
    std::wstring w = qv::platform::Utf8ToWide(m_words[Pick(m_words.size())]);
    if (Pick(2))
      for (wchar_t& c : w)
        if (c == L'_') c = L' ';
    return w;
  }

  std::wstring Inflect(const std::wstring& w) {
    static const wchar_t* const kEndings[] = {L"s", L"es", L"ed", L"ing", L"er", L"est", L"'s",
                                              L"s'", L"ies", L"ly", L"n't", L"'ll"};
    return w + kEndings[Pick(std::size(kEndings))];
  }

  std::wstring Dress(const std::wstring& w) {
    static const wchar_t* const kDress[][2] = {
        {L"(", L"),"}, {L"\"", L"\"."}, {L"'", L"'"}, {L"", L"..."}, {L"--", L"--"}, {L"<", L">"},
        {L" \t", L"\t"}, {L"[", L"];"}, {L"", L"?!"}, {L"_", L"_"}, {L"#", L"@"}, {L"«", L"»"}};
    const auto& d = kDress[Pick(std::size(kDress))];
    return d[0] + w + d[1];
  }

  std::wstring Upper(std::wstring w) {
    for (wchar_t& c : w)
      if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
    return w;
  }

  // One character: a delimiter, a digit, a Latin letter either side of U+00FF, a letter of
  // another script, a space of another kind, or a character outside the BMP.
  std::wstring Char() {
    static const char32_t kRanges[][2] = {{0x20, 0x7E}, {0x30, 0x39}, {0xA0, 0xFF}, {0xF0, 0x17F},
                                          {0x391, 0x3C9}, {0x410, 0x44F}, {0x2000, 0x206F},
                                          {0x4E00, 0x4E80}, {0x1F600, 0x1F64F}, {0x09, 0x09}};
    const auto& r = kRanges[Pick(std::size(kRanges))];
    char32_t c = r[0] + static_cast<char32_t>(Pick(r[1] - r[0] + 1));
    std::string utf8;
    if (c < 0x80) utf8 += static_cast<char>(c);
    else if (c < 0x800) utf8 += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    else if (c < 0x10000)
      utf8 += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
               static_cast<char>(0x80 | (c & 0x3F))};
    else
      utf8 += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
               static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    return qv::platform::Utf8ToWide(utf8);
  }

  std::wstring Odd(std::wstring w) {
    for (std::size_t n = 1 + Pick(3); n > 0; --n) w.insert(Pick(w.size() + 1), Char());
    return w;
  }

  std::vector<std::string> m_words;
  std::mt19937 m_rng;
};

long ResidentKiB() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4;
}

class NoMessages : public qv::IMessageBox {
 public:
  void Show(const std::wstring&, const std::wstring&, Kind) override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: lookup_soak HOME INSTALL_DIR COUNT [SEED] | --texts DB COUNT [SEED]\n");
    return 2;
  }
  const long count = std::atol(argv[3]);
  const unsigned seed = argc > 4 ? static_cast<unsigned>(std::atol(argv[4])) : 1;
  if (std::string(argv[1]) == "--texts") {
    TextMaker maker(IndexWords(argv[2]), seed);
    for (long i = 0; i < count; ++i) {
      std::string line = qv::platform::WideToUtf8(maker.Next()) + "\n";
      std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
  }
  std::string home = argv[1];
  using qv::platform::Hive;
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kLexiconKeyPath, L"WNHome",
                                 qv::platform::Utf8ToWide(home));
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"Target",
                                 qv::platform::Utf8ToWide(argv[2]));
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"QVLang", L"fr");
  TextMaker maker(IndexWords(home + "dict"), seed);

  qv::CGivenText capture;
  qv::CKeptPopup popup;
  NoMessages messages;
  qv::CStoreDictionary dictionary;
  qv::CBundleCaptions captions;
  qv::CWordNetAnalysis lexical;
  qv::CLookup lookup({capture, messages, popup, dictionary, captions, lexical});
  auto run = [&](std::wstring text) {
    capture.text = std::move(text);
    lookup.LookupUnderCursor();
    return popup.title + L"\n" + popup.body;
  };
  // A word with every part of the popup, looked up again at each report.
  const std::wstring probe = run(L"running");
  int failures = 0;
  auto fail = [&](const char* what, const std::wstring& text) {
    std::fprintf(stderr, "lookup_soak: %s: %s\n", what, qv::platform::WideToUtf8(text).c_str());
    ++failures;
  };
  if (probe.find(L"</A>") == std::wstring::npos) fail("no popup", L"running");

  std::printf("%10s %12s\n", "look-ups", "resident KiB");
  for (long i = 1; i <= count && failures < 10; ++i) {
    std::wstring text = maker.Next();
    run(text);
    if (popup.title.empty() || popup.body.size() < 4 ||
        popup.body.compare(popup.body.size() - 4, 4, L"</A>") != 0)
      fail("malformed popup", text);
    bool decade = false;
    for (long p = 1000; p <= i; p *= 10) decade = decade || p == i;
    if (decade || i == count || i % 100000 == 0) {
      if (run(L"running") != probe) fail("answer changed", L"running");
      std::printf("%10ld %12ld\n", i, ResidentKiB());
      std::fflush(stdout);
    }
  }
  return failures ? 1 : 0;
}
