// Writes the description and base form of each word to a file, byte for byte, so that the
// native and the Windows builds can be compared.
//   lexical_dump HOME OUTPUT [COUNT]   the COUNT (1000) most frequent lemmas, with
//                                      HOME (ending in a separator) as the lexicon home
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/lexical/search.h"
#include "core/settings.h"
#include "tests/unit/frequent_lemmas.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: lexical_dump HOME OUTPUT [COUNT]\n");
    return 2;
  }
  std::string home = argv[1];
  std::size_t count = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1000;
  std::wstring wideHome(home.begin(), home.end());
  qv::platform::RegKey key =
      qv::platform::RegKey::Create(qv::platform::Hive::LocalMachine, qv::kLexiconKeyPath);
  if (!key || !key.WriteWide(L"WNHome", wideHome)) {
    std::fprintf(stderr, "lexical_dump: cannot record the lexicon home\n");
    return 1;
  }
  std::vector<std::string> words =
      qv::testing::FrequentLemmas(home + "dict" + home.substr(home.size() - 1) + "cntlist.rev",
                                  count);
  if (words.size() != count) {
    std::fprintf(stderr, "lexical_dump: only %zu lemmas found\n", words.size());
    return 1;
  }
  FILE* out = std::fopen(argv[2], "wb");
  if (!out) return 1;
  for (std::string word : words) {
    std::fprintf(out, "== %s\n", word.c_str());
    std::string text = qv::lexical::DescribeWord(word);
    std::fwrite(text.data(), 1, text.size(), out);
    // Base forms of the lemma and of some inflections, to exercise the morphology as well.
    std::fprintf(out, "\n--");
    for (const char* ending : {"", "s", "ed", "ing"}) {
      std::string form = word + ending;
      std::optional<std::string> base = qv::lexical::BaseForm(form);
      std::fprintf(out, " %s>%s", form.c_str(), base ? base->c_str() : "-");
    }
    std::fprintf(out, "\n");
  }
  std::fclose(out);
  return 0;
}
