// Fuzzer for what the look-up window takes from outside and shows of a composition: the
// "/lookup" command line, the words it accepts, WM_COPYDATA's checks, the senses split at their
// part-of-speech markers and rendered again, and the first sense and flash-card export read from
// any body. The first byte picks the reader; texts are the rest as UTF-16LE units (lone
// surrogates among them).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "core/history/flash_cards.h"
#include "core/lookup/lookup_command.h"
#include "core/lookup/lookup_result.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using qv::fuzz::Fail;

std::wstring Units(std::string_view b) {
  std::wstring out;
  for (std::size_t i = 0; i + 2 <= b.size(); i += 2)
    out += static_cast<wchar_t>(static_cast<unsigned char>(b[i]) |
                                static_cast<unsigned char>(b[i + 1]) << 8);
  return out;
}

// An accepted word is accepted again as it is: trimmed, short, nothing invisible in it.
void CheckAccepted(const std::wstring& word) {
  if (word.empty() || word.size() > qv::kMaxTypedWord || word.front() == L' ' ||
      word.back() == L' ' || qv::AcceptableWord(word) != word)
    Fail("lookup_window_fuzz", "an accepted word is not acceptable");
  for (wchar_t c : word)
    if (static_cast<std::uint32_t>(c) < 0x20 || c == 0x7F || c == 0x85 || c == 0x2028 ||
        c == 0x202E || c == 0xFEFF)
      Fail("lookup_window_fuzz", "a control or format character accepted");
}

// The analysis's text with each part-of-speech marker replaced by the gap before its French,
// left to right, as one reading of the text.
std::wstring MarkersAsGaps(std::wstring text) {
  static const std::wstring kMarkers[] = {L"#VERB#", L"#NOUN#", L"#ADJ#", L"#ADV#"};
  for (std::size_t pos = 0; (pos = text.find(L'#', pos)) != std::wstring::npos;) {
    const auto* m = std::find_if(std::begin(kMarkers), std::end(kMarkers), [&](const auto& k) {
      return text.compare(pos, k.size(), k) == 0;
    });
    if (m == std::end(kMarkers)) {
      ++pos;
      continue;
    }
    text.replace(pos, m->size(), L"\t\t\t\t");
    pos += 4;
  }
  return text;
}

// The flash-card export of entries made of the texts between U+0001 marks, in threes (the sense
// is the last text's first): one line per entry, three fields each, CR LF line ends.
void CheckExport(const std::wstring& text) {
  std::vector<qv::HistoryEntry> entries;
  std::vector<std::wstring> fields;
  for (std::size_t pos = 0;;) {
    const std::size_t next = text.find(L'\x01', pos);
    fields.push_back(text.substr(pos, next == std::wstring::npos ? next : next - pos));
    if (next == std::wstring::npos) break;
    pos = next + 1;
  }
  for (std::size_t i = 0; i + 2 < fields.size(); i += 3)
    entries.push_back({fields[i], L"", fields[i + 1], 1, 0});
  const std::wstring body = fields.back();
  const std::string out =
      qv::FlashCardExport(entries, [&](const qv::HistoryEntry&) { return qv::FirstSense(body); });
  std::size_t lines = 0, tabs = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\t') ++tabs;
    if (out[i] == '\n') {
      if (i == 0 || out[i - 1] != '\r') Fail("lookup_window_fuzz", "a bare line feed");
      ++lines;
    }
    if (out[i] == '\r' && (i + 1 == out.size() || out[i + 1] != '\n'))
      Fail("lookup_window_fuzz", "a bare carriage return");
  }
  if (lines != entries.size() || tabs != 2 * entries.size())
    Fail("lookup_window_fuzz", "export lines or fields");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::wstring text = Units(rest);
  switch (data[0] % 6) {
    case 0:
      if (std::optional<std::wstring> w = qv::ParseLookupCommand(text); w && !w->empty())
        CheckAccepted(*w);
      break;
    case 1:
      if (std::optional<std::wstring> w = qv::AcceptableWord(text)) CheckAccepted(*w);
      break;
    case 2: {
      // Tag: the first four bytes, or the real one when they are all zero.
      std::uint64_t tag = 0;
      for (std::size_t i = 0; i < 4 && i < rest.size(); ++i)
        tag |= static_cast<std::uint64_t>(static_cast<unsigned char>(rest[i])) << (8 * i);
      if (tag == 0) tag = qv::kCopyDataLookup;
      const std::string_view payload = rest.substr(std::min<std::size_t>(4, rest.size()));
      std::optional<std::wstring> w = qv::CopyDataWord(tag, payload.data(), payload.size());
      if (w && !w->empty()) CheckAccepted(*w);
      if (w && (tag != qv::kCopyDataLookup || payload.size() % 2 || payload.size() > 200))
        Fail("lookup_window_fuzz", "a malformed message taken");
      break;
    }
    case 3: {
      // The senses split at their markers give the text back, and no heading crosses a line.
      const qv::Senses senses = qv::SplitSenses(text);
      if (senses.Text() != MarkersAsGaps(text)) Fail("lookup_window_fuzz", "senses not as written");
      for (const qv::PartOfSpeechBlock& b : senses.blocks)
        if (b.heading.find(L'\n') != std::wstring::npos)
          Fail("lookup_window_fuzz", "a heading over two lines");
      // The entry is the title and the body without the link, whatever the texts hold.
      qv::LookupResult r;
      r.captured = text;
      r.senses = senses;
      r.link = text;
      const std::wstring body = r.Body();
      const std::size_t link = text.size() + 16;  // "\n", eight tabs, "<A>", caption, "</A>"
      if (!body.ends_with(L"<A>" + text + L"</A>") ||
          r.EntryText() != r.Title() + L"\n" + body.substr(0, body.size() - link))
        Fail("lookup_window_fuzz", "the entry is not the body without its link");
      break;
    }
    case 4: {
      const std::wstring sense = qv::FirstSense(text);
      if (sense.find(L'\n') != std::wstring::npos || sense.size() > text.size())
        Fail("lookup_window_fuzz", "a first sense over several lines");
      break;
    }
    case 5:
      CheckExport(text);
      break;
  }
  return 0;
}
