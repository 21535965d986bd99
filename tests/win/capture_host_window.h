// A window of standard controls with known text, hosted by the capture tests in their own
// process and by capture_host.exe in a second one.
#pragma once

#include <windows.h>

namespace qv::test {

enum HostControl : int {
  kEdit = 101,       // single-line EDIT
  kMultiEdit = 102,  // multi-line EDIT, scrolled so that its first visible line is kMultiTopLine
  kStatic = 103,
  kButton = 104,
  kCheckBox = 105,
  kListBox = 106,
  kRichEdit = 107,
  kListView = 108,   // report view, one column
  kTreeView = 109,   // a root with one child, expanded
  kComboBox = 110,   // drop-down list showing kComboText
  kAnsiRichEdit = 111,  // RichEdit20A, an ANSI window
  kNoFontStatic = 112,  // a label never given a font: it draws in the system font
};

inline constexpr wchar_t kEditText[] = L"Hello (world), dear reader.";
inline constexpr int kMultiTopLine = 20;
inline constexpr int kMultiLines = 40;
inline constexpr wchar_t kStaticText[] = L"Static label: quick «brown» fox";
inline constexpr wchar_t kButtonText[] = L"Press &Here now";  // shown as "Press Here now"
inline constexpr wchar_t kCheckText[] = L"Check this option";
inline constexpr const wchar_t* kListItems[] = {L"apple pie", L"banana split", L"cherry tart"};
inline constexpr wchar_t kRichText[] = L"Rich text (edit), here.";
inline constexpr const wchar_t* kListViewItems[] = {L"delta force", L"echo chamber"};
inline constexpr wchar_t kTreeRoot[] = L"foxtrot root";
inline constexpr wchar_t kTreeChild[] = L"golf club";
inline constexpr wchar_t kComboText[] = L"hotel lobby";
inline constexpr char kAnsiRichText[] = "Ansi rich (text) here";
inline constexpr wchar_t kNoFontText[] = L"India juliet kilo lima";

// Line i of the multi-line EDIT (0-based), without its line break.
const wchar_t* MultiLine(int i);

// Creates the host window titled `title` at (x, y), shows it and returns it. The controls use
// the system's message font, as most programs' dialogs do.
HWND CreateHostWindow(const wchar_t* title, int x, int y);

// A window of class kBigEditClass whose one child, kBigEdit, is a multi-line EDIT control of
// kBigEditChars characters in lines of kBigEditLine, scrolled to its middle.
inline constexpr wchar_t kBigEditClass[] = L"QvCaptureBigEdit";
inline constexpr int kBigEdit = 120;
inline constexpr size_t kBigEditChars = 16u << 20;
inline constexpr wchar_t kBigEditLine[] = L"lorem ipsum dolor sit amet, consectetur adipiscing elit\r\n";
HWND CreateBigEditWindow(const wchar_t* title);
inline constexpr DWORD kSlowEditMs = 60;

}  // namespace qv::test
