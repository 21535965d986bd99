// The engine, created through the manifest, asked at points over chosen words of standard
// controls: in this process and in a second one (capture_host.exe). Points are worked out on
// this process's copy of the window, whose layout is the same, and carried over to the other.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <richedit.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "tests/win/capture_host_window.h"
#include "capture/wcapture.h"

namespace {

using namespace qv::test;

HWND g_local = nullptr;
HWND g_remote = nullptr;
PROCESS_INFORMATION g_hostProcess{};
IWCapture* g_engine = nullptr;

std::wstring ExeDir() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s = path;
  return s.substr(0, s.find_last_of(L"\\/") + 1);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

HWND StartHost() {
  std::wstring title = L"QV capture host " + std::to_wstring(GetCurrentProcessId());
  std::wstring cmd = L"\"" + ExeDir() + L"capture_host.exe\" \"" + title + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &g_hostProcess))
    return nullptr;
  for (int i = 0; i < 200; ++i) {
    if (HWND h = FindWindowW(L"QvCaptureHost", title.c_str())) {
      WaitForInputIdle(g_hostProcess.hProcess, 5000);
      return h;
    }
    Sleep(50);
  }
  return nullptr;
}

class CaptureControls : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_local = CreateHostWindow(L"QV capture local", 10, 10);
    g_remote = StartHost();
    Pump();
    CoCreateInstance(CLSID_WCapture, nullptr, CLSCTX_ALL, IID_IWCapture,
                     reinterpret_cast<void**>(&g_engine));
  }
  static void TearDownTestSuite() {
    if (g_engine) g_engine->Release();
    if (g_hostProcess.hProcess) {
      if (g_remote) PostMessageW(g_remote, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(g_hostProcess.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(g_hostProcess.hProcess, 1);
      CloseHandle(g_hostProcess.hProcess);
      CloseHandle(g_hostProcess.hThread);
    }
    if (g_local) DestroyWindow(g_local);
    CoUninitialize();
  }
  void SetUp() override {
    ASSERT_NE(nullptr, g_local);
    ASSERT_NE(nullptr, g_remote) << "capture_host.exe did not show its window";
    ASSERT_NE(nullptr, g_engine) << "the engine was not created through the manifest";
  }

  HWND Target() const { return GetParam() ? g_remote : g_local; }

  // Client point of control `id` on this process's copy, as a screen point over the target.
  POINT Over(int id, POINT client) const {
    ClientToScreen(GetDlgItem(Target(), id), &client);
    return client;
  }

  // What the program does: the window under the point, a request with the point, option 1.
  static std::wstring CaptureAt(POINT pt, LONG* source = nullptr) {
    IWInput* in = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WInput, nullptr, CLSCTX_ALL, IID_IWInputRequest,
                                reinterpret_cast<void**>(&in))))
      return L"<no request>";
    HWND w = WindowFromPoint(pt);
    in->put_hWnd(static_cast<LONG>(reinterpret_cast<LONG_PTR>(w)));
    in->put_FromX(pt.x);
    in->put_FromY(pt.y);
    in->put_ToX(pt.x);
    in->put_ToY(pt.y);
    in->put_Options(0x0001);
    IWCaptureResult* r = nullptr;
    std::wstring text = L"<capture failed>";
    if (SUCCEEDED(g_engine->Capture(in, &r)) && r) {
      BSTR b = nullptr;
      if (SUCCEEDED(r->get_Text(&b))) text.assign(b ? b : L"", SysStringLen(b));
      SysFreeString(b);
      if (source) r->get_Source(source);
      r->Release();
    }
    in->Release();
    return text;
  }
};

// A point in the right half of character `i` of an EDIT control on this process's copy, where
// EM_CHARFROMPOS answers with the next character.
POINT EditCharRight(int id, size_t i) {
  HWND e = GetDlgItem(g_local, id);
  LRESULT a = SendMessageW(e, EM_POSFROMCHAR, i, 0), b = SendMessageW(e, EM_POSFROMCHAR, i + 1, 0);
  int ax = static_cast<short>(LOWORD(a)), bx = static_cast<short>(LOWORD(b));
  if (static_cast<short>(HIWORD(b)) != static_cast<short>(HIWORD(a))) bx = ax + 6;
  return {ax + (bx - ax) * 3 / 4, static_cast<short>(HIWORD(a)) + 5};
}

