// Inside the engine: a window under the point and the way to talk to it, memory lent in its
// process, and the ways each family of controls answers which character lies under the point.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/request.h"
#include "platform/gdi_win.h"
#include "platform/kernel_win.h"

namespace qv::capture {

// A window and the way to talk to it.
class Target {
 public:
  Target(HWND h, DWORD timeoutMs, const Deadline& deadline);
  HWND hwnd() const { return m_h; }
  bool local() const { return m_local; }
  DWORD pid() const { return m_pid; }

  // A window of another thread, even one of ours, may be hung: it gets what is left of the
  // budget, at most the timeout per message.
  bool Send(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) const;
  LRESULT SendOr(UINT msg, WPARAM wp, LPARAM lp, LRESULT fallback) const {
    LRESULT r;
    return Send(msg, wp, lp, r) ? r : fallback;
  }

  std::wstring Text() const;
  std::wstring ClassName() const;
  LONG Style() const { return GetWindowLongW(m_h, GWL_STYLE); }
  // The control's font to lay its text out with; never null.
  platform::UniqueFont Font() const;

 private:
  bool LabelFontSlot(LRESULT& font) const;

  HWND m_h;
  DWORD m_timeout;
  const Deadline& m_deadline;
  DWORD m_pid = 0;
  bool m_local = false;
  bool m_sameThread = false;
};

// Memory that a control of another process can read and write: a block lent in that process,
// or plain memory when the control is ours. Only used between processes of the same bitness,
// since the records it carries hold pointers.
class SharedBlock {
 public:
  SharedBlock(const Target& t, size_t size);
  ~SharedBlock();
  SharedBlock(const SharedBlock&) = delete;
  SharedBlock& operator=(const SharedBlock&) = delete;

  explicit operator bool() const { return m_ptr != nullptr; }
  // Address as the control sees it.
  void* at(size_t offset) const { return static_cast<char*>(m_ptr) + offset; }
  bool Write(size_t offset, const void* data, size_t n);
  bool Read(size_t offset, void* data, size_t n) const;

  // Lends `record` at the block's start with message `msg`, and reads back what the control
  // wrote in it.
  template <typename Record>
  bool Exchange(const Target& t, UINT msg, WPARAM wp, Record& record, LRESULT& result) {
    return Write(0, &record, sizeof record) &&
           t.Send(msg, wp, reinterpret_cast<LPARAM>(at(0)), result) &&
           Read(0, &record, sizeof record);
  }

 private:
  size_t m_size;
  void* m_ptr = nullptr;
  platform::UniqueKernelHandle m_proc;
  std::vector<char> m_localMem;
};

// The token (or, with WCO_LINE alone, the line) that holds text[index], as the request asks.
CaptureOutcome Pick(std::wstring_view text, size_t index, long source, const CaptureRequest& req);

enum class Align { Left, Center, Right };

// Where a control draws its text.
struct Layout {
  RECT box{};  // client coordinates
  Align align = Align::Left;
  bool wrap = false;
  bool vcenter = false;
  int leftPad = 0;
};

// The character of `text`, laid out in `font` as `lay` says, under the point.
CaptureOutcome FromLaidOutText(const std::wstring& text, HFONT font, const Layout& lay, POINT pt,
                               long source, const CaptureRequest& req);

// The control families. `pt` is in the control's client coordinates (screen coordinates for
// a caption). Nothing (nullopt) when the control answers only through memory that cannot be
// lent in its process, so that UI Automation is asked instead.
CaptureOutcome FromEdit(const Target& t, POINT pt, const CaptureRequest& req);
std::optional<CaptureOutcome> FromRichEdit(const Target& t, POINT pt, const CaptureRequest& req);
CaptureOutcome FromStatic(const Target& t, POINT pt, const CaptureRequest& req);
CaptureOutcome FromButton(const Target& t, POINT pt, const CaptureRequest& req);
CaptureOutcome FromCaption(const Target& t, POINT screenPt, const CaptureRequest& req);
CaptureOutcome FromListBox(const Target& t, POINT pt, const CaptureRequest& req);
CaptureOutcome FromComboBox(const Target& t, POINT pt, const CaptureRequest& req);
std::optional<CaptureOutcome> FromListView(const Target& t, POINT pt, const CaptureRequest& req);
std::optional<CaptureOutcome> FromTreeView(const Target& t, POINT pt, const CaptureRequest& req);

// The screen around the point, recognised: requests with WCO_OCR.
CaptureOutcome RecognizeAt(const CaptureRequest& req, OcrRecognizer* ocr, const Deadline& deadline);

}  // namespace qv::capture
