// The translation popup under Wine's virtual desktop: one window per popup, the stem 10 pixels
// below the pointer, topmost and never active, the link's notification, the close button, the
// layout of tabs, line feeds, "&" and long bodies, and what the screen shows of it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "tests/win/screen_shot.h"
#include "app/tooltip.h"

using qv::CTooltip;

// Allocations left before operator new fails; negative: no limit. (The compiler takes the
// replaced operators for a mismatched pair.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static int g_allocationsLeft = -1;

void* operator new(std::size_t n) {
  if (g_allocationsLeft == 0) throw std::bad_alloc();
  if (g_allocationsLeft > 0) --g_allocationsLeft;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr wchar_t kBody[] =
    L"[run]\nFR: courir, faire marcher\r\n\n[run]\n"
    L"-verb\t\t\t\tcourir, diriger\n"
    L"1. run -- (move fast by using one's feet; \"Don't run--you'll be out of breath\")\n"
    L"2. scat, run, scarper, turn tail -- (flee; take to one's heels; cut and run)\n"
    L"\n-noun\t\t\t\tcourse & parcours\n"
    L"1. run, tally -- (a score in baseball made by a runner touching all four bases safely)\n"
    L"* See Help Page for Pronounciation examples and references"
    L"\n\t\t\t\t\t\t\t\t<A>Disable QV</A>";

struct Owner {
  HWND wnd = nullptr;
  HWND edit = nullptr;
  std::vector<NMHDR> notes;
  CTooltip* tip = nullptr;
  bool destroyOnLink = false;

  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (msg == WM_NOTIFY && self) {
      const NMHDR* nm = reinterpret_cast<const NMHDR*>(lp);
      self->notes.push_back(*nm);
      // As the main dialog's handler does: the link switches look-ups off and closes the popup.
      if (nm->code == TTN_LINKCLICK && self->destroyOnLink && self->tip) self->tip->Destroy();
      return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
  }
};

void Pump(int ms) {
  const DWORD end = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

// A left click at a screen point; the events carry the point themselves, so that a pointer
// position still on its way from the X server cannot move the click.
void Click(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  Pump(30);
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[3]{};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = MulDiv(screen.x, 65535, w - 1);
    i.mi.dy = MulDiv(screen.y, 65535, h - 1);
    i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  }
  in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
  Pump(150);
}

int PopupWindowsOfThisThread() {
  int n = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) {
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        if (wcscmp(cls, CTooltip::kClassName) == 0) ++*reinterpret_cast<int*>(lp);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&n));
  return n;
}

POINT Center(HWND h, RECT client) {
  POINT p{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
  ClientToScreen(h, &p);
  return p;
}

class TooltipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Owner::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"QvTooltipTestOwner";
    RegisterClassW(&wc);
    owner.wnd = CreateWindowExW(0, wc.lpszClassName, L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                520, 420, 400, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, owner.wnd);
    SetWindowLongPtrW(owner.wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&owner));
    owner.edit = CreateWindowExW(0, L"EDIT", L"typing here", WS_CHILD | WS_VISIBLE | WS_BORDER,
                                 10, 10, 200, 24, owner.wnd, nullptr, wc.hInstance, nullptr);
    owner.tip = &tip;
    SetForegroundWindow(owner.wnd);
    SetFocus(owner.edit);
    Pump(100);
  }
  void TearDown() override {
    tip.Destroy();
    DestroyWindow(owner.wnd);
    Pump(20);
  }
  void ShowAt(int x, int y, const wchar_t* body = kBody, const wchar_t* title = L"run  r\x028Cn *") {
    SetCursorPos(x, y);
    ASSERT_TRUE(tip.Create(owner.wnd, title));
    tip.SetMaxWidth(500);
    tip.SetText(body);
    tip.ShowAtCursor();
    Pump(60);
  }
  void ExpectOwnerKeepsFocus() {
    EXPECT_EQ(owner.wnd, GetForegroundWindow());
    EXPECT_EQ(owner.wnd, GetActiveWindow());
    EXPECT_EQ(owner.edit, GetFocus());
  }

  Owner owner;
  CTooltip tip;
};

