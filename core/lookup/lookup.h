// One look-up under the pointer: capture, lookup word, lexical summary, part-of-speech
// translations, pronunciations, base form and main translation, gathered in a LookupResult whose
// title and body the popup shows.
// What differs per platform or per caller comes in through the small interfaces below; the
// Windows main dialog wires the capture component, its failure reports and its popup.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/lookup/captured_word.h"
#include "core/lookup/compose_cache.h"
#include "core/lookup/lookup_result.h"
#include "core/dictionary/dict_source.h"

namespace qv {

// A failing call of the capture component: its code and, when the component supplied error
// information, its description.
struct ComponentError {
  std::uint32_t code = 0;
  std::optional<std::wstring> description;
};

// The text a component error shows: its description when there is a non-empty one; else the
// system's message text for the code; else "IDispatch error #n" for 0x80040200-0x8004FFFF;
// else "Unknown error 0x..." with the code.
std::wstring ComponentErrorText(const ComponentError& error);

inline constexpr std::uint32_t kCaptureOptions = 0x0001;
inline constexpr std::uint32_t kCaptureRecognition = 0x0100;
inline constexpr wchar_t kRecognitionLanguage[] = L"eng";

class ITextCapture {
 public:
  struct Result {
    std::wstring text;
    std::optional<ComponentError> error;  // set when a call of the component failed
    // The text around the captured one (its line, its item) where the control gives it, and
    // where the captured text starts in it; empty and -1 elsewhere.
    std::wstring context{};
    long contextStart = -1;
  };
  virtual ~ITextCapture() = default;
  // Creates the capture request for the point under the pointer; false when the component
  // cannot be created.
  virtual bool CreateRequest() = 0;
  // Captures with the given options; ocrLanguage is set (its outcome ignored) only when it is
  // not empty, which is the recognition retry.
  virtual Result Capture(std::uint32_t options, std::wstring_view ocrLanguage) = 0;
};

// Where the capture component's failures go. The Windows program never opens a box under the
// pointer: its main dialog says it once, in a tray balloon.
class IMessageBox {
 public:
  enum class Kind { Error, Plain };  // Error: the component cannot be created; Plain: a call failed
  virtual ~IMessageBox() = default;
  virtual void Show(const std::wstring& text, const std::wstring& caption, Kind kind) = 0;
};

class IPopup {
 public:
  virtual ~IPopup() = default;
  // Replaces any popup still open.
  virtual void Show(const std::wstring& title, const std::wstring& body) = 0;
};

class IDictionary {
 public:
  virtual ~IDictionary() = default;
  // "" when nothing is found.
  virtual std::wstring Lookup(DictSource source, const std::wstring& word) = 0;
};

struct LookupServices {
  ITextCapture& capture;
  IMessageBox& messages;
  IPopup& popup;
  IDictionary& dictionary;
  ICaptions& captions;
  ILexicalAnalysis& lexical;
};

inline constexpr wchar_t kDisableKey[] = L"Disable Qv";
inline constexpr wchar_t kPronounceHelpKey[] =
    L"See Help Page for Pronounciation examples and references";
inline constexpr wchar_t kCantCreateCapture[] = L"Can't create CLSID_WInput component";

class CLookup {
 public:
  explicit CLookup(const LookupServices& services)
      : m_services(services), m_word(services.lexical, services.captions) {}

  // The whole request: capture (with one recognition retry), composition, popup. The result
  // shown, or nullopt when no capture request could be made (the popup is left as it is).
  std::optional<LookupResult> LookupUnderCursor();

  // The composition alone, for a text already captured (empty: nothing was captured). With
  // the text around it and where the captured text starts there, the expression it stands in
  // («gave» in «He gave up smoking») comes first, then the word's own French.
  LookupResult Compose(std::wstring captured, std::wstring_view context = {},
                       long contextStart = -1);

  CCapturedWord& Word() { return m_word; }

  // Results kept by captured text, for the requests LookupUnderCursor makes; none by default.
  void UseCache(CComposeCache* cache) { m_cache = cache; }

 private:
  // The spelling of the word to look up: as written, else its possessive's noun or another
  // spelling of a compound that has an entry.
  std::wstring SpellingWithEntry(const std::wstring& written);
  bool HasTranslation(const std::wstring& word);
  // The senses of the word, their headings with the French of the forms they describe.
  Senses SensesOf(const std::wstring& word);
  std::optional<TranslationLine> TranslationOf(const std::wstring& word);

  LookupServices m_services;
  CCapturedWord m_word;
  CComposeCache* m_cache = nullptr;
};

}  // namespace qv

namespace qv {

// Captions from section "Main" of the text bundle that the look-up configuration names.
class CBundleCaptions : public ICaptions {
 public:
  std::wstring GetText(std::wstring_view key) override;
};

}  // namespace qv
