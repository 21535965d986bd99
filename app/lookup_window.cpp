#include "app/lookup_window.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/settings.h"
#include "core/dictionary/text_bundle.h"
#include "platform/registry.h"
#include "platform/trace.h"
#include "app/localize.h"
#include "app/program_icon.h"
#include "app/ui/center_window.h"
#include "app/ui/dpi.h"

namespace qv {
namespace {

using platform::Hive;
using platform::RegAccess;
using platform::RegKey;

// Per user: the window's place and whether the history is kept.
constexpr wchar_t kPrefsKey[] = L"Software\\Brantel\\QV-fr\\LookUp";
constexpr wchar_t kPlacementValue[] = L"Placement";
constexpr wchar_t kHistoryValue[] = L"History";

// Sizes in logical pixels (96 per inch).
constexpr int kMargin = 8, kEditHeight = 24, kListWidth = 230, kButtonHeight = 26;
constexpr int kStartWidth = 760, kStartHeight = 480, kMinWidth = 460, kMinHeight = 300;

std::wstring Text(std::wstring_view key) { return CTextBundle(kMainSection).GetText(key); }

std::optional<std::wstring> ReadPref(const wchar_t* name) {
  RegKey key = RegKey::Open(Hive::CurrentUser, kPrefsKey, RegAccess::Read);
  return key ? key.ReadWide(name, 256) : std::nullopt;
}

void WritePref(const wchar_t* name, const std::wstring& value) {
  if (RegKey key = RegKey::Create(Hive::CurrentUser, kPrefsKey)) key.WriteWide(name, value);
}

std::wstring WindowText(HWND h) {
  std::wstring s(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), static_cast<int>(s.size()))));
  return s;
}

// The edit control breaks lines at CR LF only.
std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    if (text[i] == L'\n') out += L'\r';
    out += text[i];
  }
  return out;
}

}  // namespace

std::filesystem::path UserHistoryPath() {
  std::filesystem::path dir;
  PWSTR path = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path)) && path)
    dir = path;
  CoTaskMemFree(path);
  if (dir.empty()) {
    wchar_t buf[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"APPDATA", buf, MAX_PATH) - 1 < MAX_PATH - 1) dir = buf;
  }
  return dir / L"QV" / L"history.tsv";
}

CLookupWindow::~CLookupWindow() {
  if (m_hwnd) DestroyWindow();
  if (m_font) DeleteObject(m_font);
}

std::span<const ui::MsgEntry<CLookupWindow>> CLookupWindow::MessageTable() {
  using W = CLookupWindow;
  using ui::OnCommand;
  using ui::OnMessage;
  static const ui::MsgEntry<W> table[] = {
      OnMessage<W>(WM_CREATE, &W::OnCreate),
      OnMessage<W>(WM_SIZE, &W::OnSize),
      OnMessage<W>(WM_DPICHANGED, &W::OnDpiChanged),
      OnMessage<W>(WM_GETMINMAXINFO, &W::OnGetMinMaxInfo),
      OnMessage<W>(WM_CLOSE, &W::OnClose),
      OnMessage<W>(WM_DESTROY, &W::OnDestroy),
      OnMessage<W>(WM_TIMER, &W::OnTimer),
      OnMessage<W>(WM_CTLCOLORSTATIC, &W::OnCtlColorStatic),
      OnMessage<W>(WM_ERASEBKGND, &W::OnEraseBackground),
      OnCommand<W>(kWord, EN_CHANGE, &W::OnWordChanged),
      OnCommand<W>(kList, LBN_SELCHANGE, &W::OnListChosen),
      OnCommand<W>(kClear, BN_CLICKED, &W::OnClear),
      OnCommand<W>(kExport, BN_CLICKED, &W::OnExport),
  };
  return table;
}

void CLookupWindow::SetHistoryEnabled(bool enabled) {
  m_history.SetEnabled(enabled);
  WritePref(kHistoryValue, enabled ? L"1" : L"0");
}

bool CLookupWindow::HistoryEnabled() { return ReadPref(kHistoryValue).value_or(L"1") != L"0"; }

void CLookupWindow::HistoryChanged() {
  if (m_hwnd && m_showingHistory) FillList();
}

void CLookupWindow::Open(const std::wstring& word) {
  if (!m_hwnd) {
    if (!Create(nullptr, L"QV Look Up", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN)) return;
    RestorePlacement();
  }
  StartLoadingWords();
  if (IsIconic(m_hwnd)) ShowWindow(m_hwnd, SW_RESTORE);
  ShowWindow(m_hwnd, SW_SHOW);
  SetForegroundWindow(m_hwnd);
  HWND edit = Item(kWord);
  SetFocus(edit);
  if (!word.empty()) {
    SetWindowTextW(edit, word.c_str());  // the list follows (EN_CHANGE)
    SendMessageW(edit, EM_SETSEL, 0, -1);
    Lookup(word, true);
  }
}