TEST_F(TooltipTest, OneWindowPerPopupAndHarmlessDestroy) {
  tip.Destroy();  // before any Create
  EXPECT_EQ(nullptr, tip.hwnd());
  ASSERT_TRUE(tip.Create(owner.wnd, L"first"));
  HWND first = tip.hwnd();
  ASSERT_TRUE(tip.Create(owner.wnd, L"second"));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(1, PopupWindowsOfThisThread());
  tip.Destroy();
  tip.Destroy();
  EXPECT_EQ(nullptr, tip.hwnd());
  EXPECT_EQ(0, PopupWindowsOfThisThread());
  // Calls without a window do nothing.
  tip.SetMaxWidth(500);
  tip.SetText(L"x");
  tip.ShowAtCursor();
  EXPECT_EQ(0, PopupWindowsOfThisThread());
}

// The popup is driven from the owner's window procedure: memory running out at any point of a
// change throws nothing out of it, and the next look-up shows the popup whole again.
TEST_F(TooltipTest, OutOfMemoryThrowsNothing) {
  ShowAt(300, 200);
  for (int left : {0, 1, 2, 4, 8, 16, 32, 64}) {
    bool threw = false;
    g_allocationsLeft = left;
    try {
      tip.SetText(kBody);
      tip.ShowAtCursor();
      tip.SetMaxWidth(400);
      tip.Create(owner.wnd, L"run  r\x028Cn *");
    } catch (...) {
      threw = true;
    }
    g_allocationsLeft = -1;
    EXPECT_FALSE(threw) << left;
    Pump(10);
  }
  ShowAt(300, 200);
  EXPECT_TRUE(IsWindowVisible(tip.hwnd()));
  EXPECT_EQ(1, PopupWindowsOfThisThread());
  EXPECT_FALSE(tip.Pieces().empty());
}

TEST_F(TooltipTest, StemPointsTenPixelsBelowThePointerTopmostWithoutFocus) {
  ShowAt(300, 200);
  const POINT tipPt = tip.Anchor();
  EXPECT_EQ(300, tipPt.x);
  EXPECT_EQ(210, tipPt.y);
  RECT wr;
  GetWindowRect(tip, &wr);
  EXPECT_EQ(210, wr.top);  // balloon below, stem up
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(tip, rgn));
  EXPECT_TRUE(PtInRegion(rgn, tipPt.x - wr.left, tipPt.y - wr.top + 1));     // the stem's tip
  EXPECT_FALSE(PtInRegion(rgn, tipPt.x - wr.left + 20, tipPt.y - wr.top + 1));  // beside it: outside
  DeleteObject(rgn);
  EXPECT_TRUE(IsWindowVisible(tip));
  EXPECT_TRUE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(static_cast<ULONG_PTR>(CS_DROPSHADOW | CS_SAVEBITS),
            GetClassLongPtrW(tip, GCL_STYLE) & (CS_DROPSHADOW | CS_SAVEBITS));  // its shadow
  ExpectOwnerKeepsFocus();

  // A click on the balloon's body neither activates it nor notifies anyone.
  RECT title{};
  GetClientRect(tip, &title);
  POINT body{12, title.bottom - 12};
  ClientToScreen(tip, &body);
  Click(body);
  EXPECT_TRUE(IsWindowVisible(tip));
  EXPECT_TRUE(owner.notes.empty());
  ExpectOwnerKeepsFocus();
}

TEST_F(TooltipTest, StaysInsideTheWorkAreaNearItsEdges) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT work = mi.rcWork;
  ShowAt(work.right - 5, work.bottom - 5);
  RECT wr;
  GetWindowRect(tip, &wr);
  EXPECT_GE(wr.left, work.left);
  EXPECT_LE(wr.right, work.right);
  EXPECT_LE(wr.bottom, work.bottom - 5 + 1);  // flipped above the pointer
  EXPECT_GE(wr.top, work.top);
  EXPECT_LT(tip.Anchor().x, wr.right);
}