size_t MultiIndex(int line, const wchar_t* what) {
  size_t index = 0;
  for (int i = 0; i < line; ++i) index += wcslen(MultiLine(i)) + 2;
  return index + std::wstring(MultiLine(line)).find(what);
}

// Width of `s` in the message font, which the host gives its controls, or in the system font.
int Extent(const std::wstring& s, bool systemFont = false) {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  HFONT f = CreateFontIndirectW(&ncm.lfMessageFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, systemFont ? GetStockObject(SYSTEM_FONT) : f);
  SIZE sz{};
  GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &sz);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(f);
  return sz.cx;
}

// The middle of `word` in a line of text that starts at x0.
int WordMiddle(const std::wstring& line, const std::wstring& word, int x0, bool systemFont = false) {
  std::wstring before = line.substr(0, line.find(word));
  return x0 + Extent(before, systemFont) + Extent(word, systemFont) / 2;
}

RECT Client(int id) {
  RECT rc;
  GetClientRect(GetDlgItem(g_local, id), &rc);
  return rc;
}

TEST_P(CaptureControls, Edit) {
  const std::wstring t = kEditText;
  LONG source = 0;
  EXPECT_EQ(L"Hello", CaptureAt(Over(kEdit, EditCharRight(kEdit, 2)), &source));
  EXPECT_EQ(WCS_EDIT, source);
  EXPECT_EQ(L"(world),", CaptureAt(Over(kEdit, EditCharRight(kEdit, t.find(L"world") + 1))));
  // The last character of a word and the first of the next: the boundary rule must not shift
  // the pointer into the neighbour.
  EXPECT_EQ(L"(world),", CaptureAt(Over(kEdit, EditCharRight(kEdit, t.find(L", dear")))));
  EXPECT_EQ(L"dear", CaptureAt(Over(kEdit, EditCharRight(kEdit, t.find(L"dear")))));
  EXPECT_EQ(L"reader.", CaptureAt(Over(kEdit, EditCharRight(kEdit, t.size() - 3))));
  EXPECT_EQ(L"", CaptureAt(Over(kEdit, EditCharRight(kEdit, t.find(L" dear")))));  // a space
  RECT rc = Client(kEdit);
  EXPECT_EQ(L"", CaptureAt(Over(kEdit, {rc.right - 6, rc.bottom / 2})));  // after the text
}

TEST_P(CaptureControls, MultiLineScrolledEdit) {
  EXPECT_EQ(L"alpha", CaptureAt(Over(kMultiEdit, EditCharRight(kMultiEdit, MultiIndex(kMultiTopLine, L"lpha")))));
  EXPECT_EQ(L"«(word),»", CaptureAt(Over(kMultiEdit, EditCharRight(kMultiEdit, MultiIndex(kMultiTopLine + 1, L"ord")))));
  EXPECT_EQ(L"«(word),»", CaptureAt(Over(kMultiEdit, EditCharRight(kMultiEdit, MultiIndex(kMultiTopLine + 1, L"«")))));
  EXPECT_EQ(L"line", CaptureAt(Over(kMultiEdit, EditCharRight(kMultiEdit, MultiIndex(kMultiTopLine + 1, L"ine")))));
  EXPECT_EQ(L"short", CaptureAt(Over(kMultiEdit, EditCharRight(kMultiEdit, MultiIndex(kMultiTopLine + 2, L"t")))));
  // Right of the short line's end: empty space, although the nearest boundary is its end.
  POINT p = EditCharRight(kMultiEdit, MultiIndex(kMultiTopLine + 2, L"t"));
  EXPECT_EQ(L"", CaptureAt(Over(kMultiEdit, {p.x + 120, p.y})));
}

