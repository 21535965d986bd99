// The look-up window's portable side: the history file (round trip, damaged lines, the 500
// kept, switched off), the popup's look-ups recorded once per word under the pointer, what the
// window shows and exports of a composition, and the "/lookup" command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "core/history/history.h"
#include "core/history/flash_cards.h"
#include "core/history/popup_recorder.h"
#include "core/lookup/lookup.h"
#include "core/lookup/lookup_command.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class HistoryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("qv_history_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    file = dir / "QV" / "history.tsv";
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir, file;
};

TEST_F(HistoryFile, RoundTripMostRecentFirstWithoutRepeats) {
  CHistory h(file);
  h.Load();  // no file yet: empty, and the folder is made by the first write
  EXPECT_TRUE(h.Entries().empty());
  // A file of the user's that has the name a fixed temporary name would have.
  fs::create_directories(file.parent_path());
  { std::ofstream(file.string() + ".tmp", std::ios::binary) << "mine"; }
  ASSERT_TRUE(h.Record(L"Houses", L"house", L"maison, logement", 1796650000));
  ASSERT_TRUE(h.Record(L"went", L"go", L"", 1796650060));
  ASSERT_TRUE(h.Record(L"houses", L"house", L"maison, logement", 1796650120));
  ASSERT_TRUE(h.Flush());  // one write for the three
  EXPECT_EQ(ReadFile(file),
            "houses\thouse\tmaison, logement\t2\t2026-12-07T13:28:40Z\n"
            "went\tgo\t\t1\t2026-12-07T13:27:40Z\n");
  EXPECT_EQ(ReadFile(file.string() + ".tmp"), "mine");
  EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()),
            3);  // the history, its lock and the user's file: no temporary file left

  CHistory again(file);
  again.Load();
  ASSERT_EQ(again.Entries().size(), 2u);
  EXPECT_EQ(again.Entries()[0], (HistoryEntry{L"houses", L"house", L"maison, logement", 2, 1796650120}));
  // Every text reads back as it was: separators, escapes, a replacement character, a surrogate
  // without its partner, non-ASCII text.
  const std::wstring odd = L"a\tb\nc\r\\t\\U0000D800 \uFFFD \u00E9t\u00E9 " + std::wstring(1, L'\xDC00');
  // The word also begins with what would read as the file's byte-order mark, and comes first.
  ASSERT_TRUE(again.Record(L"\uFEFF\u00E9t\u00E9", odd, odd, 1796650200));
  ASSERT_TRUE(again.Flush());
  CHistory third(file);
  third.Load();
  EXPECT_EQ(third.Entries(), again.Entries());
  EXPECT_EQ(third.Entries()[0].french, odd);
  EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()),
            3);  // and nothing set aside as damaged
  ASSERT_TRUE(third.Clear());
  EXPECT_EQ(ReadFile(file), "");
}

TEST_F(HistoryFile, DamagedFileIsSetAsideOnce) {
  fs::create_directories(file.parent_path());
  const std::string original =
      "\xEF\xBB\xBFhouse\t\tmaison\t3\t2026-12-07T14:00:00Z\r\n"
      "cat\tcat\tchat\tmany\t2026-12-07T14:00:00Z\n"  // count not a number
      "dog\tdog\tchien\t1\t2026-02-30T14:00:00Z\n"    // no such day
      "too\tfew\tfields\n"
      "\xff\xfe\tx\ty\t1\t2026-12-07T14:00:00Z\n"     // not UTF-8
      "\tx\ty\t1\t2026-12-07T14:00:00Z\n"             // no word
      "HOUSE\t\tmaison\t1\t2026-12-07T13:00:00Z\n"    // a repeat of the first: dropped
      "ear\t\toreille\t1\t2026-12-07T12:00:00Z";
  { std::ofstream(file, std::ios::binary) << original; }
  auto setAside = [&] {
    std::vector<fs::path> found;
    for (const auto& f : fs::directory_iterator(file.parent_path()))
      if (f.path().filename().string().starts_with("history.damaged-")) found.push_back(f.path());
    return found;
  };
  for (int run = 0; run < 3; ++run) {  // three starts of the program
    CHistory h(file);
    h.Load();
    ASSERT_EQ(h.Entries().size(), 2u);
    EXPECT_EQ(h.Entries()[0].word, L"house");
    EXPECT_EQ(h.Entries()[0].count, 3u);
    EXPECT_EQ(h.Entries()[1].word, L"ear");
    // The damaged file itself, moved once under a name with its time; the history holds what
    // could be read.
    ASSERT_EQ(setAside().size(), 1u);
    EXPECT_EQ(ReadFile(setAside()[0]), original);
    EXPECT_EQ(ReadFile(file), CHistory::FormatLine(h.Entries()[0]) + CHistory::FormatLine(h.Entries()[1]));
  }
  fs::remove(setAside()[0]);

  // A file past the cap (here no history at all) is read only up to the cap, and set aside.
  const std::string big(CHistory::kMaxFileBytes * 3, '\x01');
  { std::ofstream(file, std::ios::binary) << big; }
  CHistory h(file);
  h.Load();
  EXPECT_TRUE(h.Entries().empty());
  ASSERT_EQ(setAside().size(), 1u);
  EXPECT_EQ(fs::file_size(setAside()[0]), big.size());
  EXPECT_EQ(ReadFile(file), "");
}