TEST_F(TooltipTest, LinkNotifiesTheOwnerAndCloseButtonHides) {
  ShowAt(200, 150);
  RECT link = tip.LinkRect();
  ASSERT_FALSE(IsRectEmpty(&link));
  Click(Center(tip, link));
  ASSERT_EQ(1u, owner.notes.size());
  EXPECT_EQ(static_cast<UINT>(TTN_LINKCLICK), owner.notes[0].code);
  EXPECT_EQ(static_cast<UINT>(-523), owner.notes[0].code);
  EXPECT_EQ(tip.hwnd(), owner.notes[0].hwndFrom);
  EXPECT_TRUE(IsWindowVisible(tip));
  ExpectOwnerKeepsFocus();

  Click(Center(tip, tip.CloseRect()));
  EXPECT_TRUE(IsWindow(tip));
  EXPECT_FALSE(IsWindowVisible(tip));
  EXPECT_EQ(1u, owner.notes.size());
  ExpectOwnerKeepsFocus();

  // The owner may destroy the popup from its link handler.
  ShowAt(200, 150);
  owner.destroyOnLink = true;
  Click(Center(tip, tip.LinkRect()));
  EXPECT_EQ(2u, owner.notes.size());
  EXPECT_EQ(nullptr, tip.hwnd());
  EXPECT_EQ(0, PopupWindowsOfThisThread());
}

const CTooltip::Piece* Find(const CTooltip& t, const std::wstring& text) {
  for (const auto& p : t.Pieces())
    if (p.text == text) return &p;
  return nullptr;
}

TEST_F(TooltipTest, TabsLineFeedsAmpersandsAndTheLink) {
  ShowAt(100, 100, L"word\tone\nab\tbis\nlonger line\nTom & Jerry\n\t\t<A>Disable QV</A>", L"QV");
  const auto *one = Find(tip, L"one"), *bis = Find(tip, L"bis"), *word = Find(tip, L"word"),
             *longer = Find(tip, L"longer"), *amp = Find(tip, L"&"), *dis = Find(tip, L"Disable"),
             *qv = Find(tip, L"QV");
  ASSERT_TRUE(one && bis && word && longer && amp && dis && qv);
  EXPECT_EQ(one->rc.left, bis->rc.left);  // both at the first tab stop past their text
  EXPECT_GT(one->rc.left, word->rc.right);
  EXPECT_GT(longer->rc.top, word->rc.top);
  EXPECT_FALSE(amp->link);
  EXPECT_TRUE(dis->link);
  EXPECT_TRUE(qv->link);
  EXPECT_EQ(dis->rc.top, qv->rc.top);
  EXPECT_GT(dis->rc.left, word->rc.left + 2 * (one->rc.left - word->rc.left) - 2);  // two tabs in
  for (const auto& p : tip.Pieces()) EXPECT_EQ(std::wstring::npos, p.text.find(L'<')) << p.text.c_str();
}

TEST_F(TooltipTest, WrapsAtTheMaximumWidth) {
  std::wstring para;
  for (int i = 0; i < 120; ++i) para += L"word" + std::to_wstring(i) + L" ";
  ShowAt(50, 50, para.c_str());
  int maxRight = 0, minLeft = INT_MAX, top = INT_MAX, bottom = 0;
  for (const auto& p : tip.Pieces()) {
    maxRight = std::max<int>(maxRight, p.rc.right);
    minLeft = std::min<int>(minLeft, p.rc.left);
    top = std::min<int>(top, p.rc.top);
    bottom = std::max<int>(bottom, p.rc.bottom);
  }
  EXPECT_LE(maxRight - minLeft, 500);
  EXPECT_GT(maxRight - minLeft, 400);
  EXPECT_GT(bottom - top, 5 * (tip.Pieces()[0].rc.bottom - tip.Pieces()[0].rc.top));
  EXPECT_TRUE(Find(tip, L"word0") && Find(tip, L"word119"));  // no word lost or split
}

TEST_F(TooltipTest, ThreeThousandLinesAreCutKeepingTheLink) {
  std::wstring body;
  for (int i = 0; i < 3000; ++i) body += L"line " + std::to_wstring(i) + L"\tcol & more\n";
  body += L"\t\t\t\t\t\t\t\t<A>Disable QV</A>";
  ShowAt(400, 40, body.c_str());
  RECT wr, client;
  GetWindowRect(tip, &wr);
  GetClientRect(tip, &client);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(tip, MONITOR_DEFAULTTONEAREST), &mi);
  EXPECT_LE(wr.bottom - wr.top, mi.rcWork.bottom - mi.rcWork.top);
  EXPECT_GE(wr.top, mi.rcWork.top);
  EXPECT_LE(wr.bottom, mi.rcWork.bottom);
  EXPECT_TRUE(Find(tip, L"\x2026"));
  EXPECT_TRUE(Find(tip, L"&"));
  EXPECT_FALSE(Find(tip, L"2999"));
  RECT link = tip.LinkRect(), inside;
  ASSERT_FALSE(IsRectEmpty(&link));
  EXPECT_TRUE(IntersectRect(&inside, &link, &client) && EqualRect(&inside, &link));

  // One paragraph taller than the monitor: its beginning is shown, then the ellipsis and link.
  std::wstring para = L"first ";
  for (int i = 0; i < 6000; ++i) para += L"w" + std::to_wstring(i) + L" ";
  ShowAt(400, 40, (para + L"\n<A>Disable QV</A>").c_str());
  GetWindowRect(tip, &wr);
  EXPECT_LE(wr.bottom, mi.rcWork.bottom);
  EXPECT_TRUE(Find(tip, L"first"));
  EXPECT_TRUE(Find(tip, L"\x2026"));
  EXPECT_FALSE(Find(tip, L"w5999"));
  EXPECT_TRUE(Find(tip, L"Disable") && Find(tip, L"Disable")->link);
}