TEST_P(CaptureControls, LabelsAndButtons) {
  LONG source = 0;
  const std::wstring label = kStaticText;
  EXPECT_EQ(L"«brown»", CaptureAt(Over(kStatic, {WordMiddle(label, L"brown", 0), 8}), &source));
  EXPECT_EQ(WCS_CONTROL, source);
  EXPECT_EQ(L"label:", CaptureAt(Over(kStatic, {WordMiddle(label, L"label:", 0), 8})));
  EXPECT_EQ(L"", CaptureAt(Over(kStatic, {Client(kStatic).right - 4, 8})));
  // A label without a font draws in the system font, in any process: every word at its place.
  for (const wchar_t* word : {L"juliet", L"kilo", L"lima"})
    EXPECT_EQ(word, CaptureAt(Over(kNoFontStatic, {WordMiddle(kNoFontText, word, 0, true), 8})));

  const std::wstring shown = L"Press Here now";  // "&H" is an underlined H
  RECT rc = Client(kButton);
  const int x0 = (rc.right - Extent(shown)) / 2;
  EXPECT_EQ(L"Here", CaptureAt(Over(kButton, {WordMiddle(shown, L"Here", x0), rc.bottom / 2})));
  EXPECT_EQ(L"now", CaptureAt(Over(kButton, {WordMiddle(shown, L"now", x0), rc.bottom / 2})));

  rc = Client(kCheckBox);
  const int box = GetSystemMetrics(SM_CXMENUCHECK) + 4;
  EXPECT_EQ(L"option", CaptureAt(Over(kCheckBox, {WordMiddle(kCheckText, L"option", box), rc.bottom / 2})));
}

TEST_P(CaptureControls, ListBoxItems) {
  RECT item;
  SendMessageW(GetDlgItem(g_local, kListBox), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  const int y = (item.top + item.bottom) / 2;
  LONG source = 0;
  EXPECT_EQ(L"split", CaptureAt(Over(kListBox, {WordMiddle(kListItems[1], L"split", item.left + 2), y}), &source));
  EXPECT_EQ(WCS_LISTBOX, source);
  const int h = item.bottom - item.top;
  EXPECT_EQ(L"tart", CaptureAt(Over(kListBox, {WordMiddle(kListItems[2], L"tart", item.left + 2), y + h})));
  EXPECT_EQ(L"", CaptureAt(Over(kListBox, {20, y + 3 * h})));  // below the last item
}

TEST_P(CaptureControls, RichEdit) {
  HWND re = GetDlgItem(g_local, kRichEdit);
  const std::wstring t = kRichText;
  POINTL a{}, b{};
  SendMessageW(re, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&a), t.find(L"dit"));
  SendMessageW(re, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&b), t.find(L"dit") + 1);
  LONG source = 0;
  EXPECT_EQ(L"(edit),", CaptureAt(Over(kRichEdit, {(a.x + b.x) / 2, a.y + 5}), &source));
  EXPECT_EQ(WCS_RICHEDIT, source);
  // An ANSI control answers with 8-bit text.
  HWND ansi = GetDlgItem(g_local, kAnsiRichEdit);
  ASSERT_FALSE(IsWindowUnicode(ansi));
  const size_t at = std::string(kAnsiRichText).find("ext");
  SendMessageW(ansi, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&a), at);
  SendMessageW(ansi, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&b), at + 1);
  EXPECT_EQ(L"(text)", CaptureAt(Over(kAnsiRichEdit, {(a.x + b.x) / 2, a.y + 5})));
}

TEST_P(CaptureControls, EmptySpaceGivesEmptyText) {
  POINT p{500, 300};  // the host window's own background
  ClientToScreen(Target(), &p);
  EXPECT_EQ(L"", CaptureAt(p));
}

