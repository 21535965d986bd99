// LocalizeMenu on a real menu with nested submenus, against a bundle read by the system.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "core/settings.h"
#include "platform/registry.h"
#include "app/localize.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

std::wstring Text(HMENU h, UINT pos) {
  wchar_t buf[256] = {};
  GetMenuStringW(h, pos, buf, 256, MF_BYPOSITION);
  return buf;
}

TEST(LocalizeMenu, TranslatesEveryLevelAndKeepsIdsSubmenusAndState) {
  fs::path dir = fs::temp_directory_path() / "qv_localize_menu_test";
  fs::create_directories(dir);
  std::wstring bundle =
      L"\xFEFF[Main]\r\nE&xit=&Quitter\r\nHelp=Aide\r\nPronounciation =Prononciation\r\n"
      L"Pronounciation Guide=Guide de prononciation\r\nDisable=Désactiver\r\nAbout=À propos\r\n";
  std::ofstream(dir / "qv_rb.fr", std::ios::binary)
      .write(reinterpret_cast<const char*>(bundle.data()), bundle.size() * sizeof(wchar_t));
  platform::SetValueOverride(platform::Hive::LocalMachine, kMainKeyPath, L"Target",
                             dir.wstring() + L"\\");
  platform::SetValueOverride(platform::Hive::LocalMachine, kMainKeyPath, L"QVLang", L"fr");

  HMENU deep = CreatePopupMenu();
  AppendMenuW(deep, MF_STRING, 32801, L"About");
  HMENU help = CreatePopupMenu();
  AppendMenuW(help, MF_STRING, 32794, L"Pronounciation Guide");
  AppendMenuW(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(help, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(deep), L"Pronounciation ");
  AppendMenuW(help, MF_STRING, 32795, L"Web Tutorial");  // not in the bundle
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_STRING, 57665, L"E&xit");
  AppendMenuW(bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Help");
  AppendMenuW(bar, MF_STRING | MF_GRAYED | MF_CHECKED, 57664, L"Disable");

  LocalizeMenu(bar);

  EXPECT_EQ(Text(bar, 0), L"&Quitter");
  EXPECT_EQ(GetMenuItemID(bar, 0), 57665u);
  EXPECT_EQ(Text(bar, 1), L"Aide");
  EXPECT_EQ(GetSubMenu(bar, 1), help);
  EXPECT_EQ(Text(bar, 2), L"Désactiver");
  EXPECT_EQ(GetMenuItemID(bar, 2), 57664u);
  EXPECT_EQ(GetMenuState(bar, 2, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED), UINT(MF_GRAYED | MF_CHECKED));

  ASSERT_EQ(GetMenuItemCount(help), 4);
  EXPECT_EQ(Text(help, 0), L"Guide de prononciation");
  EXPECT_EQ(GetMenuItemID(help, 0), 32794u);
  EXPECT_TRUE(GetMenuState(help, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(Text(help, 2), L"Prononciation");
  EXPECT_EQ(GetSubMenu(help, 2), deep);
  EXPECT_EQ(Text(help, 3), L"");  // a text the bundle lacks becomes empty
  EXPECT_EQ(GetMenuItemID(help, 3), 32795u);
  EXPECT_EQ(Text(deep, 0), L"À propos");
  EXPECT_EQ(GetMenuItemID(deep, 0), 32801u);

  DestroyMenu(bar);
  platform::ClearValueOverrides();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qv
