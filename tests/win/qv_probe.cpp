// qv_probe OUT COMMAND [ARGS]: reads and drives QV's windows from another process in the same
// desktop, the way a screen reader or a test does, and writes what it finds to OUT (UTF-8).
//   popup               "visible=0|1" then the popup's window text (title, line feed, body)
//   link                screen centre "x y" of the popup's link, found by its colour
//   settings            the settings window: visibility, caption, control texts and states
//   rect ID             screen rectangle of a settings control (0: the window)
//   select ID INDEX     selects an entry of a settings list as a user would (with notification)
//   sequence N          chooses activation sequence N through QV's registered message, also one
//                       without a list entry
//   menu                the screen rectangle of the popup menu on screen
//   charpos TITLE INDEX screen point of a character of the EDIT control in window TITLE
//   msgbox CAPTION      the texts of the message box with that caption, which it then closes
//   command ID          posts the command to the settings window
//   close TITLE         asks the top-level window TITLE to close
//   window TITLE        "visible=0|1" of the top-level window TITLE
//   keyaccess KEY read|full  lets everyone only read (as an ordinary user may) or fully use
//                       HKLM\KEY in the 64-bit view
//   timepopup N X Y [X Y...]  N gestures: the pointer comes to rest on each point in turn,
//                       Ctrl goes down; milliseconds from the key to the popup, one line each
//                       (-1: none); a click on a bare spot (100, 700) closes it
//   memory              QV's working set, its peak and its private bytes, in KiB
//   balloon             the texts of the balloon notices on screen, one a line
//   fileacl PATH        the owner and access list of a file or folder, in SDDL
//   hold SECONDS PATH   holds the file open without sharing for that long; OUT is written once
//                       it is held (PATH is the rest of the line: a launcher may split it)
//   lookup              the look-up window: visibility, caption, the edit box, the list's
//                       selection and items, then "result=" and the result area's text
// OUT is always written, empty when the thing asked for was not found.
// Exit status 0 when the thing asked for was found, 1 when not, 2 on a usage error.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <sddl.h>
#include <aclapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring g_out;

void Out(const std::wstring& line) { g_out += line + L"\n"; }

std::wstring Text(HWND h) {
  const int n = static_cast<int>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0));
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), SMTO_BLOCK,
                      2000, &got);
  s.resize(got);
  return s;
}

HWND FindTopLevel(const std::wstring& title, const wchar_t* cls = nullptr) {
  struct Ctx {
    const std::wstring* title;
    const wchar_t* cls;
    HWND found;
  } ctx{&title, cls, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(lp);
        wchar_t name[260] = {};
        GetWindowTextW(h, name, 260);
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        if (*c->title == name && (!c->cls || lstrcmpW(c->cls, cls) == 0)) {
          c->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

HWND Settings() {
  // The dialog is found by class, whatever its caption says in the bundle's language.
  HWND h = nullptr;
  while ((h = FindWindowExW(nullptr, h, L"#32770", nullptr)))
    if (GetDlgItem(h, 1007) && GetDlgItem(h, 1017)) return h;
  return nullptr;
}

std::wstring RectText(const RECT& r) {
  return std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) +
         L" " + std::to_wstring(r.bottom);
}

int Popup() {
  HWND h = FindWindowW(L"QvTranslationPopup", nullptr);
  if (!h) {
    Out(L"visible=0");
    return 1;
  }
  Out(std::wstring(L"visible=") + (IsWindowVisible(h) ? L"1" : L"0"));
  Out(Text(h));
  return 0;
}

// The text of every visible balloon tooltip (the shell's notices over tray icons), one a line.
int Balloon() {
  std::wstring texts;
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        if (!lstrcmpiW(cls, TOOLTIPS_CLASSW) && IsWindowVisible(h) &&
            (GetWindowLongW(h, GWL_STYLE) & TTS_BALLOON))
          *reinterpret_cast<std::wstring*>(lp) += Text(h) + L"\n";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  if (texts.empty()) return 1;
  g_out += texts;
  return 0;
}

int Link() {
  HWND h = FindWindowW(L"QvTranslationPopup", nullptr);
  if (!h || !IsWindowVisible(h)) return 1;
  RECT r;
  GetWindowRect(h, &r);
  // The popup draws its link in the system's link colour, or a darker blue when that is too
  // pale on the balloon's background.
  auto luma = [](COLORREF c) {
    return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
  };
  COLORREF link = GetSysColor(COLOR_HOTLIGHT);
  if (std::abs(luma(link) - luma(GetSysColor(COLOR_INFOBK))) < 110) link = RGB(0, 80, 200);
  HDC dc = GetDC(nullptr);
  long sx = 0, sy = 0, n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (GetPixel(dc, x, y) == link) sx += x, sy += y, ++n;
  ReleaseDC(nullptr, dc);
  if (!n) return 1;
  Out(std::to_wstring(sx / n) + L" " + std::to_wstring(sy / n));
  return 0;
}

int LookupDump() {
  HWND h = FindWindowW(L"QvLookUpWindow", nullptr);
  if (!h) return 1;
  Out(std::wstring(L"visible=") + (IsWindowVisible(h) ? L"1" : L"0"));
  Out(L"caption=" + Text(h));
  RECT r;
  GetWindowRect(h, &r);
  Out(L"rect=" + RectText(r));
  Out(L"word=" + Text(GetDlgItem(h, 100)));
  HWND list = GetDlgItem(h, 101);
  Out(L"sel=" + std::to_wstring(SendMessageW(list, LB_GETCURSEL, 0, 0)));
  std::wstring items;
  const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    const int len = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
    std::wstring item(static_cast<size_t>(std::max(len, 0)) + 1, L'\0');
    item.resize(static_cast<size_t>(std::max<LRESULT>(
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data())), 0)));
    items += (i ? L"|" : L"") + item;
  }
  Out(L"list=" + items);
  Out(L"result=" + Text(GetDlgItem(h, 102)));
  return 0;
}

