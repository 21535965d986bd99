// Optical recognition of the screen around the pointer, behind a seam so that the choice of the
// word under the point can be checked with a recognizer of our own.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace qv::capture {

struct OcrWord {
  std::wstring text;
  RECT box{};  // screen coordinates
};

class OcrRecognizer {
 public:
  virtual ~OcrRecognizer() = default;
  // The words recognised in `area` (screen coordinates), in reading order. Empty when the system
  // has no recognizer for `language` (an ISO 639 code such as "eng", or a BCP 47 tag), or when
  // the recognition does not end within budgetMs.
  virtual std::vector<OcrWord> Recognize(const RECT& area, const std::wstring& language,
                                         DWORD budgetMs) = 0;
};

// The recognised word whose box holds the point; empty when none does.
std::wstring WordAtPoint(const std::vector<OcrWord>& words, POINT pt);

// "eng" -> "en", "fra" -> "fr"; a tag that is already BCP 47 comes back unchanged; empty when
// the code is not a language code at all.
std::wstring OcrLanguageTag(const std::wstring& code);

// Windows.Media.Ocr (Windows 10 and later). Where the runtime class cannot be activated (Wine,
// older systems, language pack missing) it recognises nothing.
OcrRecognizer& SystemRecognizer();

// Remembers the point where recognition last found nothing, so that a pointer resting on a
// blank spot is not recognised again at every tick of the hover timer.
class BlankSpotMemo {
 public:
  // True when recognition at `pt` found nothing less than kRetryAfter ago.
  bool Known(POINT pt) const;
  void Remember(POINT pt, bool blank);

  static constexpr std::chrono::milliseconds kRetryAfter{2000};

 private:
  bool m_set = false;
  POINT m_pt{};
  std::chrono::steady_clock::time_point m_at;
};

}  // namespace qv::capture