bool CLookupWindow::OnCopyData(const COPYDATASTRUCT* data) {
  if (!data) return false;
  std::optional<std::wstring> word = CopyDataWord(data->dwData, data->lpData, data->cbData);
  if (!word) return false;
  Open(*word);
  return true;
}

void CLookupWindow::StartLoadingWords() {
  if (m_words) return;
  if (m_loading.valid()) {
    if (m_loading.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
      OnWordListReady(0, 0, 0);
    else
      SetTimer(m_hwnd, kWordListTimer, 100, nullptr);
    return;
  }
  try {
    // A few megabytes to read: the window is up and shows the history meanwhile. The window
    // asks for the list on a timer, so that a window closed and opened again while the list is
    // read still gets it.
    m_loading = std::async(std::launch::async, [] {
      return CWordList::Load(ReadLexiconHome().value_or(""), WordNetDatabaseDir());
    });
    SetTimer(m_hwnd, kWordListTimer, 100, nullptr);
  } catch (...) {
    // No thread to be had: the window works without suggestions.
    platform::TraceFailure(L"starting to read the word list");
  }
}

LRESULT CLookupWindow::OnTimer(UINT, WPARAM wp, LPARAM) {
  if (wp == kWordListTimer && m_loading.valid() &&
      m_loading.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    KillTimer(m_hwnd, kWordListTimer);
    OnWordListReady(0, 0, 0);
  }
  return 0;
}

LRESULT CLookupWindow::OnWordListReady(UINT, WPARAM, LPARAM) {
  if (!m_loading.valid()) return 0;
  try {
    m_words.emplace(m_loading.get());
  } catch (...) {
    // The list could not be read: the window works without suggestions.
    platform::TraceFailure(L"reading the word list");
    m_loading = {};
    return 0;
  }
  if (m_hwnd && !m_showingHistory) FillList();
  return 0;
}

LRESULT CLookupWindow::OnCreate(UINT, WPARAM, LPARAM) {
  HINSTANCE inst = ui::ResourceInstance();
  auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex, int id) {
    return CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, m_hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
  };
  child(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kWord);
  child(L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
        WS_EX_CLIENTEDGE, kList);
  child(L"BUTTON", L"Clear history", WS_TABSTOP | BS_PUSHBUTTON, 0, kClear);
  child(L"BUTTON", L"Export...", WS_TABSTOP | BS_PUSHBUTTON, 0, kExport);
  child(L"EDIT", L"",
        WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL,
        WS_EX_CLIENTEDGE, kResult);
  SendMessageW(Item(kWord), EM_SETLIMITTEXT, kMaxTypedWord, 0);
  LocalizeWindow(m_hwnd, kMainSection, {kClear, kExport});
  SetWindowIcons(m_hwnd);

  m_dpi = ui::DpiOf(m_hwnd);
  ApplyFonts();
  SetWindowPos(m_hwnd, nullptr, 0, 0, Scale(kStartWidth), Scale(kStartHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ui::CenterWindow(m_hwnd, false);
  if (ui::CMessageLoop* loop = ui::AppModule().GetMessageLoop()) loop->AddMessageFilter(this);
  FillList();
  return 0;
}

void CLookupWindow::ApplyFonts() {
  const LOGFONTW lf = ui::FontsAt(m_dpi).lfMessageFont;
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) return;
  for (int id : {kWord, kList, kClear, kExport, kResult})
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (m_font) DeleteObject(m_font);
  m_font = font;
}

void CLookupWindow::Layout() {
  RECT rc;
  GetClientRect(m_hwnd, &rc);
  const int m = Scale(kMargin), listW = Scale(kListWidth), editH = Scale(kEditHeight),
            buttonH = Scale(kButtonHeight);
  const int w = rc.right, h = rc.bottom;
  const int buttons = m_showingHistory ? buttonH + m : 0;
  HDWP dwp = BeginDeferWindowPos(5);
  auto place = [&](int id, int x, int y, int cx, int cy) {
    if (dwp) dwp = DeferWindowPos(dwp, Item(id), nullptr, x, y, std::max(cx, 0), std::max(cy, 0),
                                  SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(kWord, m, m, listW, editH);
  place(kList, m, m + editH + m, listW, h - 3 * m - editH - buttons);
  const int half = (listW - m) / 2;
  place(kClear, m, h - m - buttonH, half, buttonH);
  place(kExport, 2 * m + half, h - m - buttonH, listW - m - half, buttonH);
  place(kResult, 2 * m + listW, m, w - 3 * m - listW, h - 2 * m);
  if (dwp) EndDeferWindowPos(dwp);
  for (int id : {kClear, kExport}) ShowWindow(Item(id), m_showingHistory ? SW_SHOW : SW_HIDE);
}

LRESULT CLookupWindow::OnSize(UINT, WPARAM, LPARAM) {
  Layout();
  return 0;
}

LRESULT CLookupWindow::OnDpiChanged(UINT, WPARAM wp, LPARAM lp) {
  m_dpi = LOWORD(wp);
  ApplyFonts();
  const RECT* r = reinterpret_cast<const RECT*>(lp);
  SetWindowPos(m_hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
  return 0;
}

LRESULT CLookupWindow::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lp) {
  auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
  mmi->ptMinTrackSize = {Scale(kMinWidth), Scale(kMinHeight)};
  return 0;
}

LRESULT CLookupWindow::OnClose(UINT, WPARAM, LPARAM) {
  DestroyWindow();
  return 0;
}

LRESULT CLookupWindow::OnDestroy(UINT, WPARAM, LPARAM) {
  SavePlacement();
  if (ui::CMessageLoop* loop = ui::AppModule().GetMessageLoop()) loop->RemoveMessageFilter(this);
  m_listed.clear();
  m_showingHistory = true;
  return 0;
}

LRESULT CLookupWindow::OnCtlColorStatic(UINT, WPARAM wp, LPARAM lp) {
  // The read-only result area reads as a page, not as a disabled field.
  if (reinterpret_cast<HWND>(lp) != Item(kResult))
    return DefWindowProcW(m_hwnd, WM_CTLCOLORSTATIC, wp, lp);
  HDC dc = reinterpret_cast<HDC>(wp);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

// The class has no background brush of its own: the window is painted in the dialog colour.
LRESULT CLookupWindow::OnEraseBackground(UINT, WPARAM wp, LPARAM) {
  RECT rc;
  GetClientRect(m_hwnd, &rc);
  FillRect(reinterpret_cast<HDC>(wp), &rc, GetSysColorBrush(COLOR_BTNFACE));
  return 1;
}

void CLookupWindow::RestorePlacement() {
  std::optional<std::wstring> text = ReadPref(kPlacementValue);
  RECT r{};
  if (!text || std::swscanf(text->c_str(), L"%ld %ld %ld %ld", &r.left, &r.top, &r.right,
                            &r.bottom) != 4)
    return;
  // A place on a monitor that is no longer there, or a size below the least, is not taken.
  if (r.right - r.left < Scale(kMinWidth) / 2 || r.bottom - r.top < Scale(kMinHeight) / 2 ||
      r.right - r.left > 20000 || r.bottom - r.top > 20000 ||
      !MonitorFromRect(&r, MONITOR_DEFAULTTONULL))
    return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(m_hwnd, &wp);
  wp.rcNormalPosition = r;
  wp.showCmd = SW_HIDE;
  SetWindowPlacement(m_hwnd, &wp);
}

void CLookupWindow::SavePlacement() {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(m_hwnd, &wp)) return;
  const RECT& r = wp.rcNormalPosition;
  wchar_t text[64];
  std::swprintf(text, 64, L"%ld %ld %ld %ld", r.left, r.top, r.right, r.bottom);
  WritePref(kPlacementValue, text);
}

void CLookupWindow::FillList() {
  const std::wstring text = WindowText(Item(kWord));
  const bool history = text.find_first_not_of(L" \t") == std::wstring::npos;
  std::vector<std::wstring> items;
  m_listed.clear();
  if (history) {
    m_history.Refresh();  // with what another instance has written meanwhile
    for (const HistoryEntry& e : m_history.Entries()) {
      m_listed.push_back(e.word);
      items.push_back(e.french.empty() ? e.word : e.word + L"  \u2013  " + e.french);
    }
  } else if (m_words) {
    m_listed = m_words->Suggest(text);
    items = m_listed;
  }
  HWND list = Item(kList);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  if (history != m_showingHistory) {
    m_showingHistory = history;
    Layout();
  }
}

void CLookupWindow::Lookup(const std::wstring& word, bool record) {
  LookupResult result = m_lookup.Compose(word);
  SetWindowTextW(Item(kResult), WithCrLf(result.EntryText()).c_str());
  if (record && m_history.Record(result.word, result.base, result.french,
                                 static_cast<std::int64_t>(std::time(nullptr))))
    HistoryChanged();
}

void CLookupWindow::LookupChosen() {
  HWND list = Item(kList);
  const int sel = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  std::wstring word;
  if (sel >= 0 && static_cast<size_t>(sel) < m_listed.size()) {
    word = m_listed[static_cast<size_t>(sel)];
  } else {
    word = AcceptableWord(WindowText(Item(kWord))).value_or(L"");
  }
  if (word.empty()) return;
  const bool fromHistory = m_showingHistory;
  Lookup(word, true);
  if (fromHistory) {
    SendMessageW(list, LB_SETCURSEL, 0, 0);  // the word is now at the top of the history
    return;
  }
  // The chosen word goes into the box, and the list follows it.
  HWND edit = Item(kWord);
  if (WindowText(edit) != word) {
    SetWindowTextW(edit, word.c_str());
    SendMessageW(edit, EM_SETSEL, word.size(), word.size());
  }
  for (size_t i = 0; i < m_listed.size(); ++i)
    if (m_listed[i] == word) SendMessageW(list, LB_SETCURSEL, i, 0);
}

void CLookupWindow::MoveSelection(int delta) {
  HWND list = Item(kList);
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  if (count <= 0) return;
  const int sel = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  int next = sel < 0 ? (delta > 0 ? 0 : count - 1) : sel + delta;
  next = std::max(0, std::min(count - 1, next));
  SendMessageW(list, LB_SETCURSEL, next, 0);
}

LRESULT CLookupWindow::OnWordChanged(UINT, WPARAM, LPARAM) {
  FillList();
  return 0;
}

LRESULT CLookupWindow::OnListChosen(UINT, WPARAM, LPARAM) {
  LookupChosen();
  return 0;
}

LRESULT CLookupWindow::OnClear(UINT, WPARAM, LPARAM) {
  const bool cleared = m_history.Clear();
  FillList();
  if (!cleared)
    MessageBoxW(m_hwnd, Text(L"The history could not be cleared.").c_str(),
                Text(L"QV Look Up").c_str(), MB_ICONHAND);
  return 0;
}

LRESULT CLookupWindow::OnExport(UINT, WPARAM, LPARAM) {
  const std::wstring kind = Text(L"Tab-separated text");
  std::wstring filter = kind + L" (*.tsv)" + L'\0' + L"*.tsv" + L'\0' + L"*.*" + L'\0' + L"*.*" +
                        L'\0' + L'\0';
  wchar_t file[MAX_PATH] = L"qv-words.tsv";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = m_hwnd;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"tsv";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&ofn)) return 0;
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  // The first sense comes from the same composition as the entry the user saw.
  const std::string text = FlashCardExport(m_history.Entries(), [&](const HistoryEntry& e) {
    return FirstSense(m_lookup.Compose(e.word).Body());
  });
  const bool ok = WriteFileSafely(std::filesystem::path(file), text);
  SetCursor(old);
  if (!ok)
    MessageBoxW(m_hwnd, Text(L"The word list could not be written.").c_str(),
                Text(L"QV Look Up").c_str(), MB_ICONHAND);
  return 0;
}

BOOL CLookupWindow::PreTranslateMessage(MSG* pMsg) {
  if (!m_hwnd || !pMsg->hwnd || (pMsg->hwnd != m_hwnd && !IsChild(m_hwnd, pMsg->hwnd)))
    return FALSE;
  try {
    if (pMsg->message == WM_KEYDOWN) {
      const bool inWord = pMsg->hwnd == Item(kWord), inList = pMsg->hwnd == Item(kList);
      switch (pMsg->wParam) {
        case VK_ESCAPE:
          PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
          return TRUE;
        case VK_RETURN:
          if (inWord || inList) {
            LookupChosen();
            return TRUE;
          }
          break;
        case 'A':  // Ctrl+A selects the whole word, as in most edit boxes
          if (inWord && GetKeyState(VK_CONTROL) < 0) {
            SendMessageW(pMsg->hwnd, EM_SETSEL, 0, -1);
            return TRUE;
          }
          break;
        case VK_UP:
        case VK_DOWN:
          if (inWord) {
            MoveSelection(pMsg->wParam == VK_UP ? -1 : 1);
            return TRUE;
          }
          break;
        default:
          break;
      }
    }
  } catch (...) {
    // Out of memory in the middle of a look-up: this key does nothing.
    platform::TraceFailure(L"handling a key in the look-up window");
    return TRUE;
  }
  return IsDialogMessageW(m_hwnd, pMsg);
}

}  // namespace qv
