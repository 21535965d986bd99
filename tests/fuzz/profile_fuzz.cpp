// Fuzzer for the profile reader: arbitrary files, sections, keys and defaults. Input: the first
// byte picks how the file is stored (as is, or its bytes widened to UTF-16 LE or BE behind the
// byte-order mark, or behind the UTF-8 mark) and, with the second, the buffer size; then
// section, key and default separated by NUL bytes, and the rest is the file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/codepage.h"
#include "platform/profile_parse.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::string Field(std::string_view& in) {
  std::size_t nul = in.find('\0');
  std::string f(in.substr(0, nul));
  in.remove_prefix(nul == std::string_view::npos ? in.size() : nul + 1);
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using qv::fuzz::Fail;
  if (size < 2) return 0;
  const int storage = data[0] & 3;
  const std::size_t cch = ((data[0] >> 2) << 8 | data[1]) % 600;  // 0 .. 599, past the 255 used
  std::string_view in(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::wstring section = qv::platform::AnsiToWide(Field(in));
  std::wstring key = qv::platform::AnsiToWide(Field(in));
  std::wstring def = qv::platform::AnsiToWide(Field(in));
  std::string file;
  switch (storage) {
    case 0: file = in; break;
    case 1: file = "\xEF\xBB\xBF" + std::string(in); break;
    default:
      file = storage == 2 ? "\xFF\xFE" : "\xFE\xFF";
      for (char c : in) {
        file += storage == 2 ? c : '\0';
        file += storage == 2 ? '\0' : c;
      }
  }

  std::wstring value = qv::platform::ProfileStringFromBytes(file, section, key, def, cch);
  if (cch == 0 ? !value.empty() : value.size() > cch - 1) Fail("profile_fuzz", "value longer than the buffer");
  // A missing file gives the default, cut and unquoted as a found value is.
  std::wstring missing = qv::platform::ProfileStringFromBytes(std::nullopt, section, key, def, cch);
  if (missing.size() > def.size()) Fail("profile_fuzz", "default grew");
  if (qv::platform::ProfileStringFromBytes(std::string(), section, key, def, cch) != missing)
    Fail("profile_fuzz", "an empty file reads unlike a missing one");
  return 0;
}