int SettingsDump() {
  HWND h = Settings();
  if (!h) return 1;
  Out(std::wstring(L"visible=") + (IsWindowVisible(h) ? L"1" : L"0"));
  Out(L"caption=" + Text(h));
  for (int id : {1025, 1023, 1024, 1, 2, 1017}) Out(L"text " + std::to_wstring(id) + L"=" + Text(GetDlgItem(h, id)));
  Out(L"check=" + std::to_wstring(SendDlgItemMessageW(h, 1008, BM_GETCHECK, 0, 0)));
  HWND c = GetDlgItem(h, 1007);
  std::wstring line = L"list 1007 sel=" + std::to_wstring(SendMessageW(c, CB_GETCURSEL, 0, 0)) +
                      L" items=";
  const int n = static_cast<int>(SendMessageW(c, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t item[256] = {};
    if (SendMessageW(c, CB_GETLBTEXTLEN, i, 0) < 255)
      SendMessageW(c, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    line += (i ? L"|" : L"") + std::wstring(item);
  }
  Out(line);
  Out(L"delay=" + Text(GetDlgItem(h, 1006)));
  return 0;
}

int Rect(int id) {
  HWND h = Settings();
  if (!h) return 1;
  RECT r;
  GetWindowRect(id ? GetDlgItem(h, id) : h, &r);
  Out(RectText(r));
  return 0;
}

int Select(int id, int index) {
  HWND h = Settings();
  if (!h) return 1;
  HWND c = GetDlgItem(h, id);
  SendMessageW(c, CB_SETCURSEL, index, 0);
  SendMessageW(h, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
  return 0;
}

int Sequence(int sequence) {
  HWND h = Settings();
  const UINT msg = RegisterWindowMessageW(L"QvActivationSequence");
  return h && SendMessageW(h, msg, static_cast<WPARAM>(sequence), 0) ? 0 : 1;
}

int Menu() {
  HWND h = FindWindowW(L"#32768", nullptr);
  if (!h || !IsWindowVisible(h)) return 1;
  RECT r;
  GetWindowRect(h, &r);
  Out(RectText(r));
  return 0;
}

int CharPos(const std::wstring& title, int index) {
  HWND top = FindTopLevel(title);
  HWND edit = top ? FindWindowExW(top, nullptr, L"Edit", nullptr) : nullptr;
  if (!edit) return 1;
  LRESULT pos = SendMessageW(edit, EM_POSFROMCHAR, index, 0);
  if (pos == -1) return 1;
  POINT pt{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ClientToScreen(edit, &pt);
  Out(std::to_wstring(pt.x) + L" " + std::to_wstring(pt.y));
  return 0;
}

int MsgBox(const std::wstring& caption) {
  HWND h = FindTopLevel(caption, L"#32770");
  if (!h) return 1;
  for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[64] = {};
    GetClassNameW(c, cls, 64);
    if (!lstrcmpiW(cls, L"Static") && GetWindowTextLengthW(c)) Out(Text(c));
  }
  PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return 0;
}

int Command(int id) {
  HWND h = Settings();
  return h && PostMessageW(h, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? 0 : 1;
}

int Close(const std::wstring& title) {
  HWND h = FindTopLevel(title);
  return h && PostMessageW(h, WM_CLOSE, 0, 0) ? 0 : 1;
}

int Window(const std::wstring& title) {
  HWND h = FindTopLevel(title);
  if (!h) return 1;
  Out(std::wstring(L"visible=") + (IsWindowVisible(h) ? L"1" : L"0"));
  return 0;
}

int KeyAccess(const std::wstring& key, const std::wstring& mode) {
  const wchar_t* sddl = mode == L"read" ? L"D:P(A;CI;KR;;;WD)" : L"D:P(A;CI;KA;;;WD)";
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
    return 1;
  HKEY h = nullptr;
  LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, WRITE_DAC | KEY_WOW64_64KEY, &h);
  if (rc == ERROR_SUCCESS) {
    rc = RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd);
    RegCloseKey(h);
  }
  LocalFree(sd);
  if (rc != ERROR_SUCCESS) return 1;
  Out(L"ok");
  return 0;
}

int FileAcl(const std::wstring& path) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, what, nullptr, nullptr, nullptr,
                            nullptr, &sd) != ERROR_SUCCESS)
    return 1;
  wchar_t* sddl = nullptr;
  const BOOL ok =
      ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1, what, &sddl, nullptr);
  LocalFree(sd);
  if (!ok) return 1;
  Out(sddl);
  LocalFree(sddl);
  return 0;
}

