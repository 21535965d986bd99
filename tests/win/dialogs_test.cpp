// The splash, About and the pronunciation guide run modally under Wine's virtual desktop while a
// second thread plays the user: keys, clicks and the close box, as they arrive at the dialog.
// Also the tutorial page's address and its opening through the shell (recorded, never opened),
// the two bitmaps as the program carries them, and what the three dialogs show on the screen:
// the splash and the guide their whole picture, About the program's icon (their screenshots are
// kept beside the test for the README).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/win/screen_shot.h"
#include "core/settings.h"
#include "platform/gdi_win.h"
#include "platform/registry.h"
#include "resources/dialogs/about_res.h"
#include "resources/dialogs/pronounce_res.h"
#include "resources/dialogs/splash_res.h"
#include "app/about_dlg.h"
#include "app/open_address.h"
#include "app/program_icon.h"
#include "app/pronounce_help.h"
#include "app/splash_dlg.h"

using qv::CAboutDlg;
using qv::CSplashDlg;
using qv::CPronounceHelp;

namespace {

using namespace std::chrono_literals;
using qv::platform::Hive;

std::wstring WinPath(std::string unixPath) {
  std::wstring out = L"Z:";
  for (char c : unixPath) out += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return out;
}

void SetInstall(const std::wstring& target, const wchar_t* lang) {
  qv::platform::ClearValueOverrides();
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"Target", target);
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"QVLang", lang);
}

std::wstring Text(HWND wnd) {
  wchar_t buf[2048] = {};
  GetWindowTextW(wnd, buf, 2048);
  return buf;
}

// The visible dialog of a thread, once it is there.
HWND WaitForDialog(DWORD thread) {
  for (int i = 0; i < 500; ++i) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND h, LPARAM lp) -> BOOL {
          wchar_t cls[32];
          GetClassNameW(h, cls, 32);
          if (IsWindowVisible(h) && wcscmp(cls, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(lp) = h;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(10);
  }
  return nullptr;
}

// The window's picture on the screen, as a 24-bit BMP beside the test program.
bool SaveWindowShot(HWND wnd, const wchar_t* name) {
  RECT r;
  GetWindowRect(wnd, &r);
  return !qv::test::SaveScreenRect(r, name).empty();
}

// Runs the dialog modally on this thread while `user` acts on it from another one.
template <class Dlg>
INT_PTR RunWithUser(Dlg& dlg, std::function<void(HWND)> user) {
  const DWORD me = GetCurrentThreadId();
  std::thread t([&] {
    if (HWND h = WaitForDialog(me)) user(h);
  });
  const INT_PTR result = dlg.DoModal(nullptr);
  t.join();
  return result;
}

void PostKey(HWND h, WPARAM vk) {
  PostMessageW(h, WM_KEYDOWN, vk, 1);
  PostMessageW(h, WM_KEYUP, vk, 0xC0000001);
}

void ClickAt(POINT pt) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[3]{};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = MulDiv(pt.x, 65535, w - 1);
    i.mi.dy = MulDiv(pt.y, 65535, h - 1);
    i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  }
  in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
}

POINT Center(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The bitmap as the program carries it: width, height and bits per pixel.
struct BitmapShape {
  LONG width = 0, height = 0;
  WORD bits = 0;
};
BitmapShape ResourceBitmap(int id) {
  HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  if (!res) return {};
  const auto* bih = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, res)));
  return {bih->biWidth, bih->biHeight, bih->biBitCount};
}

// A bitmap's pixels, 32 bits each, top row first.
std::vector<DWORD> Pixels(HBITMAP bmp, int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<DWORD> px(static_cast<size_t>(w) * h);
  qv::platform::WindowDc screen;
  GetDIBits(screen.get(), bmp, 0, h, px.data(), &bi, DIB_RGB_COLORS);
  return px;
}

