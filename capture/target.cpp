// The window under the point and the memory lent in its process. Controls of other processes
// are asked with messages the system marshals, through SendMessageTimeout so that a hung
// program cannot freeze ours; where a control answers only through pointers a buffer is lent in
// the other process.
#include <algorithm>
#include <cwctype>

#include "capture/control.h"

namespace qv::capture {
namespace {

bool IsSpace(wchar_t c) {
  return std::iswspace(c) || c == 0x00A0 || (c >= 0x2000 && c <= 0x200B) || c == 0x202F ||
         c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

CaptureOutcome Token(std::wstring_view text, size_t index, long source, size_t maxChars) {
  size_t s, e;
  if (!TokenAt(text, index, s, e)) return {};
  if (e - s > maxChars) {
    s = std::max(s, index >= maxChars / 2 ? index - maxChars / 2 : 0);
    e = std::min(e, s + maxChars);
  }
  return {std::wstring(text.substr(s, e - s)), source, static_cast<long>(s)};
}

// The line (between line feeds) that holds text[index].
CaptureOutcome Line(std::wstring_view text, size_t index, long source, size_t maxChars) {
  if (text.empty()) return {};
  index = std::min(index, text.size() - 1);
  size_t s = text.find_last_of(L"\r\n", index);
  s = s == std::wstring_view::npos ? 0 : s + 1;
  size_t e = text.find_first_of(L"\r\n", index);
  if (e == std::wstring_view::npos) e = text.size();
  if (s >= e) return {};
  e = std::min(e, s + maxChars);
  return {std::wstring(text.substr(s, e - s)), source, static_cast<long>(s)};
}

bool SameBitness(HANDLE other) {
  BOOL a = FALSE, b = FALSE;
  IsWow64Process(GetCurrentProcess(), &a);
  IsWow64Process(other, &b);
  return a == b;
}

}  // namespace

bool TokenAt(std::wstring_view text, size_t index, size_t& start, size_t& end) {
  if (index >= text.size() || IsSpace(text[index])) return false;
  start = index;
  while (start > 0 && !IsSpace(text[start - 1])) --start;
  end = index + 1;
  while (end < text.size() && !IsSpace(text[end])) ++end;
  return true;
}

CaptureOutcome Pick(std::wstring_view text, size_t index, long source, const CaptureRequest& req) {
  if ((req.options & WCO_LINE) && !(req.options & WCO_WORD))
    return Line(text, index, source, req.maxChars);
  CaptureOutcome out = Token(text, index, source, req.maxChars);
  if ((req.options & WCO_CONTEXT) && !out.text.empty()) {
    // The line is already read: the context costs no further message to the control.
    CaptureOutcome line = Line(text, index, source, text.size());
    if (!line.text.empty() && out.start >= line.start) {
      // A long line is cut around the token.
      const size_t from = static_cast<size_t>(out.start - line.start);
      const size_t cut = from > req.maxChars / 2 ? from - req.maxChars / 2 : 0;
      out.context = line.text.substr(cut, req.maxChars);
      out.contextStart = static_cast<long>(from - cut);
    }
  }
  return out;
}

Target::Target(HWND h, DWORD timeoutMs, const Deadline& deadline)
    : m_h(h), m_timeout(timeoutMs), m_deadline(deadline) {
  DWORD pid = 0;
  m_sameThread = GetWindowThreadProcessId(h, &pid) == GetCurrentThreadId();
  m_local = pid == GetCurrentProcessId();
  m_pid = pid;
}

bool Target::Send(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) const {
  if (m_sameThread) {
    result = SendMessageW(m_h, msg, wp, lp);
    return true;
  }
  const DWORD timeout = std::min(m_timeout, m_deadline.Remaining());
  if (timeout == 0) return false;
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(m_h, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeout, &r))
    return false;
  result = static_cast<LRESULT>(r);
  return true;
}

std::wstring Target::Text() const {
  LRESULT n;
  if (!Send(WM_GETTEXTLENGTH, 0, 0, n) || n <= 0) return {};
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  LRESULT got;
  if (!Send(WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), got) || got <= 0) return {};
  s.resize(std::min<size_t>(static_cast<size_t>(got), s.size() - 1));
  return s;
}

std::wstring Target::ClassName() const {
  wchar_t buf[128] = {};
  GetClassNameW(m_h, buf, 128);
  return buf;
}

// Wine answers no WM_GETFONT across processes. Its labels keep the font they were given in the
// first slot of their window's extra bytes, which any process may read: null there is a label
// that was never given one. Only asked when the message went unanswered.
bool Target::LabelFontSlot(LRESULT& font) const {
  if (m_local || lstrcmpiW(ClassName().c_str(), L"Static") != 0) return false;
  if (GetClassLongPtrW(m_h, GCL_CBWNDEXTRA) < static_cast<LONG_PTR>(sizeof(LONG_PTR)))
    return false;
  SetLastError(ERROR_SUCCESS);
  const LONG_PTR slot = GetWindowLongPtrW(m_h, 0);
  if (slot == 0 && GetLastError() != ERROR_SUCCESS) return false;
  font = static_cast<LRESULT>(slot);
  return true;
}

platform::UniqueFont Target::Font() const {
  LRESULT f = 0;
  LOGFONTW lf{};
  const bool answered = Send(WM_GETFONT, 0, 0, f) || LabelFontSlot(f);
  if (answered && !f) {
    // A control that was never given a font draws with the system font, in any process.
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    return platform::UniqueFont(CreateFontIndirectW(&lf));
  }
  if (f && GetObjectW(reinterpret_cast<HFONT>(f), sizeof lf, &lf) == sizeof lf)
    return platform::UniqueFont(CreateFontIndirectW(&lf));
  // Another process's font cannot be read from here: most programs give their controls the
  // message font.
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  return platform::UniqueFont(CreateFontIndirectW(&ncm.lfMessageFont));
}

SharedBlock::SharedBlock(const Target& t, size_t size) : m_size(size) {
  if (t.local()) {
    m_localMem.resize(size);
    m_ptr = m_localMem.data();
    return;
  }
  m_proc.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                               PROCESS_QUERY_LIMITED_INFORMATION,
                           FALSE, t.pid()));
  if (!m_proc || !SameBitness(m_proc.get())) return;
  m_ptr = VirtualAllocEx(m_proc.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

SharedBlock::~SharedBlock() {
  if (m_proc && m_ptr) VirtualFreeEx(m_proc.get(), m_ptr, 0, MEM_RELEASE);
}

bool SharedBlock::Write(size_t offset, const void* data, size_t n) {
  if (offset + n > m_size) return false;
  if (!m_proc) {
    memcpy(at(offset), data, n);
    return true;
  }
  return WriteProcessMemory(m_proc.get(), at(offset), data, n, nullptr);
}

bool SharedBlock::Read(size_t offset, void* data, size_t n) const {
  if (offset + n > m_size) return false;
  if (!m_proc) {
    memcpy(data, at(offset), n);
    return true;
  }
  return ReadProcessMemory(m_proc.get(), at(offset), data, n, nullptr);
}

}  // namespace qv::capture
