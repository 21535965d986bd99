#include "core/lookup/lookup_result.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/lookup/real_text.h"

namespace qv {
namespace {

constexpr std::pair<DictSource, std::wstring_view> kMarkers[] = {
    {DictSource::Verb, L"#VERB#"}, {DictSource::Noun, L"#NOUN#"},
    {DictSource::Adj, L"#ADJ#"},   {DictSource::Adv, L"#ADV#"}};

// Between a heading and its French.
constexpr std::wstring_view kHeadingGap = L"\t\t\t\t";

std::wstring Block(const std::optional<TranslationLine>& t) {
  return t ? L"[" + t->word + L"]\n" + t->line + L"\n[" + t->word + L"]\n" : std::wstring();
}

void DropLineFeeds(std::wstring& text) {
  while (text.ends_with(L'\n')) text.pop_back();
}

std::size_t StringBytes(const std::wstring& s) { return (s.capacity() + 1) * sizeof(wchar_t); }

std::size_t SensesBytes(const Senses& s) {
  std::size_t bytes = StringBytes(s.lead) + s.blocks.capacity() * sizeof(PartOfSpeechBlock);
  for (const PartOfSpeechBlock& b : s.blocks)
    bytes += StringBytes(b.heading) + StringBytes(b.form) + StringBytes(b.french) +
             StringBytes(b.senses);
  return bytes;
}

std::size_t LineBytes(const std::optional<TranslationLine>& t) {
  return t ? StringBytes(t->word) + StringBytes(t->line) : 0;
}

}  // namespace

std::wstring Senses::Text() const {
  std::wstring text = lead;
  for (const PartOfSpeechBlock& b : blocks)
    text.append(b.heading).append(kHeadingGap).append(b.french).append(b.senses);
  return text;
}

Senses SplitSenses(std::wstring_view text) {
  Senses senses;
  std::size_t done = 0;  // what comes before is placed
  auto place = [&](std::size_t end) {
    (senses.blocks.empty() ? senses.lead : senses.blocks.back().senses)
        .append(text.substr(done, end - done));
  };
  for (std::size_t pos = text.find(L'#'); pos != std::wstring_view::npos;
       pos = text.find(L'#', pos)) {
    const auto* marker = std::find_if(std::begin(kMarkers), std::end(kMarkers), [&](const auto& m) {
      return text.substr(pos).starts_with(m.second);
    });
    if (marker == std::end(kMarkers)) {
      ++pos;
      continue;
    }
    // The heading is the marker's line up to it ("-noun"), within what follows the last marker.
    const std::size_t lineFeed = text.rfind(L'\n', pos);
    const std::size_t heading =
        lineFeed == std::wstring_view::npos ? done : std::max(done, lineFeed + 1);
    place(heading);
    PartOfSpeechBlock& block = senses.blocks.emplace_back();
    block.part = marker->first;
    block.heading = text.substr(heading, pos - heading);
    pos += marker->second.size();
    done = pos;
  }
  place(text.size());
  return senses;
}

std::wstring LookupResult::Title() const {
  if (expression) return base.empty() ? expression->written : expression->written + L" --> " + base;
  if (captured.empty()) return kEmptyTitle;
  std::wstring title = captured;
  if (!pronunciation.empty()) title += L"  " + pronunciation + L" *";
  if (!base.empty()) {
    title += L" --> " + base;
    if (!basePronunciation.empty()) title += L" " + basePronunciation + L" *";
  }
  return title;
}

std::wstring LookupResult::BodyWithoutLink() const {
  if (expression) {
    std::wstring body = Block(expression->translation) + expression->senses.Text();
    std::wstring own = Block(translation);
    // The pointed word's own French closes it, one blank line below.
    DropLineFeeds(body);
    DropLineFeeds(own);
    if (!own.empty()) body += L"\n\n" + own;
    return body;
  }
  std::wstring body = Block(translation) + senses.Text();
  if (HasPronunciationNote()) body += L"\n* " + pronunciationNote;
  return body;
}

std::wstring LookupResult::Body() const {
  return BodyWithoutLink() + L"\n\t\t\t\t\t\t\t\t<A>" + link + L"</A>";
}

std::wstring LookupResult::EntryText() const { return Title() + L"\n" + BodyWithoutLink(); }

std::size_t LookupResult::MemoryBytes() const {
  std::size_t bytes = sizeof(LookupResult) + StringBytes(captured) + StringBytes(word) +
                      StringBytes(base) + StringBytes(pronunciation) +
                      StringBytes(basePronunciation) + LineBytes(translation) +
                      StringBytes(french) + SensesBytes(senses) + StringBytes(pronunciationNote) +
                      StringBytes(link);
  if (expression)
    bytes += sizeof(ExpressionBlock) + StringBytes(expression->written) +
             StringBytes(expression->lemma) + LineBytes(expression->translation) +
             SensesBytes(expression->senses);
  return bytes;
}

std::wstring MainFrenchOf(std::wstring_view line) {
  while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.remove_suffix(1);
  // The catalog's language label comes first: "FR : oreille, épi".
  if (std::size_t label = line.find(L" : "); label != std::wstring_view::npos && label <= 8)
    line.remove_prefix(label + 3);
  return std::wstring(TrimBlanks(line));
}

}  // namespace qv