TEST_F(HistoryFile, UnreadableFileIsNeitherWrittenNorCleared) {
  // A history that exists but cannot be read (here a folder by its name, which no user can
  // stand in for a virus scanner holding the file).
  fs::create_directories(file);
  { std::ofstream(file / "inside", std::ios::binary) << "kept"; }
  std::vector<CHistory::Trouble> told;
  {
    CHistory h(file, [&](CHistory::Trouble t) { told.push_back(t); });
    h.Load();
    EXPECT_TRUE(h.Entries().empty());
    ASSERT_TRUE(h.Record(L"house", L"", L"", 1));  // shown, not written
    EXPECT_FALSE(h.Flush());
    EXPECT_FALSE(h.Clear());
    EXPECT_EQ(h.Entries().size(), 1u);
  }
  EXPECT_EQ(told, std::vector<CHistory::Trouble>{CHistory::Trouble::Unreadable});  // once
  EXPECT_EQ(ReadFile(file / "inside"), "kept");
}

TEST_F(HistoryFile, FailedClearKeepsTheWords) {
  CHistory h(file);
  h.Load();
  ASSERT_TRUE(h.Record(L"secret", L"", L"", 1));
  ASSERT_TRUE(h.Flush());
  // Another program holds the lock (here a folder by its name): neither a clear nor a save
  // can be done, and both say so.
  fs::path lock = file;
  lock += ".lock";
  fs::remove(lock);
  fs::create_directories(lock);
  int told = 0;
  CHistory blocked(file, [&](CHistory::Trouble t) { told += t == CHistory::Trouble::NotWritten; });
  blocked.Load();
  ASSERT_EQ(blocked.Entries().size(), 1u);
  EXPECT_FALSE(blocked.Clear());
  EXPECT_EQ(blocked.Entries().size(), 1u);  // the list shows what the file still holds
  ASSERT_TRUE(blocked.Record(L"other", L"", L"", 2));
  EXPECT_FALSE(blocked.Flush());
  EXPECT_EQ(told, 1);
  EXPECT_EQ(ReadFile(file), "secret\t\t\t1\t1970-01-01T00:00:01Z\n");
  // Once the lock can be had again the word waiting is written, and the clear goes through.
  fs::remove(lock);
  ASSERT_TRUE(blocked.Record(L"third", L"", L"", 3));
  ASSERT_TRUE(blocked.Flush());
  CHistory reread(file);
  reread.Load();
  EXPECT_EQ(reread.Entries().size(), 3u);
  ASSERT_TRUE(blocked.Clear());
  EXPECT_EQ(ReadFile(file), "");
}

TEST_F(HistoryFile, TwoInstancesKeepEachOthersWords) {
  CHistory a(file), b(file);
  a.Load();
  b.Load();
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(a.Record(L"a" + std::to_wstring(i), L"", L"", i));
    ASSERT_TRUE(b.Record(L"b" + std::to_wstring(i), L"", L"", i));
    ASSERT_TRUE(a.Record(L"both", L"", L"", i));
    ASSERT_TRUE(b.Record(L"both", L"", L"", i));
    if (i % 7 == 0) {
      ASSERT_TRUE(a.Flush());
    }
  }
  ASSERT_TRUE(a.Flush());
  ASSERT_TRUE(b.Flush());
  ASSERT_TRUE(b.Record(L"last", L"", L"", 30));
  ASSERT_TRUE(b.Flush());
  CHistory c(file);
  c.Load();
  EXPECT_EQ(c.Entries().size(), 42u);
  auto both = std::find_if(c.Entries().begin(), c.Entries().end(),
                           [](const HistoryEntry& e) { return e.word == L"both"; });
  ASSERT_NE(both, c.Entries().end());
  EXPECT_EQ(both->count, 40u);
  // The list of the instance that wrote last shows the other's words too.
  EXPECT_TRUE(b.Refresh());
  EXPECT_EQ(b.Entries(), c.Entries());
}

TEST_F(HistoryFile, KeepsTheLast500) {
  fs::create_directories(file.parent_path());
  {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < 505; ++i) out << "w" << i << "\t\t\t1\t2026-12-07T14:00:00Z\n";
  }
  CHistory h(file);
  h.Load();
  ASSERT_EQ(h.Entries().size(), CHistory::kMaxEntries);
  EXPECT_EQ(h.Entries().back().word, L"w499");
  ASSERT_TRUE(h.Record(L"new", L"", L"", 1));
  ASSERT_TRUE(h.Flush());
  CHistory again(file);
  again.Load();
  ASSERT_EQ(again.Entries().size(), 500u);
  EXPECT_EQ(again.Entries().front().word, L"new");
  EXPECT_EQ(again.Entries().back().word, L"w498");
}

