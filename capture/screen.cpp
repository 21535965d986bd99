// The screen around the point, recognised, where no control tells what it shows.
#include "capture/control.h"
#include "capture/ocr.h"

namespace qv::capture {

CaptureOutcome RecognizeAt(const CaptureRequest& req, OcrRecognizer* ocr, const Deadline& deadline) {
  OcrRecognizer& rec = ocr ? *ocr : SystemRecognizer();
  const RECT area{req.pt.x - req.ocrArea.cx / 2, req.pt.y - req.ocrArea.cy / 2,
                  req.pt.x + (req.ocrArea.cx + 1) / 2, req.pt.y + (req.ocrArea.cy + 1) / 2};
  std::wstring word = WordAtPoint(rec.Recognize(area, req.ocrLanguage, deadline.Remaining()), req.pt);
  if (word.size() > req.maxChars) word.resize(req.maxChars);
  if (word.empty()) return {};
  return {std::move(word), WCS_OCR, -1};
}

bool BlankSpotMemo::Known(POINT pt) const {
  return m_set && pt.x == m_pt.x && pt.y == m_pt.y &&
         std::chrono::steady_clock::now() - m_at < kRetryAfter;
}

void BlankSpotMemo::Remember(POINT pt, bool blank) {
  m_set = blank;
  m_pt = pt;
  m_at = std::chrono::steady_clock::now();
}


}  // namespace qv::capture
