// The key/value reader against a plain line-by-line reading of the same bytes: random small
// files full of the bytes text mode and UTF-8 decoding treat specially, random keys, both
// encodings, and lines longer than the reader's piece size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>
#include <string>

#include "core/dictionary/dict_store.h"
#include "core/dictionary/key_line.h"
#include "platform/utf8.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using platform::TextEncoding;
using platform::TextFile;

constexpr std::size_t kPiece = kLineBufferChars - 1;

std::wstring Decode(const std::string& bytes, TextEncoding enc) {
  std::wstring out;
  if (enc == TextEncoding::Utf8) {
    platform::DecodeUtf8(bytes, out);
  } else {
    for (unsigned char c : bytes) out.push_back(static_cast<wchar_t>(c));
  }
  return out;
}

// The file as text mode reads it, cut into lines and pieces of lines, each read as a C string
// up to its line feed.
std::wstring Reference(std::string bytes, const std::wstring& key, TextEncoding enc) {
  if (key.empty() || key.find(L'\0') != std::wstring::npos) return {};
  if (enc == TextEncoding::Utf8 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  bytes = bytes.substr(0, bytes.find('\x1A'));
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
  for (std::size_t start = 0; start < text.size();) {
    std::size_t stop = std::min(text.find('\n', start), text.size() - 1) + 1;
    std::wstring line = Decode(text.substr(start, stop - start), enc);
    start = stop;
    for (std::size_t p = 0; p < line.size(); p += kPiece) {
      std::wstring piece = line.substr(p, kPiece);
      piece = piece.substr(0, piece.find_first_of(std::wstring(L"\n\0", 2)));
      if (piece.compare(0, key.size() + 1, key + L'=') != 0) continue;
      std::size_t v = piece.find_first_not_of(L'=', key.size());
      return v == std::wstring::npos ? L"" : piece.substr(v, piece.find(L'=', v) - v);
    }
  }
  return {};
}

class FileScan : public ::testing::Test {
 protected:
  FileScan() {
    m_path = fs::temp_directory_path() /
             ("qv-scan-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
              "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  ~FileScan() override {
    std::error_code ec;
    fs::remove(m_path, ec);
  }
  void Write(const std::string& bytes) { std::ofstream(m_path, std::ios::binary) << bytes; }
  std::wstring Find(const std::wstring& key, TextEncoding enc) {
    return FindKeyInFile(TextFile::Open(m_path.string(), enc), key);
  }
  fs::path m_path;
};

TEST_F(FileScan, AgreesWithLineByLineReadingOnRandomFiles) {
  std::mt19937 rng(20261207);
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
  // Weighted toward letters and "=", so that keys and values form often.
  const std::string bytes[] = {"a", "a", "a", "b", "b", "b", "ab", "=", "=", "\n", "\r\n", "\r", "\x1A",
                               std::string(1, '\0'), "\xC3", "\xA9", "\xC3\xA9", "\xFF"};
  const std::wstring keyChars[] = {L"a", L"b", L"\u00e9", L"\u00ff", L"=", L"\r",
                                   L"\n", L"\ufffd", L"\u0100", L"\u00c3"};
  int found = 0, cases = 0;
  for (int file = 0; file < 3000; ++file) {
    std::string content = pick(4) == 0 ? "\xEF\xBB\xBF" : "";
    // Now and then a file long enough to be read in several chunks.
    bool chunked = file % 100 == 0;
    for (std::size_t n = chunked ? 20000 + pick(60000) : pick(60); n > 0; --n) {
      const std::string& b = bytes[pick(std::size(bytes))];
      // Rarer, so that most files go on past it; none in the long files, which it would cut.
      if (b == "\x1A" && (chunked || pick(8) != 0)) continue;
      content += b;
    }
    Write(content);
    for (TextEncoding enc : {TextEncoding::Latin1, TextEncoding::Utf8}) {
      std::vector<std::wstring> keys(3);
      for (std::wstring& key : keys)
        for (std::size_t n = pick(4); n > 0; --n) key += keyChars[pick(std::size(keyChars))];
      // Keys cut from the file's own text, from a line start, find something more often.
      std::wstring text = Decode(content, enc);
      for (int k = 0; k < 3; ++k) {
        std::size_t at = pick(text.size() + 1);
        at = at == 0 ? 0 : text.find(L'\n', at - 1) + 1;
        std::size_t eq = text.find(L'=', at);
        std::size_t len = eq > at && eq - at <= 4 && pick(4) != 0 ? eq - at : 1 + pick(3);
        keys.push_back(text.substr(at, len));
      }
      for (const std::wstring& key : keys) {
        std::wstring expected = Reference(content, key, enc);
        ASSERT_EQ(Find(key, enc), expected) << "file #" << file << " key size " << key.size();
        found += !expected.empty();
        ++cases;
      }
    }
  }
  // The comparison is worth something only when many keys are found.
  EXPECT_GT(found, cases / 20);
}

TEST_F(FileScan, LinesLongerThanThePieceSize) {
  // A piece boundary inside a long line starts a line of its own.
  std::string content = std::string(kPiece, 'x') + "ab=long\r\nab=second\n";
  // In UTF-8, 999,998 bytes that are 499,999 characters; in ISO 8859-1, two whole pieces.
  for (std::size_t i = 0; i < kPiece; ++i) content += "\xC3\xA9";
  content += "k=v\ncd=last";
  Write(content);
  for (TextEncoding enc : {TextEncoding::Latin1, TextEncoding::Utf8}) {
    for (const wchar_t* key : {L"ab", L"k", L"cd", L"x", L"\u00e9"})
      EXPECT_EQ(Find(key, enc), Reference(content, key, enc)) << static_cast<int>(enc) << " " << key;
  }
  EXPECT_EQ(Find(L"ab", TextEncoding::Latin1), L"long");
  EXPECT_EQ(Find(L"k", TextEncoding::Utf8), L"v");
  EXPECT_EQ(Find(L"cd", TextEncoding::Utf8), L"last");
}

}  // namespace
}  // namespace qv
