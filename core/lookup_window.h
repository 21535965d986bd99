// The portable side of the look-up window: what its result area shows of a composition, what
// the history keeps of a look-up, the flash-card export, the "/lookup WORD" command line, and
// the tap that records the popup's look-ups in the history once per word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/history.h"
#include "core/lookup.h"

namespace qv {

// Longest word the window or the command line takes, in characters.
inline constexpr std::size_t kMaxTypedWord = 100;

// The result area's text: the popup's title, a line feed and its body, without the link that
// switches look-ups off (the window has no use for it).
std::wstring EntryText(const LookupResult& result);

// What the history keeps of a look-up, read from the composition: the trimmed word, the base
// form of the title and the main translation of the body's translation block (without its
// language label).
struct LookupFacts {
  std::wstring word, base, french;
};
LookupFacts FactsOf(std::wstring_view captured, const LookupResult& result);

// The definition of the first English sense in a body (without its examples and synonyms), or
// empty.
std::wstring FirstSense(std::wstring_view body);

// The flash-card file: one line per entry, "word TAB French TAB first English sense", UTF-8,
// CR LF line ends. senseOf gives the first sense of an entry.
std::string FlashCardExport(const std::vector<HistoryEntry>& entries,
                            const std::function<std::wstring(const HistoryEntry&)>& senseOf);

// A word the window accepts from outside (command line, another instance): not blank, at most
// kMaxTypedWord UTF-16 units, no control or format character (bidirectional marks, zero-width
// characters and the like), no line or paragraph separator, no surrogate without its partner.
// Returns it without surrounding blanks.
std::optional<std::wstring> AcceptableWord(std::wstring_view text);

// The message a second start ("QV.exe /lookup WORD") sends the running instance: WM_COPYDATA
// with this tag and the word as UTF-16LE units, no null.
inline constexpr std::uint64_t kCopyDataLookup = 0x51564C55;  // "QVLU"
// What the running instance takes from such a message: the word to look up (empty: the window
// opens without one), or nullopt when the tag, the size or the word is not acceptable.
std::optional<std::wstring> CopyDataWord(std::uint64_t tag, const void* data, std::size_t bytes);

// "/lookup" alone or followed by blanks and a word (quotes around it are dropped); letter case
// of "/lookup" ignored. nullopt when the tail is not such a command; an empty word when it names
// none or an unacceptable one.
std::optional<std::wstring> ParseLookupCommand(std::wstring_view tail);

// Where a recorded look-up goes.
class ILookupRecorder {
 public:
  virtual ~ILookupRecorder() = default;
  virtual void RecordLookup(const std::wstring& captured, const LookupResult& result) = 0;
};

// Sits between the look-up under the pointer and its capture and popup, and hands each popup
// look-up to the recorder, except when it repeats the last one recorded (the same captured word
// and the same texts): while the pointer rests on a word the hover timer composes it again and
// again, and that counts once. Nothing captured is never recorded and does not end a repeat.
class CPopupHistoryTap : public ITextCapture, public IPopup {
 public:
  CPopupHistoryTap(ITextCapture& capture, IPopup& popup, ILookupRecorder& recorder)
      : m_capture(capture), m_popup(popup), m_recorder(recorder) {}

  bool CreateRequest() override;
  Result Capture(std::uint32_t options, std::wstring_view ocrLanguage) override;
  void Show(const std::wstring& title, const std::wstring& body) override;

 private:
  ITextCapture& m_capture;
  IPopup& m_popup;
  ILookupRecorder& m_recorder;
  std::wstring m_captured;
  std::wstring m_lastWord, m_lastTitle, m_lastBody;
};

}  // namespace qv