// What the screen shows of a window's client area.
std::vector<DWORD> ShownPixels(HWND wnd, int& w, int& h) {
  RECT rc;
  GetClientRect(wnd, &rc);
  w = rc.right;
  h = rc.bottom;
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  qv::platform::WindowDc screen;
  qv::platform::UniqueDc mem(CreateCompatibleDC(screen.get()));
  qv::platform::UniqueBitmap bmp(CreateCompatibleBitmap(screen.get(), w, h));
  {
    qv::platform::SelectedObject selected(mem.get(), bmp.get());
    BitBlt(mem.get(), 0, 0, w, h, screen.get(), origin.x, origin.y, SRCCOPY);
  }
  return Pixels(bmp.get(), w, h);
}

// The share of pixels alike in two pictures of the same size (every colour within 16).
double Alike(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
  if (a.empty() || a.size() != b.size()) return 0;
  size_t same = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    bool close = true;
    for (int shift : {0, 8, 16})
      close = close && abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)) <= 16;
    same += close;
  }
  return double(same) / double(a.size());
}

// The dialog shows its bitmap resource and nothing else: whole, unscaled, filling its client
// area.
bool ShowsPicture(HWND dlg, int bitmapId) {
  qv::platform::UniqueBitmap bmp(static_cast<HBITMAP>(LoadImageW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  BITMAP bm{};
  if (!bmp || !GetObjectW(bmp.get(), sizeof bm, &bm)) return false;
  int w = 0, h = 0;
  const std::vector<DWORD> shown = ShownPixels(dlg, w, h);
  return w == bm.bmWidth && h == bm.bmHeight &&
         Alike(shown, Pixels(bmp.get(), bm.bmWidth, bm.bmHeight)) >= 0.99;
}

// An icon control shows the program's icon `iconId`, drawn on the dialog's face.
bool ShowsIcon(HWND control, int iconId) {
  int w = 0, h = 0;
  const std::vector<DWORD> shown = ShownPixels(control, w, h);
  qv::platform::WindowDc screen;
  qv::platform::UniqueDc mem(CreateCompatibleDC(screen.get()));
  qv::platform::UniqueBitmap bmp(CreateCompatibleBitmap(screen.get(), w, h));
  {
    qv::platform::SelectedObject selected(mem.get(), bmp.get());
    RECT all{0, 0, w, h};
    FillRect(mem.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(mem.get(), 0, 0, qv::LoadProgramIcon(iconId, false), w, h, 0, nullptr, DI_NORMAL);
  }
  return w > 0 && Alike(shown, Pixels(bmp.get(), w, h)) >= 0.95;
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetInstall(WinPath(QV_SOURCE_DIR "/data/"), L"fr"); }
  void TearDown() override { qv::platform::ClearValueOverrides(); }
};

// The full two seconds whatever the user does: Esc, Enter, the close command and clicks on the
// picture change nothing.
TEST_F(DialogsTest, SplashWaitsTwoSecondsWhateverTheUserDoes) {
  bool centred = false, picture = false;
  const auto t0 = std::chrono::steady_clock::now();
  CSplashDlg dlg;
  const INT_PTR result = RunWithUser(dlg, [&](HWND h) {
    RECT r, work;
    GetWindowRect(h, &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    centred = abs((r.left + r.right) - (work.left + work.right)) <= 2 &&
              abs((r.top + r.bottom) - (work.top + work.bottom)) <= 2;
    Sleep(300);
    picture = ShowsPicture(h, IDB_SPLASH);
    SaveWindowShot(h, L"splash_screenshot.bmp");
    PostKey(h, VK_ESCAPE);
    PostKey(h, VK_RETURN);
    PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    ClickAt(Center(h));
    Sleep(200);
    ClickAt(Center(h));
  });
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(result, 1);
  EXPECT_GE(ms, 2000);
  EXPECT_TRUE(centred);
  EXPECT_TRUE(picture);
}

TEST_F(DialogsTest, AboutClosesWithOkEscAndTheCloseBox) {
  struct Way {
    const char* name;
    std::function<void(HWND)> act;
    INT_PTR expected;
  } ways[] = {
      {"OK button", [](HWND h) { PostMessageW(GetDlgItem(h, IDOK), BM_CLICK, 0, 0); }, IDOK},
      {"Enter", [](HWND h) { PostKey(h, VK_RETURN); }, IDOK},
      {"Esc", [](HWND h) { PostKey(h, VK_ESCAPE); }, IDCANCEL},
      {"close box", [](HWND h) { PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
  };
  for (const Way& way : ways) {
    std::wstring caption, maker, ok, title, notice;
    CAboutDlg dlg;
    const INT_PTR result = RunWithUser(dlg, [&](HWND h) {
      caption = Text(h);
      maker = Text(GetDlgItem(h, IDC_ABOUT_MAKER));
      ok = Text(GetDlgItem(h, IDOK));
      title = Text(GetDlgItem(h, IDC_ABOUT_TITLE));
      notice = Text(GetDlgItem(h, IDC_ABOUT_NOTICE));
      way.act(h);
    });
    EXPECT_EQ(result, way.expected) << way.name;
    // The French bundle's texts of section "About"; the name block is not localized.
    EXPECT_EQ(caption, L"À propos de QV");
    EXPECT_EQ(maker, L"Un produit Brantel");
    EXPECT_EQ(ok, L"OK");
    EXPECT_EQ(title, L"Brantel's QV Dictionary\nVersion 3.0\nEnglish–French Edition");
    EXPECT_EQ(notice.find(L"WordNet 3.0 Copyright 2006 by Princeton University. All rights "
                          L"reserved.\r\n\r\nTHIS SOFTWARE AND DATABASE IS PROVIDED \"AS IS\""),
              0u);
    EXPECT_NE(notice.find(L"MERCHANTABILITY"), std::wstring::npos);
  }
}

// A bundle without the About section's entries leaves those texts empty.
TEST_F(DialogsTest, AboutWithoutBundleShowsEmptyTexts) {
  SetInstall(L"Z:\\nonexistent-qv\\", L"fr");
  std::wstring caption = L"?", maker = L"?";
  CAboutDlg dlg;
  RunWithUser(dlg, [&](HWND h) {
    caption = Text(h);
    maker = Text(GetDlgItem(h, IDC_ABOUT_MAKER));
    PostKey(h, VK_ESCAPE);
  });
  EXPECT_EQ(caption, L"");
  EXPECT_EQ(maker, L"");
}

TEST_F(DialogsTest, PronunciationGuideIgnoresEnterAndEsc) {
  bool openAfterKeys = false;
  std::wstring caption;
  CPronounceHelp dlg;
  const INT_PTR result = RunWithUser(dlg, [&](HWND h) {
    caption = Text(h);
    PostKey(h, VK_ESCAPE);
    PostKey(h, VK_RETURN);
    PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
    Sleep(400);
    openAfterKeys = IsWindow(h) && IsWindowVisible(h);
    PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_TRUE(openAfterKeys);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(caption, L"QV Pronounciation Guide");
}

// The pictures as the program carries them: 24-bit bitmaps of their drawn sizes.
TEST(DialogBitmaps, SplashAndGuide) {
  const BitmapShape splash = ResourceBitmap(210), guide = ResourceBitmap(222);
  EXPECT_EQ(splash.width, 375);
  EXPECT_EQ(splash.height, 270);
  EXPECT_EQ(splash.bits, 24);
  EXPECT_EQ(guide.width, 360);
  EXPECT_EQ(guide.height, 411);
  EXPECT_EQ(guide.bits, 24);
}

// About shows the tray's icon, the guide its picture; their screenshots are kept beside the test.
TEST_F(DialogsTest, AboutAndGuideShowTheirPictures) {
  bool icon = false, picture = false;
  CAboutDlg about;
  RunWithUser(about, [&](HWND h) {
    Sleep(300);
    HWND control = FindWindowExW(h, nullptr, L"Static", nullptr);
    while (control && !SendMessageW(control, STM_GETICON, 0, 0))
      control = FindWindowExW(h, control, L"Static", nullptr);
    icon = control && ShowsIcon(control, IDI_QV_TRAY);
    SaveWindowShot(h, L"about_screenshot.bmp");
    PostKey(h, VK_ESCAPE);
  });
  CPronounceHelp guide;
  RunWithUser(guide, [&](HWND h) {
    Sleep(300);
    picture = ShowsPicture(h, IDB_PRONOUNCE);
    SaveWindowShot(h, L"pronounce_screenshot.bmp");
    PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_TRUE(icon);
  EXPECT_TRUE(picture);
}

TEST(TutorialAddress, Resolution) {
  using qv::ResolveAddress;
  SetInstall(L"C:\\Program Files\\QV\\", L"en");
  EXPECT_EQ(ResolveAddress(L"tutorial\\index.html"), L"C:\\Program Files\\QV\\tutorial\\index.html");
  EXPECT_EQ(ResolveAddress(L" \\tutorial\\index.html "),
            L"C:\\Program Files\\QV\\tutorial\\index.html");
  EXPECT_EQ(qv::TutorialAddress(), L"C:\\Program Files\\QV\\tutorial\\index.html");
  EXPECT_EQ(ResolveAddress(L"https://example.org/t.html"), L"https://example.org/t.html");
  // Nothing but web addresses and pages inside the installation folder.
  EXPECT_EQ(ResolveAddress(L"file:///C:/t.html"), L"");
  EXPECT_EQ(ResolveAddress(L"D:\\help\\t.html"), L"");
  EXPECT_EQ(ResolveAddress(L"\\\\server\\share\\t.html"), L"");
  EXPECT_EQ(ResolveAddress(L""), L"");
  EXPECT_EQ(ResolveAddress(L"  "), L"");
  // Target written without its final backslash.
  SetInstall(L"C:\\QV", L"en");
  EXPECT_EQ(ResolveAddress(L"tutorial\\index.html"), L"C:\\QV\\tutorial\\index.html");
  // Without Target a relative entry names nothing.
  qv::platform::ClearValueOverrides();
  qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"Target", L"");
  EXPECT_EQ(ResolveAddress(L"tutorial\\index.html"), L"");
  qv::platform::ClearValueOverrides();
}

// The shipped bundles name the installed page in their own language; the menu's page is the
// English one, which links to the French.
TEST(TutorialAddress, BundlesNameTheInstalledPage) {
  const std::wstring data = WinPath(QV_SOURCE_DIR "/data/");
  SetInstall(data, L"en");
  EXPECT_EQ(qv::FirstRunTutorialAddress(), data + L"tutorial\\index.html");
  EXPECT_EQ(qv::TutorialAddress(), data + L"tutorial\\index.html");
  SetInstall(data, L"fr");
  EXPECT_EQ(qv::FirstRunTutorialAddress(), data + L"tutorial\\index.fr.html");
  qv::platform::ClearValueOverrides();
}

// Lines the session's browser recorder has written, from `from` bytes on.
std::string RecordedSince(const std::string& path, std::streamoff from) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  f.seekg(from);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// The menu's page reaches the shell's "open", which Wine hands to its browser launcher: the test
// session points that at a recorder, so the address is checked and no browser starts.
TEST(TutorialAddress, OpenTutorialHandsTheInstalledPageToTheBrowser) {
  const char* wineDir = getenv("QV_WINE_DIR");
  ASSERT_NE(wineDir, nullptr);
  const std::string record = std::string(wineDir) + "/opened-addresses";
  std::ifstream before(record, std::ios::binary | std::ios::ate);
  const std::streamoff from = before ? static_cast<std::streamoff>(before.tellg()) : 0;
  before.close();

  SetInstall(WinPath(QV_TUTORIAL_ROOT "/"), L"en");
  qv::OpenTutorial();
  std::string got;
  for (int i = 0; i < 200 && got.empty(); ++i) {
    Sleep(50);
    got = RecordedSince(record, from);
  }
  qv::platform::ClearValueOverrides();
  EXPECT_NE(got.find(QV_TUTORIAL_ROOT "/tutorial/index.html"), std::string::npos) << got;
}

}  // namespace
