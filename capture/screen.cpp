// The screen around the point, recognised, where no control tells what it shows.
#include "capture/control.h"
#include "capture/ocr.h"

namespace qv::capture {
namespace {

// The recognised line of the word at the point: the words whose middle lies within its
// height, in reading order, one space apart.
void LineOfWordAt(const std::vector<OcrWord>& words, POINT pt, size_t maxChars,
                  CaptureOutcome& out) {
  const OcrWord* at = nullptr;
  for (const OcrWord& w : words)
    if (!at && pt.x >= w.box.left && pt.x < w.box.right && pt.y >= w.box.top && pt.y < w.box.bottom)
      at = &w;
  if (!at) return;
  std::wstring line;
  long start = -1;
  for (const OcrWord& w : words) {
    const LONG middle = (w.box.top + w.box.bottom) / 2;
    if (middle < at->box.top || middle >= at->box.bottom || w.text.empty()) continue;
    if (!line.empty()) line += L' ';
    if (&w == at) start = static_cast<long>(line.size());
    line += w.text;
  }
  if (start < 0 || line.size() > maxChars) return;
  out.context = std::move(line);
  out.contextStart = start;
}

}  // namespace

CaptureOutcome RecognizeAt(const CaptureRequest& req, OcrRecognizer* ocr, const Deadline& deadline) {
  OcrRecognizer& rec = ocr ? *ocr : SystemRecognizer();
  const RECT area{req.pt.x - req.ocrArea.cx / 2, req.pt.y - req.ocrArea.cy / 2,
                  req.pt.x + (req.ocrArea.cx + 1) / 2, req.pt.y + (req.ocrArea.cy + 1) / 2};
  const std::vector<OcrWord> words = rec.Recognize(area, req.ocrLanguage, deadline.Remaining());
  std::wstring word = WordAtPoint(words, req.pt);
  if (word.size() > req.maxChars) word.resize(req.maxChars);
  if (word.empty()) return {};
  CaptureOutcome out{std::move(word), WCS_OCR, -1};
  if (req.options & WCO_CONTEXT) LineOfWordAt(words, req.pt, req.maxChars, out);
  return out;
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
