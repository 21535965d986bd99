// Fuzzer for the dictionary store's scanners: the block scan (FindKeyInText) and the key/value
// reader over text-mode streams (FindKeyInFile), each against the data cache's index over the
// same bytes, which must answer alike. The first byte picks the scanner and the encoding, the
// second the length of the word; the rest is the word and the text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "core/dictionary/data_cache.h"
#include "core/dictionary/key_line.h"
#include "core/dictionary/dict_store.h"
#include "platform/codepage.h"
#include "platform/resources_builtin.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "dictstore_fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int mode = data[0] % 3;
  const std::size_t wordLen = std::min<std::size_t>(data[1] % 16, size - 2);
  std::string word(reinterpret_cast<const char*>(data) + 2, wordLen);
  std::string text(reinterpret_cast<const char*>(data) + 2 + wordLen, size - 2 - wordLen);
  std::wstring wideWord = qv::platform::AnsiToWide(word);

  if (mode == 0) {
    std::wstring block = qv::platform::AnsiToWide(text);
    std::wstring found = qv::FindKeyInText(block, wideWord);
    // What is found is the rest of a line that begins with the word and its "=".
    if (!found.empty()) {
      if (block.find(wideWord + L"=" + found) == std::wstring::npos) Fail("result not in block");
      std::size_t nl = found.find(L'\n');
      if (nl != std::wstring::npos && nl + 1 != found.size()) Fail("result spans lines");
    }
    const qv::platform::BuiltinBlock blocks[] = {{L"DICT", L"#1", text.data(), text.size()}};
    qv::platform::SetBuiltinBlocks(blocks, 1);
    qv::CDataCache cache;
    // The first look-up scans, the second goes through the index.
    for (int i = 0; i < 2; ++i)
      if (cache.FindInBlock(L"#1", wideWord) != found) Fail("the block index answers otherwise");
    qv::platform::SetBuiltinBlocks(nullptr, 0);
    return 0;
  }

  // A stream over a copy of the text, read as the program reads its files.
  std::FILE* stream = fmemopen(text.empty() ? nullptr : text.data(), text.size(), "rb");
  if (!stream) return 0;
  auto encoding = mode == 1 ? qv::platform::TextEncoding::Latin1 : qv::platform::TextEncoding::Utf8;
  std::wstring value = qv::FindKeyInFile(qv::platform::TextFile::Adopt(stream, encoding), wideWord);
  if (value.find(L'=') != std::wstring::npos || value.find(L'\n') != std::wstring::npos)
    Fail("value holds a separator");
  if (!value.empty() && wideWord.empty()) Fail("empty key matched");

  // The same bytes in a file, kept by the data cache.
  static const struct TempFile {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("dictstore_fuzz_" + std::to_string(getpid()))).string();
    ~TempFile() { std::remove(path.c_str()); }  // the file goes at exit
  } file;
  const std::string& path = file.path;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  qv::CDataCache cache;
  for (int i = 0; i < 2; ++i)
    if (cache.FindKey(path, encoding, wideWord) != value) Fail("the file index answers otherwise");
  return 0;
}
