// The look-up's real dictionary store and lexical analysis, for the programs that run it.
#pragma once

#include "core/lookup/lookup.h"
#include "core/lookup/lookup_config.h"

namespace qv {

class CStoreDictionary : public IDictionary {
 public:
  std::wstring Lookup(DictSource source, const std::wstring& word) override;
};

// For CComposeCache: a number that moves whenever what these services read may have changed
// (the configuration, a kept data file, a text bundle), checked at most once a second per file;
// CComposeCache::kUncacheable while the WordNet database is not open, so that its arrival shows.
std::uint64_t LookupDataGeneration();

// Fills what the first look-ups would otherwise fill while the user waits: the WordNet database
// opened and a few words described, the part-of-speech lists and catalogs read and indexed. It
// reads only `config` (the caller's copy), never the registry, and the pieces it fills take one
// thread at a time: the program runs it on a thread of its own right after its start.
void WarmUpLookupData(const LookupConfig& config);

class CWordNetAnalysis : public ILexicalAnalysis {
 public:
  std::optional<std::string> DescribeWord(std::string word) override;
  std::optional<std::string> BaseForm(std::string word) override;
  std::vector<std::string> HeadingForms() override { return m_headingForms; }
  bool Knows(const std::string& word) override;
  std::string PhraseLemma(const std::string& phrase, WordClass wordClass) override;
  int TaggedCount(const std::string& lemma) override;
  bool TakesObject(const std::string& verbLemma) override;
  lexical::Answer LastAnswer() override { return m_lastAnswer; }

 private:
  std::vector<std::string> m_headingForms;
  lexical::Answer m_lastAnswer = lexical::Answer::Description;
};

// For the programs that compose the popup of a text they already hold (qv-lookup, the soak run,
// the benchmark): a capture that answers with that text, and a popup that keeps what it shows.
class CGivenText : public ITextCapture {
 public:
  std::wstring text;
  std::wstring context;  // the text around it, when given
  long contextStart = -1;
  bool CreateRequest() override { return true; }
  Result Capture(std::uint32_t, std::wstring_view) override {
    return {text, std::nullopt, context, contextStart};
  }
};

class CKeptPopup : public IPopup {
 public:
  std::wstring title, body;
  void Show(const std::wstring& t, const std::wstring& b) override {
    title = t;
    body = b;
  }
};

}  // namespace qv
