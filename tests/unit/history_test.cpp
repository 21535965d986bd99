// The look-up window's portable side: the history file (round trip, damaged lines, the 500
// kept, switched off), the tap that records a word under the pointer once, what the window
// shows and exports of a composition, and the "/lookup" command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "core/history.h"
#include "core/lookup_window.h"

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
  ASSERT_TRUE(h.Record(L"Houses", L"house", L"maison, logement", 1796650000));
  ASSERT_TRUE(h.Record(L"went", L"go", L"", 1796650060));
  ASSERT_TRUE(h.Record(L"houses", L"house", L"maison, logement", 1796650120));
  EXPECT_EQ(ReadFile(file),
            "houses\thouse\tmaison, logement\t2\t2026-12-07T13:28:40Z\n"
            "went\tgo\t\t1\t2026-12-07T13:27:40Z\n");
  EXPECT_FALSE(fs::exists(file.string() + ".tmp"));

  CHistory again(file);
  again.Load();
  ASSERT_EQ(again.Entries().size(), 2u);
  const HistoryEntry& top = again.Entries()[0];
  EXPECT_EQ(top.word, L"houses");
  EXPECT_EQ(top.base, L"house");
  EXPECT_EQ(top.french, L"maison, logement");
  EXPECT_EQ(top.count, 2u);
  EXPECT_EQ(top.last, 1796650120);
  // A field cannot split its line; non-ASCII text survives.
  ASSERT_TRUE(again.Record(L"été", L"", L"a\tb\nc", 1796650200));
  CHistory third(file);
  third.Load();
  EXPECT_EQ(third.Entries()[0].word, L"été");
  EXPECT_EQ(third.Entries()[0].french, L"a b c");
  ASSERT_TRUE(third.Clear());
  EXPECT_EQ(ReadFile(file), "");
}

TEST_F(HistoryFile, DamagedLinesAreSkippedAndKeptAside) {
  fs::create_directories(file.parent_path());
  const std::string bad =
      "cat\tcat\tchat\tmany\t2026-12-07T14:00:00Z\n"  // count not a number
      "dog\tdog\tchien\t1\t2026-02-30T14:00:00Z\n"    // no such day
      "too\tfew\tfields\n"
      "\xff\xfe\tx\ty\t1\t2026-12-07T14:00:00Z\n"     // not UTF-8
      "\tx\ty\t1\t2026-12-07T14:00:00Z\n";             // no word
  {
    std::ofstream out(file, std::ios::binary);
    out << "\xEF\xBB\xBFhouse\t\tmaison\t3\t2026-12-07T14:00:00Z\r\n" << bad
        << "HOUSE\t\tmaison\t1\t2026-12-07T13:00:00Z\n"  // a repeat of the first: dropped
        << "ear\t\toreille\t1\t2026-12-07T12:00:00Z";
  }
  CHistory h(file);
  h.Load();
  ASSERT_EQ(h.Entries().size(), 2u);
  EXPECT_EQ(h.Entries()[0].word, L"house");
  EXPECT_EQ(h.Entries()[0].count, 3u);
  EXPECT_EQ(h.Entries()[1].word, L"ear");
  EXPECT_EQ(ReadFile(h.DamagedFile()), bad);
  EXPECT_EQ(h.DamagedFile().filename(), "history.damaged.tsv");

  // A file that is not a history at all reads as an empty one.
  { std::ofstream(file, std::ios::binary) << std::string("\0\x01\x02garbage", 10); }
  h.Load();
  EXPECT_TRUE(h.Entries().empty());
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

// The popup's path: capture, composition, popup; the tap records through the recorder.
struct Fakes : ITextCapture, IMessageBox, IPopup, IDictionary, ICaptions, ILexicalAnalysis,
               ILookupRecorder {
  std::wstring captured;
  std::vector<std::wstring> recorded;
  std::vector<LookupFacts> facts;
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
  void RecordLookup(const std::wstring& c, const LookupResult& r) override {
    recorded.push_back(c);
    facts.push_back(FactsOf(c, r));
  }
};

TEST(PopupHistoryTap, AWordUnderThePointerCountsOnce) {
  Fakes f;
  CPopupHistoryTap tap(f, f, f);
  CLookup lookup({tap, f, tap, f, f, f});
  for (const wchar_t* w : {L"houses,", L"houses,", L"", L"houses,", L"house", L"houses,"}) {
    f.captured = w;
    lookup.LookupUnderCursor();
  }
  EXPECT_EQ(f.shown, 6);  // every tick still reaches the popup
  EXPECT_EQ(f.recorded, (std::vector<std::wstring>{L"houses,", L"house", L"houses,"}));
  EXPECT_EQ(f.facts[0].word, L"houses");
  EXPECT_EQ(f.facts[0].base, L"house");
  EXPECT_EQ(f.facts[0].french, L"maison, logement");
  EXPECT_EQ(f.facts[1].base, L"");
}

TEST(LookupWindowText, EntrySenseAndExport) {
  Fakes f;
  CLookup lookup({f, f, f, f, f, f});
  LookupResult r = lookup.Compose(L"houses");
  const std::wstring text = EntryText(r);
  EXPECT_EQ(text.substr(0, text.find(L'\n')), r.title);
  EXPECT_EQ(text.find(L"<A>"), std::wstring::npos);  // no disable link
  EXPECT_TRUE(text.ends_with(L"\n* Voir l'aide")) << ::testing::PrintToString(text);
  EXPECT_EQ(FirstSense(r.body), L"A dwelling that serves as living quarters for one or more families");
  HistoryEntry e{L"houses", L"house", L"maison, logement", 1, 0};
  EXPECT_EQ(FlashCardExport({e}, [&](const HistoryEntry&) { return FirstSense(r.body); }),
            "houses\tmaison, logement\tA dwelling that serves as living quarters for one or more "
            "families\r\n");
}

TEST(LookupCommand, WordsAcceptedFromOutside) {
  EXPECT_EQ(ParseLookupCommand(L"/lookup houses"), L"houses");
  EXPECT_EQ(ParseLookupCommand(L"/LookUp   \"ice cream\" "), L"ice cream");
  EXPECT_EQ(ParseLookupCommand(L"/lookup"), L"");
  EXPECT_EQ(ParseLookupCommand(L"/lookup a\x01b"), L"");  // a control character: no word
  EXPECT_EQ(ParseLookupCommand(L"/lookup " + std::wstring(kMaxTypedWord + 1, L'a')), L"");
  EXPECT_EQ(ParseLookupCommand(L"/lookuphouses"), std::nullopt);
  EXPECT_EQ(ParseLookupCommand(L"1"), std::nullopt);
}

}  // namespace
}  // namespace qv
