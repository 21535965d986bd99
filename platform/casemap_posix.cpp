#include <locale.h>
#include <wctype.h>

#include "platform/casemap.h"

namespace qv::platform {

void LowerInPlace(std::wstring& text) {
  // The C library's Unicode tables, independent of the process locale.
  static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  for (wchar_t& c : text) {
    if (c < 0x80)
      c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    else if (loc)
      c = static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), loc));
  }
}

}  // namespace qv::platform
