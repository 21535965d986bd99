#include "core/addresses.h"

namespace qv {
namespace {

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

bool StartsWithNoCase(std::wstring_view s, std::wstring_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Lower(s[i]) != prefix[i]) return false;
  return true;
}

bool EndsWithNoCase(std::wstring_view s, std::wstring_view suffix) {
  return s.size() >= suffix.size() && StartsWithNoCase(s.substr(s.size() - suffix.size()), suffix);
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A web address: the scheme, then a host; no blanks or control characters anywhere.
bool IsWebAddress(std::wstring_view s) {
  std::wstring_view rest;
  if (StartsWithNoCase(s, L"https://")) rest = s.substr(8);
  else if (StartsWithNoCase(s, L"http://")) rest = s.substr(7);
  else return false;
  if (rest.empty() || IsSeparator(rest.front())) return false;
  for (wchar_t c : s)
    if (c <= L' ' || c == 0x7F) return false;
  return true;
}

// A relative path that names a page inside the folder it is joined to.
bool IsPageInside(std::wstring_view s) {
  if (!EndsWithNoCase(s, L".html") && !EndsWithNoCase(s, L".htm")) return false;
  for (wchar_t c : s)
    if (c < L' ' || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' ||
        c == L'|')
      return false;  // a drive, a scheme, a stream name or a wildcard
  // Every part must be a name: the system drops trailing dots and blanks, so a part made only of
  // them ("..", ". .") could climb out of the folder.
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = start;
    while (end < s.size() && !IsSeparator(s[end])) ++end;
    const std::wstring_view part = s.substr(start, end - start);
    if (part.find_first_not_of(L". ") == std::wstring_view::npos) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::wstring SafeAddress(std::wstring_view entry, std::wstring_view installDir) {
  while (!entry.empty() && (entry.front() == L' ' || entry.front() == L'\t')) entry.remove_prefix(1);
  while (!entry.empty() && (entry.back() == L' ' || entry.back() == L'\t')) entry.remove_suffix(1);
  if (IsWebAddress(entry)) return std::wstring(entry);
  // One leading separator is taken as the folder's root; two would name a network share.
  if (entry.size() >= 2 && IsSeparator(entry[0]) && IsSeparator(entry[1])) return {};
  if (!entry.empty() && IsSeparator(entry.front())) entry.remove_prefix(1);
  if (installDir.empty() || !IsPageInside(entry)) return {};
  std::wstring address(installDir);
  if (!IsSeparator(address.back())) address += L'\\';
  return address + std::wstring(entry);
}

}  // namespace qv
