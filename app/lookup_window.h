// The look-up window: an edit box where the user types a word, the dictionary's words that
// begin with it (or the history while the box is empty, with "Clear history" and "Export..."),
// and the entry of the chosen word, composed exactly as the popup composes it. Unlike the popup
// it is an ordinary window that takes the focus; it remembers its size and place per user and
// closes with Esc. The history is the main dialog's: the window shows it, records its own
// look-ups in it and follows the popup's.
#pragma once

#include <windows.h>

#include <filesystem>
#include <future>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/history/history.h"
#include "core/lookup/lookup.h"
#include "core/history/flash_cards.h"
#include "core/lookup/lookup_command.h"
#include "core/history/word_list.h"
#include "app/ui/message_loop.h"
#include "app/ui/window.h"

namespace qv {

// %APPDATA%\QV\history.tsv: the user's history of look-ups.
std::filesystem::path UserHistoryPath();

class CLookupWindow : public ui::CWindowImpl<CLookupWindow>, public ui::CMessageFilter {
 public:
  static constexpr const wchar_t* kClassName = L"QvLookUpWindow";
  enum Control : int { kWord = 100, kList = 101, kResult = 102, kClear = 103, kExport = 104 };
  static constexpr UINT_PTR kWordListTimer = 19;

  // `lookup` composes the entries; it is the main dialog's, so the window shows what the popup
  // shows. `history` is loaded by its owner before the window's first use.
  CLookupWindow(CLookup& lookup, CHistory& history) : m_lookup(lookup), m_history(history) {}
  ~CLookupWindow() override;

  // Shows the window (creating it when needed) in front with the focus in its edit box, and
  // looks the word up when it is not empty.
  void Open(const std::wstring& word);
  // WM_COPYDATA sent to the main dialog; true when it was a valid look-up request.
  bool OnCopyData(const COPYDATASTRUCT* data);
  // A look-up recorded elsewhere (the popup's): the list follows when it shows the history.
  void HistoryChanged();
  // The history switch: switches the history and keeps the choice for the user.
  void SetHistoryEnabled(bool enabled);
  // The user's kept choice (on when none was made).
  static bool HistoryEnabled();

  BOOL PreTranslateMessage(MSG* pMsg) override;
  std::span<const ui::MsgEntry<CLookupWindow>> MessageTable();

  // For the program's tests and figures: the words the list shows.
  const std::vector<std::wstring>& ListedWords() const { return m_listed; }

  // What a second start does with "/lookup WORD": hands the word to the running instance's
  // main dialog (found by its title), once: a receiver that does not answer in time may still
  // have taken it.

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM);
  LRESULT OnSize(UINT, WPARAM, LPARAM);
  LRESULT OnDpiChanged(UINT, WPARAM, LPARAM);
  LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM);
  LRESULT OnClose(UINT, WPARAM, LPARAM);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM);
  LRESULT OnWordChanged(UINT, WPARAM, LPARAM);
  LRESULT OnListChosen(UINT, WPARAM, LPARAM);
  LRESULT OnClear(UINT, WPARAM, LPARAM);
  LRESULT OnExport(UINT, WPARAM, LPARAM);
  LRESULT OnWordListReady(UINT, WPARAM, LPARAM);
  LRESULT OnTimer(UINT, WPARAM, LPARAM);
  LRESULT OnCtlColorStatic(UINT, WPARAM, LPARAM);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM);

  void StartLoadingWords();
  void FillList();
  void Lookup(const std::wstring& word, bool record);
  void LookupChosen();
  void MoveSelection(int delta);
  void Layout();
  void ApplyFonts();
  void RestorePlacement();
  void SavePlacement();
  int Scale(int logical) const { return MulDiv(logical, static_cast<int>(m_dpi), 96); }
  HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }

  CLookup& m_lookup;
  CHistory& m_history;
  std::optional<CWordList> m_words;
  std::future<CWordList> m_loading;
  std::vector<std::wstring> m_listed;
  bool m_showingHistory = true;
  UINT m_dpi = 96;
  HFONT m_font = nullptr;
};

}  // namespace qv
