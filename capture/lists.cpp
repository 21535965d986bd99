// List boxes, the face of combo boxes, list views and tree views: the item under the point, its
// text and its label's box, then the text laid out in the control's font.
#include "capture/control.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace qv::capture {
namespace {

// Room lent for an item record and, after it, for the item's text.
constexpr size_t kTextOff = 256, kChars = 1024;

// The three questions a list view answers about its item under the point.
class ListViewItem {
 public:
  static constexpr long kSource = WCS_LISTVIEW;
  ListViewItem(const Target& t, SharedBlock& block) : m_t(t), m_block(block) {}

  bool HitTest(POINT pt) {
    m_hit.pt = pt;
    LRESULT r;
    return m_block.Exchange(m_t, LVM_SUBITEMHITTEST, 0, m_hit, r) && r >= 0 &&
           ((m_hit.flags & LVHT_ONITEMLABEL) || m_hit.iSubItem != 0);
  }
  // How many characters the control wrote at kTextOff, at most; 0 when none.
  size_t Text() {
    LVITEMW it{};
    it.iSubItem = m_hit.iSubItem;
    it.pszText = static_cast<LPWSTR>(m_block.at(kTextOff));
    it.cchTextMax = kChars;
    LRESULT got;
    if (!m_block.Exchange(m_t, LVM_GETITEMTEXTW, m_hit.iItem, it, got) || got <= 0) return 0;
    return static_cast<size_t>(got);
  }
  bool Label(Layout& lay) {
    RECT rc{LVIR_LABEL, m_hit.iSubItem, 0, 0};
    LRESULT r;
    if (!m_block.Exchange(m_t, LVM_GETSUBITEMRECT, m_hit.iItem, rc, r) || !r) return false;
    lay.box = rc;
    lay.leftPad = m_hit.iSubItem ? 6 : 2;
    return true;
  }

 private:
  const Target& m_t;
  SharedBlock& m_block;
  LVHITTESTINFO m_hit{};
};

class TreeViewItem {
 public:
  static constexpr long kSource = WCS_TREEVIEW;
  TreeViewItem(const Target& t, SharedBlock& block) : m_t(t), m_block(block) {}

  bool HitTest(POINT pt) {
    TVHITTESTINFO hit{};
    hit.pt = pt;
    LRESULT r;
    if (!m_block.Exchange(m_t, TVM_HITTEST, 0, hit, r) || !r || !(hit.flags & TVHT_ONITEMLABEL))
      return false;
    m_item = hit.hItem;
    return true;
  }
  size_t Text() {
    TVITEMW it{};
    it.mask = TVIF_TEXT | TVIF_HANDLE;
    it.hItem = m_item;
    it.pszText = static_cast<LPWSTR>(m_block.at(kTextOff));
    it.cchTextMax = kChars;
    LRESULT r;
    return m_block.Exchange(m_t, TVM_GETITEMW, 0, it, r) && r ? kChars : 0;
  }
  bool Label(Layout& lay) {
    RECT rc{};  // goes with the item's handle in its first bytes, comes back with the box
    memcpy(&rc, &m_item, sizeof m_item);
    LRESULT r;
    if (!m_block.Exchange(m_t, TVM_GETITEMRECT, TRUE, rc, r) || !r) return false;
    lay.box = rc;
    lay.leftPad = 2;
    return true;
  }

 private:
  const Target& m_t;
  SharedBlock& m_block;
  HTREEITEM m_item = nullptr;
};

// List views and tree views answer through records lent in their process; nothing when that
// cannot be done (a 32-bit program, or access refused), so that UI Automation is asked instead.
template <typename Item>
std::optional<CaptureOutcome> FromItemLabel(const Target& t, POINT pt, const CaptureRequest& req) {
  SharedBlock block(t, kTextOff + kChars * sizeof(wchar_t));
  if (!block) return std::nullopt;
  Item item(t, block);
  if (!item.HitTest(pt)) return CaptureOutcome{};
  const size_t chars = item.Text();
  if (chars == 0) return CaptureOutcome{};
  std::wstring text(std::min(chars, kChars - 1), L'\0');
  if (!block.Read(kTextOff, text.data(), text.size() * sizeof(wchar_t))) return CaptureOutcome{};
  text.resize(wcsnlen(text.c_str(), text.size()));
  Layout lay;
  if (!item.Label(lay)) return CaptureOutcome{};
  lay.vcenter = true;
  platform::UniqueFont font = t.Font();
  return FromLaidOutText(text, font.get(), lay, pt, Item::kSource, req);
}

}  // namespace

CaptureOutcome FromListBox(const Target& t, POINT pt, const CaptureRequest& req) {
  const LONG style = t.Style();
  if ((style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS)) return {};
  LRESULT r;
  if (!t.Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y), r) || HIWORD(r)) return {};
  const WPARAM item = LOWORD(r);
  LRESULT len = t.SendOr(LB_GETTEXTLEN, item, 0, LB_ERR);
  if (len == LB_ERR || len <= 0) return {};
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  LRESULT got = t.SendOr(LB_GETTEXT, item, reinterpret_cast<LPARAM>(text.data()), LB_ERR);
  if (got == LB_ERR || got <= 0) return {};
  text.resize(std::min<size_t>(static_cast<size_t>(got), static_cast<size_t>(len)));
  Layout lay;
  if (t.SendOr(LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&lay.box), LB_ERR) == LB_ERR) return {};
  lay.leftPad = 2;
  platform::UniqueFont font = t.Font();
  return FromLaidOutText(text, font.get(), lay, pt, WCS_LISTBOX, req);
}

// The face of a drop-down list combo box (the editable kinds have an EDIT child, found first).
CaptureOutcome FromComboBox(const Target& t, POINT pt, const CaptureRequest& req) {
  Layout lay;
  GetClientRect(t.hwnd(), &lay.box);
  lay.box.right -= GetSystemMetrics(SM_CXVSCROLL);
  lay.leftPad = 3;
  lay.vcenter = true;
  platform::UniqueFont font = t.Font();
  return FromLaidOutText(t.Text(), font.get(), lay, pt, WCS_CONTROL, req);
}

std::optional<CaptureOutcome> FromListView(const Target& t, POINT pt, const CaptureRequest& req) {
  return FromItemLabel<ListViewItem>(t, pt, req);
}

std::optional<CaptureOutcome> FromTreeView(const Target& t, POINT pt, const CaptureRequest& req) {
  return FromItemLabel<TreeViewItem>(t, pt, req);
}

}  // namespace qv::capture
