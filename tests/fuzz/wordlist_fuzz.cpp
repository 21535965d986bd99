// Fuzzer for the word list: its reader of WordNet's index and sense counts, the part-of-speech
// lists and the catalog, and its suggestions. The input is the files, separated by "\n#\n" in
// the order cntlist.rev, the four indexes, the four lists, the catalog; then the prefix
// (Windows-1252). Over arbitrary files: the list holds no empty or repeated key; a suggestion
// begins with the prefix (letter case aside), comes at most `max` times, and the first
// suggestions of a larger `max` begin with those of a smaller one.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary/dict_source.h"
#include "core/history/word_list.h"
#include "platform/casemap.h"
#include "platform/codepage.h"
#include "tests/fuzz/fuzz_check.h"

using qv::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  while (parts.size() < 10) {
    const std::size_t sep = in.find("\n#\n");
    parts.emplace_back(in.substr(0, sep));
    if (sep == std::string_view::npos) {
      in = {};
      break;
    }
    in.remove_prefix(sep + 3);
  }
  parts.resize(10);
  const std::string home = "H\\", wn = "W";
  std::map<std::string, std::string> files;
  files["W\\cntlist.rev"] = parts[0];
  const char* indexes[] = {"index.noun", "index.verb", "index.adj", "index.adv"};
  for (int i = 0; i < 4; ++i) files[std::string("W\\") + indexes[i]] = parts[1 + i];
  for (int i = 0; i < 4; ++i) files[home + qv::kPartOfSpeechFiles[i]] = parts[5 + i];
  files[home + "dict\\qvdict.catalog"] = parts[9];
  const qv::CWordList list = qv::CWordList::Load(home, wn, [&](const std::string& path) {
    auto it = files.find(path);
    return it == files.end() ? std::string() : it->second;
  });

  std::wstring prefix = qv::platform::AnsiToWide(in.substr(0, 70));
  std::vector<std::wstring> all = list.Suggest(prefix, 1000);
  const std::vector<std::wstring> few = list.Suggest(prefix, 3);
  if (few.size() > 3 || few.size() > all.size() || all.size() > list.Size())
    Fail("wordlist_fuzz", "too many suggestions");
  for (std::size_t i = 0; i < few.size(); ++i)
    if (few[i] != all[i]) Fail("wordlist_fuzz", "a smaller max is not the beginning of a larger");
  qv::platform::LowerInPlace(prefix);
  std::set<std::wstring> seen;
  for (const std::wstring& w : all) {
    std::wstring lower = w;
    qv::platform::LowerInPlace(lower);
    if (w.empty() || lower.compare(0, prefix.size(), prefix) != 0)
      Fail("wordlist_fuzz", "a suggestion without the prefix");
    if (!seen.insert(w).second) Fail("wordlist_fuzz", "a repeated suggestion");
  }
  return 0;
}