// The share of the popup's client area that the screen shows in `color` (each channel within
// 16), read back from the screen itself.
double ShareOnScreen(HWND popup, COLORREF color) {
  RECT rc;
  GetClientRect(popup, &rc);
  POINT origin{0, 0};
  ClientToScreen(popup, &origin);
  HDC screen = GetDC(nullptr);
  size_t same = 0, all = 0;
  for (int y = 0; y < rc.bottom; y += 2) {
    for (int x = 0; x < rc.right; x += 2, ++all) {
      const COLORREF c = GetPixel(screen, origin.x + x, origin.y + y);
      same += std::abs(GetRValue(c) - GetRValue(color)) <= 16 &&
              std::abs(GetGValue(c) - GetGValue(color)) <= 16 &&
              std::abs(GetBValue(c) - GetBValue(color)) <= 16;
    }
  }
  ReleaseDC(nullptr, screen);
  return all ? double(same) / double(all) : 0;
}

// A realistic popup, and one flipped above and to the left at the screen's corner: the screen
// shows each on its background with its text drawn, and both pictures are kept to be looked at.
TEST_F(TooltipTest, ShowsItsTextOnItsBackgroundOnTheScreen) {
  const RECT desktop{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  for (POINT at : {POINT{160, 120}, POINT{1000, 740}}) {
    ShowAt(at.x, at.y);
    Pump(200);
    const double background = ShareOnScreen(tip, GetSysColor(COLOR_INFOBK));
    const double text = ShareOnScreen(tip, GetSysColor(COLOR_INFOTEXT));
    EXPECT_GT(background, 0.5) << "at " << at.x << "," << at.y;
    EXPECT_GT(text, 0.005) << "at " << at.x << "," << at.y;
    EXPECT_FALSE(qv::test::SaveScreenRect(desktop, at.x < 500 ? L"tooltip_screenshot.bmp"
                                                             : L"tooltip_screenshot_corner.bmp")
                     .empty());
  }
}

// Icons 128 and 201 come with the program at 16 and 32 pixels, 32 bits with transparency.
TEST(ProgramIcons, BothSizesWithAlpha) {
  for (int id : {128, 201}) {
    for (int size : {16, 32}) {
      HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                 IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
      ASSERT_NE(nullptr, icon) << id << " at " << size;
      ICONINFO ii{};
      ASSERT_TRUE(GetIconInfo(icon, &ii));
      BITMAP bm{};
      GetObjectW(ii.hbmColor, sizeof bm, &bm);
      EXPECT_EQ(size, bm.bmWidth);
      EXPECT_EQ(32, bm.bmBitsPixel);
      std::vector<DWORD> px(static_cast<size_t>(size) * size);
      BITMAPINFO bi{};
      bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
      HDC dc = GetDC(nullptr);
      GetDIBits(dc, ii.hbmColor, 0, size, px.data(), &bi, DIB_RGB_COLORS);
      ReleaseDC(nullptr, dc);
      int clear = 0, opaque = 0;
      for (DWORD p : px) {
        if ((p >> 24) == 0) ++clear;
        if ((p >> 24) == 0xFF) ++opaque;
      }
      EXPECT_GT(clear, 0) << id << " at " << size;   // the corners around the book
      EXPECT_GT(opaque, size * size / 3) << id << " at " << size;
      DeleteObject(ii.hbmColor);
      DeleteObject(ii.hbmMask);
      DestroyIcon(icon);
    }
  }
}

}  // namespace
