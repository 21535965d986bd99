// Writes what every source of the dictionary store holds for each word, as UTF-8, so that the
// native and the Windows builds can be compared byte for byte.
//   dictstore_dump HOME OUTPUT [COUNT]   the COUNT (1000) most frequent WordNet lemmas and
//                                        their capitalised forms, HOME (ending in a separator)
//                                        being the lexicon home
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <vector>

#include "core/dictionary/dict_store.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "tests/unit/frequent_lemmas.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: dictstore_dump HOME OUTPUT [COUNT]\n");
    return 2;
  }
  std::string home = argv[1];
  std::size_t count = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1000;
  qv::platform::RegKey key =
      qv::platform::RegKey::Create(qv::platform::Hive::LocalMachine, qv::kLexiconKeyPath);
  if (!key || !key.WriteAnsi("WNHome", home)) {
    std::fprintf(stderr, "dictstore_dump: cannot record the lexicon home\n");
    return 1;
  }
  std::vector<std::string> words = qv::testing::FrequentLemmas(
      home + "dict" + home.substr(home.size() - 1) + "cntlist.rev", count);
  if (words.size() != count) {
    std::fprintf(stderr, "dictstore_dump: only %zu lemmas found\n", words.size());
    return 1;
  }
  FILE* out = std::fopen(argv[2], "wb");
  if (!out) return 1;
  const qv::DictSource sources[] = {qv::DictSource::Verb, qv::DictSource::Noun, qv::DictSource::Adj, qv::DictSource::Adv, qv::DictSource::Pronounce,
                                    qv::DictSource::Translation};
  std::size_t found = 0;
  for (const std::string& word : words) {
    std::wstring wide = qv::platform::AnsiToWide(word);
    std::fprintf(out, "== %s\n", word.c_str());
    for (const std::wstring& w : {wide, std::wstring(1, towupper(wide[0])) + wide.substr(1)})
      for (qv::DictSource src : sources) {
        std::wstring text = qv::CDictStore(src).Lookup(w);
        found += !text.empty();
        std::fprintf(out, "%d %s\n", static_cast<int>(src), qv::platform::WideToUtf8(text).c_str());
      }
  }
  std::fclose(out);
  std::printf("dictstore_dump: %zu words, %zu answers\n", words.size(), found);
  return 0;
}