bool PopupVisible() {
  HWND h = FindWindowW(L"QvTranslationPopup", nullptr);
  return h && IsWindowVisible(h);
}

void Input(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

void MoveTo(int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

bool WaitFor(bool visible, int ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (PopupVisible() != visible)
    if (GetTickCount64() > end) return false;
    else Sleep(1);
  return true;
}

// The same input a hand gives, through the system's input queue (the low-level hook sees it), timed
// in this process so that no launcher's start-up is counted.
int TimePopup(int n, const std::vector<POINT>& points) {
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  for (int i = 0; i < n; ++i) {
    const POINT& pt = points[static_cast<size_t>(i) % points.size()];
    MoveTo(pt.x - 40, pt.y + 40);  // away, then back: every gesture is a fresh rest
    Sleep(30);
    MoveTo(pt.x, pt.y);
    Sleep(120);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    Input(VK_CONTROL, false);
    const bool shown = WaitFor(true, 3000);
    QueryPerformanceCounter(&t1);
    Input(VK_CONTROL, true);
    Out(shown ? std::to_wstring((t1.QuadPart - t0.QuadPart) * 1000.0 / freq.QuadPart) : L"-1");
    // A click on a bare spot of the desktop closes the popup.
    MoveTo(100, 700);
    Sleep(30);
    INPUT click[2]{};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof click[0]);
    WaitFor(false, 1000);
  }
  return 0;
}

int Memory() {
  HWND h = Settings();
  DWORD pid = 0;
  if (!h || !GetWindowThreadProcessId(h, &pid)) return 1;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return 1;
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  const BOOL ok = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                                       sizeof pmc);
  CloseHandle(process);
  if (!ok) return 1;
  Out(L"working_set=" + std::to_wstring(pmc.WorkingSetSize / 1024));
  Out(L"peak_working_set=" + std::to_wstring(pmc.PeakWorkingSetSize / 1024));
  // Wine leaves PrivateUsage at 0 and counts private bytes as the page-file usage, as Windows
  // also does.
  Out(L"private=" + std::to_wstring(std::max(pmc.PrivateUsage, pmc.PagefileUsage) / 1024));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring cmd = argv[2];
  if (cmd == L"hold" && argc > 4) {
    std::wstring path = argv[4];
    for (int i = 5; i < argc; ++i) path += std::wstring(L" ") + argv[i];
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    if (FILE* out = _wfopen(argv[1], L"wb")) fclose(out);
    Sleep(static_cast<DWORD>(_wtoi(argv[3])) * 1000);
    CloseHandle(f);
    return 0;
  }
  int rc = 2;
  if (cmd == L"popup") rc = Popup();
  else if (cmd == L"link") rc = Link();
  else if (cmd == L"settings") rc = SettingsDump();
  else if (cmd == L"rect" && argc > 3) rc = Rect(_wtoi(argv[3]));
  else if (cmd == L"select" && argc > 4) rc = Select(_wtoi(argv[3]), _wtoi(argv[4]));
  else if (cmd == L"sequence" && argc > 3) rc = Sequence(_wtoi(argv[3]));
  else if (cmd == L"menu") rc = Menu();
  else if (cmd == L"charpos" && argc > 4) rc = CharPos(argv[3], _wtoi(argv[4]));
  else if (cmd == L"msgbox" && argc > 3) rc = MsgBox(argv[3]);
  else if (cmd == L"command" && argc > 3) rc = Command(_wtoi(argv[3]));
  else if (cmd == L"close" && argc > 3) rc = Close(argv[3]);
  else if (cmd == L"window" && argc > 3) rc = Window(argv[3]);
  else if (cmd == L"keyaccess" && argc > 4) rc = KeyAccess(argv[3], argv[4]);
  else if (cmd == L"memory") rc = Memory();
  else if (cmd == L"balloon") rc = Balloon();
  else if (cmd == L"fileacl" && argc > 3) rc = FileAcl(argv[3]);
  else if (cmd == L"lookup") rc = LookupDump();
  else if (cmd == L"timepopup" && argc > 5) {
    std::vector<POINT> points;
    for (int i = 4; i + 1 < argc; i += 2) points.push_back({_wtoi(argv[i]), _wtoi(argv[i + 1])});
    rc = TimePopup(_wtoi(argv[3]), points);
  }
  const int n = WideCharToMultiByte(CP_UTF8, 0, g_out.c_str(), static_cast<int>(g_out.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, g_out.c_str(), static_cast<int>(g_out.size()), utf8.data(), n,
                      nullptr, nullptr);
  // Written beside, then renamed: the reader waits for the file and must never see half of it.
  const std::wstring partial = std::wstring(argv[1]) + L".part";
  if (FILE* f = _wfopen(partial.c_str(), L"wb")) {
    fwrite(utf8.data(), 1, utf8.size(), f);
    fclose(f);
    MoveFileExW(partial.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING);
  }
  return rc;
}
