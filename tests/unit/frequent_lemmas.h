// The most frequent lemmas of the WordNet database, by the tag counts of cntlist.rev
// ("sense_key sense_number count" lines; the lemma is the key up to its "%").
#pragma once

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qv::testing {

inline std::vector<std::string> FrequentLemmas(const std::string& cntlistPath, std::size_t n) {
  std::map<std::string, long> counts;
  if (FILE* f = std::fopen(cntlistPath.c_str(), "rb")) {
    char line[1024];
    while (std::fgets(line, sizeof line, f)) {
      std::string s(line);
      std::size_t pct = s.find('%');
      std::size_t lastSpace = s.find_last_of(' ');
      if (pct == std::string::npos || lastSpace == std::string::npos) continue;
      counts[s.substr(0, pct)] += std::strtol(s.c_str() + lastSpace + 1, nullptr, 10);
    }
    std::fclose(f);
  }
  std::vector<std::pair<std::string, long>> ranked(counts.begin(), counts.end());
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::vector<std::string> out;
  for (std::size_t i = 0; i < ranked.size() && i < n; ++i) out.push_back(ranked[i].first);
  return out;
}

// A Linux path as the program sees it: under Wine the Linux root is drive Z:.
inline std::string HostPath(std::string path) {
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
#endif
  return path;
}

}  // namespace qv::testing
