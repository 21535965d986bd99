// Fakes for the look-up's interfaces: tables of answers, and records of what was asked.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "lexicon/lookup.h"

namespace qv::testing {

class FakeLexical : public ILexicalAnalysis {
 public:
  std::map<std::string, std::string> descriptions;  // word -> summary; others: "not found"
  std::map<std::string, std::string> baseForms;
  std::vector<std::string> describeCalls, baseFormCalls;

  std::optional<std::string> DescribeWord(std::string word) override {
    describeCalls.push_back(word);
    std::string trimmed = word;  // the analysis trims spaces itself
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    trimmed.erase(trimmed.find_last_not_of(' ') + 1);
    if (trimmed.empty()) return kNoWordMessage;
    auto it = descriptions.find(trimmed);
    if (it == descriptions.end()) return "No Value Was Found For Word: " + trimmed;
    return it->second;
  }
  std::optional<std::string> BaseForm(std::string word) override {
    baseFormCalls.push_back(word);
    auto it = baseForms.find(word);
    if (it == baseForms.end()) return std::nullopt;
    return it->second;
  }
};

class FakeCaptions : public ICaptions {
 public:
  std::map<std::wstring, std::wstring> texts;
  std::wstring GetText(std::wstring_view key) override {
    auto it = texts.find(std::wstring(key));
    return it == texts.end() ? L"" : it->second;
  }
};

class FakeDictionary : public IDictionary {
 public:
  std::map<std::pair<Source, std::wstring>, std::wstring> entries;
  std::vector<std::pair<Source, std::wstring>> calls;
  std::wstring Lookup(Source source, const std::wstring& word) override {
    calls.emplace_back(source, word);
    auto it = entries.find({source, word});
    return it == entries.end() ? L"" : it->second;
  }
};

class FakeCapture : public ITextCapture {
 public:
  bool canCreate = true;
  std::vector<Result> answers;  // one per Capture call, in order; then empty texts
  struct Call {
    std::uint32_t options;
    std::wstring ocrLanguage;
  };
  std::vector<Call> calls;

  bool CreateRequest() override { return canCreate; }
  Result Capture(std::uint32_t options, std::wstring_view ocrLanguage) override {
    calls.push_back({options, std::wstring(ocrLanguage)});
    return calls.size() <= answers.size() ? answers[calls.size() - 1] : Result{};
  }
};

class FakeMessages : public IMessageBox {
 public:
  struct Box {
    std::wstring text, caption;
    Kind kind;
  };
  std::vector<Box> shown;
  void Show(const std::wstring& text, const std::wstring& caption, Kind kind) override {
    shown.push_back({text, caption, kind});
  }
};

class FakePopup : public IPopup {
 public:
  struct Shown {
    std::wstring title, body;
  };
  std::vector<Shown> shown;
  void Show(const std::wstring& title, const std::wstring& body) override {
    shown.push_back({title, body});
  }
};

}  // namespace qv::testing