TEST_F(HistoryFile, SwitchedOffRecordsNothing) {
  CHistory h(file);
  h.SetEnabled(false);
  EXPECT_FALSE(h.Record(L"house", L"", L"", 1));
  EXPECT_TRUE(h.Entries().empty());
  EXPECT_FALSE(fs::exists(file));
}

// The popup's path: capture, composition, popup; its results go to the history.
struct Fakes : ITextCapture, IMessageBox, IPopup, IDictionary, ICaptions, ILexicalAnalysis {
  std::wstring captured;
  int shown = 0;
  bool CreateRequest() override { return true; }
  Result Capture(std::uint32_t, std::wstring_view) override { return {captured, std::nullopt}; }
  void Show(const std::wstring&, const std::wstring&, Kind) override {}
  void Show(const std::wstring&, const std::wstring&) override { ++shown; }
  std::wstring Lookup(DictSource s, const std::wstring& w) override {
    if (s == DictSource::Translation && w == L"house") return L"FR : maison, logement\r\n";
    if (s == DictSource::Pronounce && w == L"house") return L"ha\u028as";
    return L"";
  }
  std::wstring GetText(std::wstring_view key) override {
    return key == kDisableKey ? L"Désactiver QV" : L"Voir l'aide";
  }
  std::optional<std::string> DescribeWord(std::string w) override {
    if (w != "houses" && w != "house") return "No Value Was Found For Word: " + w;
    return "-noun#NOUN#\n1. A dwelling that serves as living quarters for one or more families: "
           "\"He has a house on Cape Cod\". synonyms: [home]\n2. A building.\n";
  }
  std::optional<std::string> BaseForm(std::string w) override {
    return w == "houses" ? std::optional<std::string>("house") : std::nullopt;
  }
};

TEST_F(HistoryFile, AWordUnderThePointerCountsOnce) {
  Fakes f;
  CLookup lookup({f, f, f, f, f, f});
  CHistory h(file);
  h.Load();
  CPopupRecorder recorder(h);
  int recorded = 0, now = 0;
  for (const wchar_t* w : {L"houses,", L"houses,", L"", L"...", L"houses,", L"house", L"houses,"}) {
    f.captured = w;
    recorded += recorder.Record(lookup.LookupUnderCursor().value(), ++now);
  }
  EXPECT_EQ(f.shown, 7);  // every tick still reaches the popup
  EXPECT_EQ(recorded, 3);
  EXPECT_EQ(h.Entries(), (std::vector<HistoryEntry>{
                             {L"houses", L"house", L"maison, logement", 2, 7},
                             {L"house", L"", L"maison, logement", 1, 6}}));
}

TEST(LookupWindowText, EntrySenseAndExport) {
  Fakes f;
  CLookup lookup({f, f, f, f, f, f});
  LookupResult r = lookup.Compose(L"houses");
  const std::wstring text = r.EntryText();
  EXPECT_EQ(text.substr(0, text.find(L'\n')), r.Title());
  EXPECT_EQ(text.find(L"<A>"), std::wstring::npos);  // no disable link
  EXPECT_TRUE(text.ends_with(L"\n* Voir l'aide")) << ::testing::PrintToString(text);
  EXPECT_EQ(FirstSense(r.Body()), L"A dwelling that serves as living quarters for one or more families");
  HistoryEntry e{L"houses", L"house", L"maison, logement", 1, 0};
  EXPECT_EQ(FlashCardExport({e}, [&](const HistoryEntry&) { return FirstSense(r.Body()); }),
            "houses\tmaison, logement\tA dwelling that serves as living quarters for one or more "
            "families\r\n");
}

TEST(LookupCommand, WordsAcceptedFromOutside) {
  EXPECT_EQ(ParseLookupCommand(L"/lookup houses"), L"houses");
  EXPECT_EQ(ParseLookupCommand(L"/LookUp   \"ice cream\" "), L"ice cream");
  EXPECT_EQ(ParseLookupCommand(L"/lookup"), L"");
  EXPECT_EQ(ParseLookupCommand(L"/lookup a\x01b"), L"");  // a control character: no word
  // Nor any other control or format character, line separator or lone surrogate.
  for (wchar_t c : {L'\x85', L'\x202E', L'\x2028', L'\xDC00', L'\x200B', L'\xFEFF'})
    EXPECT_EQ(AcceptableWord(std::wstring(L"a") + c + L"b"), std::nullopt) << int(c);
  EXPECT_EQ(AcceptableWord(L"na\u00EFve \U0001F600"), L"na\u00EFve \U0001F600");
  EXPECT_EQ(FirstSense(L"1."), L"");
  EXPECT_EQ(ParseLookupCommand(L"/lookup " + std::wstring(kMaxTypedWord + 1, L'a')), L"");
  EXPECT_EQ(ParseLookupCommand(L"/lookuphouses"), std::nullopt);
  EXPECT_EQ(ParseLookupCommand(L"1"), std::nullopt);
}

}  // namespace
}  // namespace qv
