#include "tests/win/capture_host_window.h"

#include <commctrl.h>
#include <richedit.h>

#include <string>

namespace qv::test {

const wchar_t* MultiLine(int i) {
  static std::wstring lines[kMultiLines];
  if (lines[0].empty()) {
    for (int n = 0; n < kMultiLines; ++n) lines[n] = L"line " + std::to_wstring(n) + L" alpha beta";
    lines[kMultiTopLine + 1] = L"second «(word),» line";
    lines[kMultiTopLine + 2] = L"short";
  }
  return lines[i].c_str();
}

namespace {

LRESULT CALLBACK HostProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    DestroyWindow(h);
    return 0;
  }
  if (msg == WM_DESTROY) {
    if (GetPropW(h, L"QvQuitOnDestroy")) PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

HWND CreateBigEditWindow(const wchar_t* title) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = inst;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kBigEditClass;
  RegisterClassW(&wc);
  HWND host = CreateWindowExW(0, kBigEditClass, title, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                              40, 40, 600, 300, nullptr, nullptr, inst, nullptr);
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                              WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | WS_VSCROLL,
                              10, 10, 560, 240, host,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBigEdit)), inst, nullptr);
  SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  std::wstring text;
  text.reserve(kBigEditChars);
  const std::wstring line = kBigEditLine;
  while (text.size() + line.size() <= kBigEditChars) text += line;
  text.append(kBigEditChars - text.size(), L'x');
  SetWindowTextW(edit, text.c_str());
  SendMessageW(edit, EM_LINESCROLL, 0, static_cast<LPARAM>(text.size() / line.size() / 2));
  ShowWindow(host, SW_SHOWNOACTIVATE);
  UpdateWindow(host);
  return host;
}

namespace {

// The list view's one column and its two items.
void FillListView(HWND lv) {
  LVCOLUMNW col{};
  col.mask = LVCF_WIDTH;
  col.cx = 250;
  SendMessageW(lv, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
  for (int i = 0; i < 2; ++i) {
    LVITEMW it{};
    it.mask = LVIF_TEXT;
    it.iItem = i;
    it.pszText = const_cast<LPWSTR>(kListViewItems[i]);
    SendMessageW(lv, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
  }
}

// The tree view's root and its child, expanded.
void FillTreeView(HWND tv) {
  TVINSERTSTRUCTW ins{};
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = const_cast<LPWSTR>(kTreeRoot);
  HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageW(tv, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  ins.hParent = root;
  ins.item.pszText = const_cast<LPWSTR>(kTreeChild);
  SendMessageW(tv, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins));
  SendMessageW(tv, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

}  // namespace

HWND CreateHostWindow(const wchar_t* title, int x, int y) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"QvCaptureHost";
  RegisterClassW(&wc);
  LoadLibraryW(L"msftedit.dll");
  LoadLibraryW(L"riched20.dll");

  HWND host = CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                              x, y, 820, 360, nullptr, nullptr, inst, nullptr);
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  HFONT font = CreateFontIndirectW(&ncm.lfMessageFont);  // lives as long as the process

  auto add = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, int cx, int cy,
                 int w, int hgt, DWORD ex = 0, bool withFont = true) {
    HWND c = CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, cx, cy, w, hgt, host,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    if (withFont) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
  };
  add(L"EDIT", kEditText, ES_AUTOHSCROLL, kEdit, 10, 10, 300, 24, WS_EX_CLIENTEDGE);
  std::wstring multi;
  for (int i = 0; i < kMultiLines; ++i) {
    multi += MultiLine(i);
    if (i + 1 < kMultiLines) multi += L"\r\n";
  }
  HWND me = add(L"EDIT", multi.c_str(), ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, kMultiEdit,
                10, 44, 300, 90, WS_EX_CLIENTEDGE);
  SendMessageW(me, EM_LINESCROLL, 0, kMultiTopLine);
  add(L"STATIC", kStaticText, SS_LEFT, kStatic, 10, 144, 300, 20);
  add(L"BUTTON", kButtonText, BS_PUSHBUTTON, kButton, 10, 170, 160, 28);
  add(L"BUTTON", kCheckText, BS_AUTOCHECKBOX, kCheckBox, 180, 172, 200, 24);
  HWND lb = add(L"LISTBOX", nullptr, LBS_NOTIFY | WS_BORDER, kListBox, 10, 206, 300, 100);
  for (const wchar_t* item : kListItems)
    SendMessageW(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  add(MSFTEDIT_CLASS, kRichText, ES_MULTILINE, kRichEdit, 320, 10, 280, 60, WS_EX_CLIENTEDGE);

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND lv = add(WC_LISTVIEWW, nullptr, LVS_REPORT | LVS_NOCOLUMNHEADER, kListView, 320, 80, 280, 70,
                WS_EX_CLIENTEDGE);
  FillListView(lv);
  HWND tv = add(WC_TREEVIEWW, nullptr, TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, kTreeView,
                320, 160, 280, 70, WS_EX_CLIENTEDGE);
  FillTreeView(tv);
  HWND cb = add(WC_COMBOBOXW, nullptr, CBS_DROPDOWNLIST, kComboBox, 320, 240, 200, 200);
  SendMessageW(cb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kComboText));
  SendMessageW(cb, CB_SETCURSEL, 0, 0);
  HWND ansi = add(L"RichEdit20A", nullptr, ES_MULTILINE, kAnsiRichEdit, 610, 10, 190, 60,
                  WS_EX_CLIENTEDGE);
  SetWindowTextA(ansi, kAnsiRichText);
  add(L"STATIC", kNoFontText, SS_LEFT, kNoFontStatic, 610, 80, 200, 20, 0, false);

  ShowWindow(host, SW_SHOWNOACTIVATE);
  UpdateWindow(host);
  return host;
}

}  // namespace qv::test
