// The dictionary store on small files and blocks of its own: the block scan's first-occurrence
// rule, the key/value reader, text-mode line ends, and bad input of every kind.
#include <gtest/gtest.h>

#include <chrono>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/dictionary/data_cache.h"
#include "core/dictionary/key_line.h"
#include "core/dictionary/dict_store.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#include "platform/resources_builtin.h"
#ifndef _WIN32
#include "platform/registry_stub.h"
#endif

namespace qv {
namespace {

namespace fs = std::filesystem;
using enum DictSource;
using platform::Hive;
using platform::RegKey;
using platform::TextEncoding;
using platform::TextFile;

// --- FindKeyInText --------------------------------------------------------------------------

// "é" is a single Windows-1252 byte in the blocks; decoded it is U+00E9.
const std::wstring kBlock229 =
    L"d-day=jour J\r\ndear=cher (yc fin)\r\near=oreille, \u00e9pi\r\nearl=comte\r\n"
    L"earn=gagner\r\nexcise office=bureau des contributions indirectes";

TEST(FindKeyInText, FirstLineThatBeginsWithTheWordDecides) {
  // "ear" inside "dear" comes first but is not at a line start.
  EXPECT_EQ(FindKeyInText(kBlock229, L"ear"), L"oreille, \u00e9pi\r\n");
  EXPECT_EQ(FindKeyInText(kBlock229, L"d-day"), L"jour J\r\n");  // the block's first line
  // The last line has no line break, and none is added.
  EXPECT_EQ(FindKeyInText(kBlock229, L"excise office"),
            L"bureau des contributions indirectes");
  // A proper prefix of the first key: the first line decides, the scan ends.
  EXPECT_EQ(FindKeyInText(kBlock229, L"d-d"), L"");
  EXPECT_EQ(FindKeyInText(kBlock229, L"de"), L"");
  // "ea" first begins the line "ear=": its own line would not be looked for even if it existed.
  EXPECT_EQ(FindKeyInText(kBlock229 + L"\r\nea=eau", L"ea"), L"");
  EXPECT_EQ(FindKeyInText(kBlock229, L"earth"), L"");
  EXPECT_EQ(FindKeyInText(kBlock229, L"oreille"), L"");  // French text is never a key
  EXPECT_EQ(FindKeyInText(kBlock229, L""), L"");
  EXPECT_EQ(FindKeyInText(L"", L"ear"), L"");
}

TEST(FindKeyInText, KeysWithMarksAndRunTogetherLines) {
  const std::wstring block =
      L"pe=\r\npea=pois\r\nquad*=cour carr\u00e9e\r\nquarterly=trimestrielquarters=quartiers (mil)"
      L"\r\nquay=quai, ,d\u00e9barcad\u00e8re";
  EXPECT_EQ(FindKeyInText(block, L"quad"), L"");  // its line's key includes the asterisk
  EXPECT_EQ(FindKeyInText(block, L"quad*"), L"cour carr\u00e9e\r\n");
  // The whole rest of the line after the first "=", other entries and "=" included.
  EXPECT_EQ(FindKeyInText(block, L"quarterly"), L"trimestrielquarters=quartiers (mil)\r\n");
  EXPECT_EQ(FindKeyInText(block, L"quay"), L"quai, ,d\u00e9barcad\u00e8re");
  // An empty translation: the key's line holds nothing after its "=".
  EXPECT_EQ(FindKeyInText(block, L"pe"), L"\r\n");
  // The first line that begins with "pe" is "pea=pois": its own line, later, is never reached ...
  EXPECT_EQ(FindKeyInText(L"o'clock=heure\r\npea=pois\r\npe=x", L"pe"), L"");
  // ... except at the very start of the block, where an occurrence not followed by "=" is passed.
  EXPECT_EQ(FindKeyInText(L"pea=pois\r\npe=x", L"pe"), L"x");
  EXPECT_EQ(FindKeyInText(L"peak=pic\r\npea=pois", L"pea"), L"pois");
}

TEST(FindKeyInText, OddWordsNeverReachPastTheText) {
  const std::wstring block = L"a=un\r\nab=x\nb=lf only";
  EXPECT_EQ(FindKeyInText(block, L"b"), L"lf only");  // LF alone also starts a line
  EXPECT_EQ(FindKeyInText(block, L"ab"), L"x\n");
  // A word holding a line feed matches across the break; there is no text between the "="
  // and a line feed before it.
  EXPECT_EQ(FindKeyInText(block, L"x\nb"), L"");
  EXPECT_EQ(FindKeyInText(L"=start\r\na=un", L"="), L"");
  EXPECT_EQ(FindKeyInText(L"a=", L"a"), L"");
  EXPECT_EQ(FindKeyInText(L"a==b", L"a"), L"=b");
  // Any control character counts as a line start, as the scan defines it.
  EXPECT_EQ(FindKeyInText(L"x=1\ty=2", L"y"), L"2");
  EXPECT_EQ(FindKeyInText(std::wstring(L"x=1\0y=2", 7), L"y"), L"2");
}

// --- FindKeyInFile and text-mode reading ------------------------------------------------------

class TempDir {
 public:
  TempDir() {
    static int n = 0;
    m_path = fs::temp_directory_path() /
             ("qv-dictstore-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
              "-" + std::to_string(++n));
    fs::remove_all(m_path);
    fs::create_directories(m_path / "dict");
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  const fs::path& path() const { return m_path; }
  // Writes bytes as they are: no line-end translation.
  std::string Write(const std::string& name, const std::string& bytes) const {
    fs::path p = m_path / "dict" / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  // The home as WNHome holds it: with a trailing separator.
  std::string Home() const {
#ifdef _WIN32
    return m_path.string() + "\\";
#else
    return m_path.string() + "/";
#endif
  }

 private:
  fs::path m_path;
};

class FindKeyInFileTest : public ::testing::Test {
 protected:
  std::wstring Find(const std::string& bytes, std::wstring_view key,
                    TextEncoding enc = TextEncoding::Latin1) {
    return FindKeyInFile(TextFile::Open(m_dir.Write("f.txt", bytes), enc), key);
  }
  TempDir m_dir;
};

TEST_F(FindKeyInFileTest, KeyValueLines) {
  const std::string file = "earl=comte\r\near==oreille=ignored\r\nempty=\r\nrun=courir\nrun=second";
  EXPECT_EQ(Find(file, L"ear"), L"oreille");   // a run of "=" is one separator
  EXPECT_EQ(Find(file, L"earl"), L"comte");
  EXPECT_EQ(Find(file, L"empty"), L"");        // nothing after the key's "="
  EXPECT_EQ(Find(file, L"run"), L"courir");    // the first matching line wins; LF alone ends it
  EXPECT_EQ(Find(file, L"ea"), L"");           // a longer key never matches
  EXPECT_EQ(Find(file, L"comte"), L"");
  EXPECT_EQ(Find(file, L""), L"");
  EXPECT_EQ(Find("", L"ear"), L"");
  EXPECT_EQ(Find("ear", L"ear"), L"");  // no "=" at all
  // Keys are compared exactly: callers lower-case the word.
  EXPECT_EQ(Find("Ear=x\r\n", L"ear"), L"");
  // Every byte is the character with the same code.
  EXPECT_EQ(Find("f\xe9te=feast\xe9\r\n", L"f\u00e9te"), L"feast\u00e9");
}

TEST_F(FindKeyInFileTest, TextModeLineEnds) {
  // CR LF and LF end a line; a lone CR is an ordinary character; Ctrl-Z ends the file.
  EXPECT_EQ(Find("a=1\r\nb=2\nc=3\r\n", L"b"), L"2");
  EXPECT_EQ(Find("a=1\r\nb=2\nc=3\r\n", L"c"), L"3");
  EXPECT_EQ(Find("a=1\rb=2\r\n", L"a"), L"1\rb");
  EXPECT_EQ(Find("a=1\rb=2\r\n", L"b"), L"");
  EXPECT_EQ(Find("a=1\r\r\n", L"a"), L"1\r");
  EXPECT_EQ(Find("a=1\r", L"a"), L"1\r");
  EXPECT_EQ(Find("a=1\x1a\r\nb=2\r\n", L"a"), L"1");
  EXPECT_EQ(Find("a=1\x1a\r\nb=2\r\n", L"b"), L"");
  // A CR LF split across the reader's chunks (the first read is 4 KB) is still one line end.
  EXPECT_EQ(Find("k=" + std::string(4 * 1024 - 3, 'x') + "\r\nb=2", L"b"), L"2");
  EXPECT_EQ(Find("k=" + std::string(4 * 1024 - 3, 'x') + "\r\nb=2", L"k"),
            std::wstring(4 * 1024 - 3, L'x'));
  EXPECT_EQ(Find("k=" + std::string(4 * 1024 - 3, 'x') + "\r", L"k"),
            std::wstring(4 * 1024 - 3, L'x') + L"\r");
}

TEST_F(FindKeyInFileTest, Utf8Files) {
  auto utf8 = [&](const std::string& bytes, std::wstring_view key) {
    return Find(bytes, key, TextEncoding::Utf8);
  };
  EXPECT_EQ(utf8("ear=\xcb\x88\xc9\xaa\xc9\x99r\r\n", L"ear"), L"\u02c8\u026a\u0259r");
  // A byte-order mark is honoured; without one the first key would not match.
  EXPECT_EQ(utf8("\xef\xbb\xbf" "ear=x\r\n", L"ear"), L"x");
  EXPECT_EQ(Find("\xef\xbb\xbf" "ear=x\r\n", L"ear"), L"");  // an 8-bit file keeps the bytes
  // Invalid sequences become U+FFFD and spoil nothing but their own line.
  EXPECT_EQ(utf8("a=\xff\xc3\r\nb=ok\r\n", L"a"), L"\ufffd\ufffd");
  EXPECT_EQ(utf8("\xc3(=x\r\nb=ok\r\n", L"b"), L"ok");

  // A UTF-16LE mark turns the file to UTF-16LE, line ends and Ctrl-Z still read in text mode;
  // here a surrogate pair straddles the reader's first chunk of 4 KB.
  auto utf16 = [](const std::u16string& text) {
    std::string bytes = "\xff\xfe";
    for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
  };
  const std::u16string x(2044, u'x');
  const std::string file = utf16(u"k=" + x + u"\U0001F600\r\near=\u02c8\u026a\u0259r\r\n"
                                 u"lone=\xDC00!\r\nz=\x1A\r\nafter=1\r\n");
  std::wstring smiley = platform::Utf8ToWide("\xF0\x9F\x98\x80");
  EXPECT_EQ(utf8(file, L"ear"), L"\u02c8\u026a\u0259r");
  EXPECT_EQ(utf8(file, L"k"), std::wstring(x.begin(), x.end()) + smiley);
  EXPECT_EQ(utf8(file, L"lone"), L"\ufffd!");
  EXPECT_EQ(utf8(file, L"after"), L"");
  EXPECT_EQ(utf8(file + "\x00", L"ear"), L"\u02c8\u026a\u0259r");  // a last odd byte
}

TEST_F(FindKeyInFileTest, LongLinesAndNulls) {
  // A 2 MB line is read in pieces of 499,999 characters, each piece a line of its own.
  std::string line(kLineBufferChars - 1, 'x');
  EXPECT_EQ(Find(line + "ear=piece\r\nb=2\r\n", L"ear"), L"piece");
  EXPECT_EQ(Find(line + "ear=piece\r\nb=2\r\n", L"b"), L"2");
  EXPECT_EQ(Find(std::string(2'000'000, 'a') + "\r\nb=2", L"b"), L"2");
  EXPECT_EQ(Find("a" + std::string(2'000'000, '='), L"a"), L"");
  // The pieces are read as they are delivered: a long line is never held whole.
  for (TextEncoding enc : {TextEncoding::Latin1, TextEncoding::Utf8}) {
    std::FILE* f = std::fopen(m_dir.Write("long", "a=" + std::string(8'000'000, '\xe9')).c_str(), "rb");
    ASSERT_NE(f, nullptr);
    TextFile file = TextFile::Adopt(f, enc);
    std::wstring piece;
    ASSERT_TRUE(file.ReadLine(piece, 1000));
    EXPECT_EQ(piece, L"a=" + std::wstring(998, enc == TextEncoding::Utf8 ? L'\ufffd' : L'\u00e9'));
    EXPECT_LT(std::ftell(f), 200'000);
  }
  // A null ends a line's text.
  EXPECT_EQ(Find(std::string("a=1\0junk\r\nb=2\r\n", 15), L"a"), L"1");
  EXPECT_EQ(Find(std::string("\0a=1\r\na=2\r\n", 11), L"a"), L"2");
  // A closed stream finds nothing.
  EXPECT_EQ(FindKeyInFile(TextFile(), L"a"), L"");
  EXPECT_EQ(FindKeyInFile(TextFile::Open(m_dir.Write("none", "").append("-missing"),
                                         TextEncoding::Latin1), L"a"), L"");
}

// --- Lookup ---------------------------------------------------------------------------------

constexpr char kFixture229[] = "dear=cher (yc fin)\r\near=oreille, \xe9pi\r\nearn=gagner";
constexpr char kFixture233[] = "vacancy=vacance\r\nzulu=zoulou";
constexpr char kFixture225[] = "and so forth=et ainsi de suite\r\n4-star petrol=super";
const platform::BuiltinBlock kFixtureBlocks[] = {
    {L"DICT", L"#229", kFixture229, sizeof kFixture229 - 1},
    {L"DICT", L"#233", kFixture233, sizeof kFixture233 - 1},
    {L"DICT", L"#225", kFixture225, sizeof kFixture225 - 1},
};

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    platform::stub::ResetRegistry();
#endif
    platform::SetBuiltinBlocks(kFixtureBlocks, std::size(kFixtureBlocks));
    SharedDataCache().SetCheckInterval(std::chrono::milliseconds(0));  // files change mid-test
    SetHome(m_dir.Home());
    m_dir.Write("qvdict.catalog",
                "d=#229\r\ne=#229\r\nv=#233\r\nz=#233\r\nx=#999\r\ny=nothing\r\nother=#225\r\n"
                "qv_language=FR\r\n");
    m_dir.Write("qv.vrb", "earn=gagner, toucher\r\nrun=courir\r\n");
    m_dir.Write("qv.nn", "ear=oreille (f)\r\n");
    m_dir.Write("qv.dj", "dear=cher\r\n");
    m_dir.Write("qv.dv", "dearly=ch\xe8rement\r\n");
    m_dir.Write("qvprn.catalog", "e=prn-e.txt\r\nother=prn-other.txt\r\n");
    m_dir.Write("prn-e.txt", "\xef\xbb\xbf" "ear=\xcb\x88\xc9\xaa\xc9\x99r\r\n");
    m_dir.Write("prn-other.txt", "run=\xcb\x88r\xca\x8cn\r\nzulu=\xcb\x88zu\xcb\x90lu\xcb\x90\r\n");
  }
  void TearDown() override {
    SharedDataCache().SetCheckInterval(CDataCache::kCheckInterval);
    platform::SetBuiltinBlocks(nullptr, 0);
    RegKey::DeleteTree(Hive::LocalMachine, L"Software\\Brantel");
  }
  static void SetHome(const std::string& home) {
    RegKey key = RegKey::Create(Hive::LocalMachine, kLexiconKeyPath);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key.WriteAnsi("WNHome", home));
  }
  static std::wstring Look(DictSource src, std::wstring word) {
    return CDictStore(src).Lookup(std::move(word));
  }
  TempDir m_dir;
};

TEST_F(LookupTest, EverySourceLowerCasesTheWord) {
  EXPECT_EQ(Look(Translation, L"Ear"), L"FR : oreille, \u00e9pi\r\n");
  EXPECT_EQ(Look(Translation, L"ZULU"), L"FR : zoulou");  // last line of its block
  EXPECT_EQ(Look(Translation, L"4-star petrol"), L"FR : super");  // no letter line: "other"
  EXPECT_EQ(Look(Verb, L"EARN"), L"gagner, toucher");
  EXPECT_EQ(Look(Noun, L"Ear"), L"oreille (f)");
  EXPECT_EQ(Look(Adj, L"dear"), L"cher");
  EXPECT_EQ(Look(Adv, L"Dearly"), L"ch\u00e8rement");
  EXPECT_EQ(Look(Pronounce, L"Ear"), L"\u02c8\u026a\u0259r");   // file with a byte-order mark
  EXPECT_EQ(Look(Pronounce, L"run"), L"\u02c8r\u028cn");        // through "other"
  EXPECT_EQ(Look(Pronounce, L"zulu"), L"\u02c8zu\u02d0lu\u02d0");
  for (DictSource src : {Verb, Noun, Adj, Adv, Pronounce, Translation}) {
    EXPECT_EQ(Look(src, L""), L"") << static_cast<int>(src);
    EXPECT_EQ(Look(src, L"unknown"), L"") << static_cast<int>(src);
  }
  // Upper-case accented letters are lowered too.
  m_dir.Write("qv.nn", "\xe9t\xe9=summer\r\n");
  EXPECT_EQ(Look(Noun, L"\u00c9T\u00c9"), L"summer");
}

TEST_F(LookupTest, CatalogFallbacksAndLabels) {
  EXPECT_EQ(Look(Translation, L"dear"), L"FR : cher (yc fin)\r\n");
  EXPECT_EQ(Look(Translation, L"xylophone"), L"");  // "#999" names no block
  EXPECT_EQ(Look(Translation, L"yes"), L"");        // nor does "nothing"
  EXPECT_EQ(Look(Translation, L"ea"), L"");         // no label before an empty translation

  // Without "qv_language" the translation comes alone.
  m_dir.Write("qvdict.catalog", "e=#229\r\nother=#225\r\n");
  EXPECT_EQ(Look(Translation, L"ear"), L"oreille, \u00e9pi\r\n");
  // Without the letter's line and without "other" there is no block.
  m_dir.Write("qvdict.catalog", "z=#233\r\nqv_language=FR\r\n");
  EXPECT_EQ(Look(Translation, L"ear"), L"");
  // Without the letter's line, "other" decides, even when it names the wrong block.
  m_dir.Write("qvdict.catalog", "other=#229\r\nqv_language=EN-FR\r\n");
  EXPECT_EQ(Look(Translation, L"ear"), L"EN-FR : oreille, \u00e9pi\r\n");
  EXPECT_EQ(Look(Translation, L"zulu"), L"");

  m_dir.Write("qvprn.catalog", "e=missing.txt\r\nother=prn-e.txt\r\n");
  EXPECT_EQ(Look(Pronounce, L"ear"), L"");  // the letter's file, though missing, decides
  m_dir.Write("qvprn.catalog", "e=\r\nother=prn-e.txt\r\n");
  EXPECT_EQ(Look(Pronounce, L"ear"), L"\u02c8\u026a\u0259r");  // an empty name falls back
  m_dir.Write("qvprn.catalog", "r=prn-other.txt\r\n");
  EXPECT_EQ(Look(Pronounce, L"ear"), L"");
}

TEST_F(LookupTest, BadHomesAndFilesGiveNothing) {
  auto all = [&](const std::wstring& word) {
    std::wstring out;
    for (DictSource src : {Verb, Noun, Adj, Adv, Pronounce, Translation}) out += Look(src, word);
    return out;
  };
  ASSERT_NE(all(L"ear"), L"");

  // Missing files, empty files, garbage.
  for (const char* name : {"qv.nn", "qvprn.catalog", "qvdict.catalog"}) fs::remove(m_dir.path() / "dict" / name);
  EXPECT_EQ(Look(Noun, L"ear"), L"");
  EXPECT_EQ(Look(Pronounce, L"ear"), L"");
  EXPECT_EQ(Look(Translation, L"ear"), L"");
  m_dir.Write("qv.vrb", "");
  EXPECT_EQ(Look(Verb, L"earn"), L"");
  std::string garbage;
  for (unsigned i = 0; i < 300000; ++i) garbage.push_back(static_cast<char>((i * 7919u) % 251));
  for (const char* name : {"qv.vrb", "qvdict.catalog", "qvprn.catalog", "prn-e.txt"})
    m_dir.Write(name, garbage);
  EXPECT_EQ(all(L"ear"), L"");

  // A home with no separator at its end names files beside the folder, not in it.
  SetHome(m_dir.path().string());
  EXPECT_EQ(all(L"ear"), L"");
  // No WNHome at all, or one longer than its 256-byte buffer.
  RegKey::DeleteTree(Hive::LocalMachine, kLexiconKeyPath);
  EXPECT_EQ(all(L"ear"), L"");
  SetHome(m_dir.Home() + std::string(300, 'x') + "\\");
  EXPECT_EQ(all(L"ear"), L"");
}

// WNHome is read as 8-bit text in the system code page; the folder's name on disk is the file
// system's own (UTF-8 on Linux).
TEST_F(LookupTest, HomeWithALetterBeyondAscii) {
  fs::path home = m_dir.path() / fs::path(u8"h\u00f4me");
  fs::create_directories(home / "dict");
  std::ofstream(home / "dict" / "qv.nn", std::ios::binary) << "ear=ok\r\n";
  std::ofstream(home / "dict" / "qvprn.catalog", std::ios::binary) << "other=ipa.txt\r\n";
  std::ofstream(home / "dict" / "ipa.txt", std::ios::binary) << "ear=\xc9\xaa\r\n";
  std::wstring wide = platform::Utf8ToWide(m_dir.Home()) + L"h\u00f4me";
  wide += wide.find(L'\\') != std::wstring::npos ? L"\\" : L"/";
  RegKey key = RegKey::Create(Hive::LocalMachine, kLexiconKeyPath);
  ASSERT_TRUE(key.WriteWide(L"WNHome", wide));
  EXPECT_EQ(Look(Noun, L"ear"), L"ok");
  EXPECT_EQ(Look(Pronounce, L"ear"), L"\u026a");
}

TEST_F(LookupTest, PathsLongerThanTheBufferAreNotOpened) {
  // 255 bytes of home and file name is the limit; one more and the file is not opened, even
  // though it exists.
  std::string home = m_dir.Home();
  std::string name = "qv.nn";
  std::size_t pad = kMaxPathBytes - home.size() - (std::string("dict\\") + name).size();
  ASSERT_LT(pad, 250u);  // one folder name holds it
  fs::path sub = m_dir.path() / std::string(pad - 1, 'p');
  fs::create_directories(sub / "dict");
  std::ofstream(sub / "dict" / name, std::ios::binary) << "ear=ok\r\n";
  SetHome((sub.string() + (home.back() == '\\' ? "\\" : "/")));
  EXPECT_EQ(Look(Noun, L"ear"), L"ok");

  fs::path longer = m_dir.path() / std::string(pad, 'p');
  fs::create_directories(longer / "dict");
  std::ofstream(longer / "dict" / name, std::ios::binary) << "ear=ok\r\n";
  SetHome((longer.string() + (home.back() == '\\' ? "\\" : "/")));
  EXPECT_EQ(Look(Noun, L"ear"), L"");
}

// A kept file is compared with the disk once its check interval has passed, not before.
TEST(DataCache, AChangedFileIsSeenAfterItsCheckInterval) {
  TempDir dir;
  CDataCache::Clock::time_point now{};
  CDataCache cache([&] { return now; });
  const std::string path = dir.Write("qv.nn", "ear=oreille\r\nrun=course\r\n");
  EXPECT_EQ(cache.FindKey(path, TextEncoding::Latin1, L"ear"), L"oreille");
  dir.Write("qv.nn", "ear=\xe9pi\r\n");
  now += CDataCache::kCheckInterval - std::chrono::milliseconds(1);
  EXPECT_EQ(cache.FindKey(path, TextEncoding::Latin1, L"run"), L"course");
  now += std::chrono::milliseconds(1);
  EXPECT_EQ(cache.FindKey(path, TextEncoding::Latin1, L"ear"), L"\u00e9pi");
  EXPECT_EQ(cache.FindKey(path, TextEncoding::Latin1, L"run"), L"");
  EXPECT_EQ(cache.Generation(), 1u);
}

}  // namespace
}  // namespace qv