TEST_P(CaptureControls, ListViewTreeViewAndComboBox) {
  RECT lv{LVIR_LABEL, 0, 0, 0};
  SendMessageW(GetDlgItem(g_local, kListView), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&lv));
  LONG source = 0;
  EXPECT_EQ(L"chamber", CaptureAt(Over(kListView, {WordMiddle(kListViewItems[1], L"chamber", lv.left + 2),
                                                  (lv.top + lv.bottom) / 2}), &source));
  EXPECT_EQ(WCS_LISTVIEW, source);
  EXPECT_EQ(L"", CaptureAt(Over(kListView, {lv.left + 4, lv.bottom + 3 * (lv.bottom - lv.top)})));

  HWND tv = GetDlgItem(g_local, kTreeView);
  HTREEITEM child = reinterpret_cast<HTREEITEM>(SendMessageW(
      tv, TVM_GETNEXTITEM, TVGN_CHILD,
      SendMessageW(tv, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
  RECT tr{};
  memcpy(&tr, &child, sizeof child);  // TVM_GETITEMRECT takes the item in the rectangle
  ASSERT_TRUE(SendMessageW(tv, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&tr)));
  EXPECT_EQ(L"club", CaptureAt(Over(kTreeView, {WordMiddle(kTreeChild, L"club", tr.left + 2),
                                               (tr.top + tr.bottom) / 2}), &source));
  EXPECT_EQ(WCS_TREEVIEW, source);
  EXPECT_EQ(L"", CaptureAt(Over(kTreeView, {tr.right + 30, (tr.top + tr.bottom) / 2})));

  RECT cb = Client(kComboBox);
  EXPECT_EQ(L"lobby", CaptureAt(Over(kComboBox, {WordMiddle(kComboText, L"lobby", 3), cb.bottom / 2})));
}

TEST_P(CaptureControls, Caption) {
  RECT wr;
  GetWindowRect(Target(), &wr);
  const int y = wr.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  wchar_t title[128];
  GetWindowTextW(Target(), title, 128);
  const std::wstring t = L" " + std::wstring(title) + L" ";
  // The title starts after the icon, which Wine and Windows draw a few pixels apart: any of the
  // title's words will do, and nothing over the caption's empty stretch.
  const std::wstring got = CaptureAt({wr.left + 60, y});
  EXPECT_FALSE(got.empty());
  EXPECT_NE(std::wstring::npos, t.find(L" " + got + L" ")) << got.c_str();
  EXPECT_EQ(L"", CaptureAt({wr.left + 420, y}));
}

// EM_CHARFROMPOS answers in 16 bits: beyond 65,535 characters the index, and beyond 65,535
// lines the line, must be put right. (A multi-line control: Wine's single-line controls do not
// scroll that far.)
TEST(CaptureLongEdit, IndexAndLineBeyondSixteenBits) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::wstring text;
  for (int line = 0; line < 70000; ++line) text += L"filler\r\n";
  const size_t target = text.size();
  text += L"needle(s); end";
  HWND w = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE | WS_BORDER | ES_MULTILINE | WS_VSCROLL,
                           40, 40, 400, 80, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, w);
  SendMessageW(w, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextW(w, text.c_str());
  ASSERT_EQ(static_cast<int>(text.size()), GetWindowTextLengthW(w));
  SendMessageW(w, EM_SETSEL, text.size(), text.size());  // scrolls to the end
  SendMessageW(w, EM_SCROLLCARET, 0, 0);
  Pump();
  LRESULT a = SendMessageW(w, EM_POSFROMCHAR, target + 2, 0);
  LRESULT b = SendMessageW(w, EM_POSFROMCHAR, target + 3, 0);
  POINT pt{(static_cast<short>(LOWORD(a)) + static_cast<short>(LOWORD(b))) / 2,
           static_cast<short>(HIWORD(a)) + 5};
  ClientToScreen(w, &pt);
  IWCapture* engine = nullptr;
  IWInput* in = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WCapture, nullptr, CLSCTX_ALL, IID_IWCapture,
                                   reinterpret_cast<void**>(&engine)));
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WInput, nullptr, CLSCTX_ALL, IID_IWInputRequest,
                                   reinterpret_cast<void**>(&in)));
  in->put_hWnd(static_cast<LONG>(reinterpret_cast<LONG_PTR>(w)));
  in->put_FromX(pt.x);
  in->put_FromY(pt.y);
  IWCaptureResult* r = nullptr;
  ASSERT_EQ(S_OK, engine->Capture(in, &r));
  BSTR got = nullptr;
  r->get_Text(&got);
  EXPECT_STREQ(L"needle(s);", got);
  SysFreeString(got);
  r->Release();
  in->Release();
  engine->Release();
  DestroyWindow(w);
  CoUninitialize();
}

INSTANTIATE_TEST_SUITE_P(Process, CaptureControls, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Other" : "Same"; });

}  // namespace
