// Captured-word extraction and the look-up composition, with fake capture, dictionary,
// captions, analysis and popup: the exact title and body on every path.
#include <gtest/gtest.h>

#include <map>

#include "core/lookup/lookup.h"
#include "platform/errortext.h"

namespace qv {
namespace {

struct Fakes : ITextCapture, IMessageBox, IPopup, IDictionary, ICaptions, ILexicalAnalysis {
  bool canCreate = true;
  std::vector<Result> answers;  // one per capture, then empty texts
  std::vector<std::pair<std::uint32_t, std::wstring>> captures;
  std::vector<std::wstring> boxes, titles, bodies;
  std::map<std::pair<DictSource, std::wstring>, std::wstring> dict;
  std::map<std::wstring, std::wstring> captions = {{kDisableKey, L"Désactiver QV"},
                                                   {kPronounceHelpKey, L"Voir l'aide"},
                                                   {kNoWordCaption, L"Aucun \"mot\" capturé"},
                                                   {kNoDatabaseCaption, L"Base introuvable"}};
  std::map<std::string, std::string> summaries, bases;
  std::map<std::string, std::vector<std::string>> headings;  // word -> form of each heading
  std::vector<std::string> described, based;

  bool CreateRequest() override { return canCreate; }
  Result Capture(std::uint32_t options, std::wstring_view ocr) override {
    captures.emplace_back(options, ocr);
    return captures.size() <= answers.size() ? answers[captures.size() - 1] : Result{};
  }
  void Show(const std::wstring& text, const std::wstring& caption, Kind kind) override {
    boxes.push_back(text + L"|" + caption + (kind == Kind::Error ? L"|stop" : L"|ok"));
  }
  void Show(const std::wstring& title, const std::wstring& body) override {
    titles.push_back(title);
    bodies.push_back(body);
  }
  std::wstring Lookup(DictSource s, const std::wstring& word) override {
    auto it = dict.find({s, word});
    return it == dict.end() ? L"" : it->second;
  }
  std::wstring GetText(std::wstring_view key) override { return captions[std::wstring(key)]; }
  std::optional<std::string> DescribeWord(std::string word) override {
    described.push_back(word);
    word.erase(0, word.find_first_not_of(' '));  // the analysis trims spaces itself
    word.erase(word.find_last_not_of(' ') + 1);
    lastAnswer = word.empty()            ? lexical::Answer::NoWord
                 : word == noDatabaseFor ? lexical::Answer::NoDatabase
                                         : lexical::Answer::Description;
    if (lastAnswer != lexical::Answer::Description) return "the analysis's English message";
    lastHeadings = headings[word];
    auto it = summaries.find(word);
    return it == summaries.end() ? "No Value Was Found For Word: " + word : it->second;
  }
  std::vector<std::string> HeadingForms() override { return lastHeadings; }
  std::vector<std::string> lastHeadings;
  lexical::Answer LastAnswer() override { return lastAnswer; }
  lexical::Answer lastAnswer = lexical::Answer::Description;
  std::string noDatabaseFor;  // the word whose description finds no database
  std::optional<std::string> BaseForm(std::string word) override {
    based.push_back(word);
    auto it = bases.find(word);
    return it == bases.end() ? std::nullopt : std::optional(it->second);
  }
  std::map<std::string, std::string> verbPhrases;  // phrase -> its verb lemma
  std::string PhraseLemma(const std::string& phrase, WordClass c) override {
    auto it = verbPhrases.find(phrase);
    return c == WordClass::Verb && it != verbPhrases.end() ? it->second : "";
  }
};

const std::wstring kLink = L"\n\t\t\t\t\t\t\t\t<A>Désactiver QV</A>";
const std::wstring kFootnote = L"\n* Voir l'aide";

class Lookup : public ::testing::Test {
 protected:
  // Runs one request; every body ends with the one disable link.
  void Run(std::vector<ITextCapture::Result> answers) {
    f.answers = std::move(answers);
    f.captures.clear();
    CLookup(services).LookupUnderCursor();
    ASSERT_FALSE(f.bodies.empty());
    const std::wstring& body = f.bodies.back();
    EXPECT_TRUE(body.ends_with(kLink) && body.find(L"<A>") == body.rfind(L"<A>"))
        << ::testing::PrintToString(body);
  }
  void Run(const std::wstring& text) { Run({{text, std::nullopt}}); }
  const std::wstring& Title() { return f.titles.back(); }
  const std::wstring& Body() { return f.bodies.back(); }

  Fakes f;
  LookupServices services{f, f, f, f, f, f};
  CCapturedWord word{f, f};
};

TEST(CapturedWord, TrimsFourPassesAndNeverInside) {
  EXPECT_EQ(kWordDelimiters.size(), 34u);
  const std::pair<std::wstring, std::wstring> kCases[] = {
      {L"(hello),", L"hello"}, {L"--well--", L"well"},   {L"'tis", L"tis"},
      {L"rock'n'roll", L"rock'n'roll"}, {L"a.m", L"a.m"}, {L"\"<word>\"", L"word"},
      {L"...", L""},           {L" \tword", L"\tword"}, {L"word\t.", L"word\t"},
      {L"«mot»", L"mot"},    {L"12.", L"12"},         {L"~`!@#$%^&*x_+=;:?/>.<,[{(}])|\\", L"x"}};
  for (const auto& [in, out] : kCases) EXPECT_EQ(TrimDelimiters(in), out) << ::testing::PrintToString(in);
}

TEST_F(Lookup, NarrowConversionKeepsLatin1AndFailsAboveIt) {
  EXPECT_EQ(word.ToNarrowWord(L"Straße über\u00FF"), "Stra\xDF" "e \xFC" "ber\xFF");
  EXPECT_EQ(word.ConversionStatus, 0);
  for (const wchar_t* bad : {L"cœur", L"слово", L"x\u20AC", L"\U0001F600"}) {
    EXPECT_EQ(word.ToNarrowWord(bad), "");
    EXPECT_NE(word.ConversionStatus, 0);
  }
  EXPECT_EQ(word.ToNarrowWord(L""), "");
  EXPECT_EQ(word.ConversionStatus, 0);
}

TEST_F(Lookup, LexicalTextIsLocalisedAnsiTextWithoutDoubleQuotes) {
  // Byte 0x80 is the euro sign in Windows-1252, not U+0080.
  f.summaries["cat"] = "-noun#NOUN#\n1. \"feline\" \x80 caf\xE9";
  std::wstring out = L"previous", again;
  word.BuildLexicalText(L"(cat),", out);
  word.BuildLexicalText(L"(cat),", again);
  EXPECT_EQ(out, L"-noun#NOUN#\n1. feline \u20AC café");
  EXPECT_EQ(again, out);
  for (const wchar_t* nothing : {L"", L"...", L"(\" \")"}) {
    word.BuildLexicalText(nothing, out);
    EXPECT_EQ(out, L"Aucun mot capturé");
  }
  f.noDatabaseFor = "dog";
  word.BuildLexicalText(L"dog", out);
  EXPECT_EQ(out, L"Base introuvable");
  word.BuildLexicalText(L" \tcat", out);  // the tab stops the trimming and is handed on
  EXPECT_EQ(f.described.back(), "\tcat");
  out = L"kept";
  word.BuildLexicalText(L"(cœur)", out);
  EXPECT_EQ(out, L"kept");
  EXPECT_EQ(f.described.back(), "\tcat");
}

// "saw" is a noun and a verb of its own and the past of "see": each block's heading carries the
// French of the form it describes, not the captured word's.
TEST_F(Lookup, EachHeadingCarriesTheFrenchOfItsOwnForm) {
  f.summaries["saw"] = "-noun#NOUN#\n1. a tool\n-verb#VERB#\n1. cut\n\n-verb#VERB#\n1. perceive";
  f.headings["saw"] = {"saw", "saw", "see"};
  f.bases = {{"saw", "see"}};
  f.dict = {{{DictSource::Noun, L"saw"}, L"scie"}, {{DictSource::Verb, L"saw"}, L"scier"},
            {{DictSource::Verb, L"see"}, L"voir"}};
  Run(L" saw.");
  EXPECT_EQ(Body(), L"-noun\t\t\t\tscie\n1. a tool\n-verb\t\t\t\tscier\n1. cut\n\n"
                    L"-verb\t\t\t\tvoir\n1. perceive" + kLink);
}

TEST_F(Lookup, TitleAndBodyWithPronunciationsBaseFormAndTranslations) {
  f.summaries["running"] = "-noun#NOUN#\n1. a run\n-verb#VERB#\n1. move \"fast\"\n-noun#NOUN#";
  f.bases = {{"running", "run"}, {"geese", "goose"}};
  f.dict = {{{DictSource::Noun, L"running"}, L"course"},  {{DictSource::Pronounce, L"running"}, L"RUN-ing"},
            {{DictSource::Pronounce, L"run"}, L"RUN"},     {{DictSource::Translation, L"run"}, L"FR : courir\r\n"},
            {{DictSource::Pronounce, L"geese"}, L"GEES"},  {{DictSource::Pronounce, L"cat"}, L"KAT"}};
  Run(L"running,");
  EXPECT_EQ(Title(), L"running,  RUN-ing * --> run RUN *");
  EXPECT_EQ(Body(), L"[run]\nFR : courir\r\n\n[run]\n-noun\t\t\t\tcourse\n1. a run\n"
                    L"-verb\t\t\t\t\n1. move fast\n-noun\t\t\t\tcourse" + kFootnote + kLink);
  EXPECT_EQ(f.based, std::vector<std::string>{"running"});

  f.dict[{DictSource::Translation, L"running"}] = L"FR : course\r\n";  // the word's own comes first
  Run(L"running,");
  EXPECT_TRUE(Body().starts_with(L"[running]\nFR : course\r\n\n[running]\n-noun"));

  // The last pronunciation looked up (the base form's) decides the footnote.
  Run(L"geese");
  EXPECT_EQ(Title(), L"geese  GEES * --> goose");
  EXPECT_EQ(Body(), L"No Value Was Found For Word: geese" + kLink);
  Run(L"cat");
  EXPECT_EQ(Title(), L"cat  KAT *");
  EXPECT_EQ(Body(), L"No Value Was Found For Word: cat" + kFootnote + kLink);
  Run(L"(xyzzy)");
  EXPECT_EQ(Title(), L"(xyzzy)");
  EXPECT_EQ(Body(), L"No Value Was Found For Word: xyzzy" + kLink);

  // Above U+00FF: no lexical block, no base form, but the dictionary still answers.
  f.dict[{DictSource::Translation, L"cœur"}] = L"FR : cœur\r\n";
  f.based.clear();
  Run(L"cœur");
  EXPECT_EQ(Body(), L"[cœur]\nFR : cœur\r\n\n[cœur]\n" + kLink);
  EXPECT_TRUE(f.based.empty());
}

// The facts of a word with two parts of speech and a base form, rendered as the composition
// renders them; and the composition of that word gives these facts.
TEST_F(Lookup, ResultRendersItsTitleAndBodyFromItsFacts) {
  LookupResult r;
  r.captured = L"running,";
  r.word = L"running";
  r.base = L"run";
  r.pronunciation = L"RUN-ing";
  r.basePronunciation = L"RUN";
  r.translation = TranslationLine{L"run", L"FR : courir\r\n"};
  r.french = L"courir";
  r.senses.blocks = {{DictSource::Noun, L"-noun", L"running", L"course", L"\n1. a run\n"},
                     {DictSource::Verb, L"-verb", L"running", L"", L"\n1. move fast"}};
  r.pronunciationNote = L"Voir l'aide";
  r.link = L"Désactiver QV";
  EXPECT_EQ(r.Title(), L"running,  RUN-ing * --> run RUN *");
  EXPECT_EQ(r.Body(), L"[run]\nFR : courir\r\n\n[run]\n-noun\t\t\t\tcourse\n1. a run\n"
                      L"-verb\t\t\t\t\n1. move fast" + kFootnote + kLink);
  EXPECT_EQ(r.EntryText(), r.Title() + L"\n" + r.Body().substr(0, r.Body().size() - kLink.size()));

  f.summaries["running"] = "-noun#NOUN#\n1. a run\n-verb#VERB#\n1. move \"fast\"";
  f.bases = {{"running", "run"}};
  f.dict = {{{DictSource::Noun, L"running"}, L"course"},  {{DictSource::Pronounce, L"running"}, L"RUN-ing"},
            {{DictSource::Pronounce, L"run"}, L"RUN"},     {{DictSource::Translation, L"run"}, L"FR : courir\r\n"}};
  EXPECT_EQ(CLookup(services).Compose(L"running,"), r);
}

TEST(RealText, PublishedFormsReadAsPlainWords) {
  const std::pair<std::wstring, std::wstring> kWords[] = {
      {L"\u201Chouse\u201D", L"house"},        {L"didn\u2019t", L"didn't"},
      {L"\u2018tis", L"tis"},                  {L"\u00ABmaison\u00BB,", L"maison"},
      {L"\uFB01nd", L"find"},                  {L"\uFB00\uFB02\uFB03\uFB04", L"ffflffiffl"},
      {L"con\u00ADtext", L"context"},          {L"well\u2011known", L"well-known"},
      {L"U.S.", L"U.S."},                      {L"(e.g.,", L"e.g."},
      {L"end.", L"end"},                       {L"3.14.", L"3.14"},
      {L"\u0436\u0438\u0437\u043d\u044c.", L"\u0436\u0438\u0437\u043d\u044c"}};
  for (const auto& [token, word] : kWords)
    EXPECT_EQ(WordOfToken(token), word) << ::testing::PrintToString(token);
  EXPECT_EQ(PossessiveStem(L"house's"), L"house");
  EXPECT_EQ(PossessiveStem(L"children's"), L"children");
  EXPECT_EQ(PossessiveStem(L"'s"), L"");
  EXPECT_EQ(PossessiveStem(L"house"), L"");
  EXPECT_EQ(CompoundVariants(L"Ice-cream"), (std::vector<std::wstring>{L"Ice cream", L"Icecream"}));
  EXPECT_EQ(CompoundVariants(L"ice cream"), (std::vector<std::wstring>{L"ice-cream", L"icecream"}));
  EXPECT_TRUE(CompoundVariants(L"ice").empty());
}

TEST_F(Lookup, ExpressionBlockThenTheWordsOwnFrenchAndRespelledWords) {
  f.verbPhrases = {{"gave up", "give up"}};
  f.summaries = {{"give up", "-verb#VERB#\n1. stop"}, {"house", "-noun#NOUN#\n1. a building"}};
  f.bases = {{"gave", "give"}};
  f.dict = {{{DictSource::Translation, L"give up"}, L"FR : renoncer"},
            {{DictSource::Verb, L"give up"}, L"renoncer"},
            {{DictSource::Translation, L"give"}, L"FR : donner"},
            {{DictSource::Pronounce, L"gave"}, L"GAYV"},
            {{DictSource::Translation, L"house"}, L"FR : maison"},
            {{DictSource::Translation, L"ice cream"}, L"FR : glace"}};
  LookupResult r = CLookup(services).Compose(L"gave", L"He gave up smoking.", 3);
  EXPECT_EQ(r.Title(), L"gave up --> give up");
  EXPECT_EQ(r.Body(), L"[give up]\nFR : renoncer\n[give up]\n-verb\t\t\t\trenoncer\n1. stop\n\n"
                    L"[give]\nFR : donner\n[give]" + kLink);
  // Without the text around it, the word alone.
  r = CLookup(services).Compose(L"gave");
  EXPECT_EQ(r.Title(), L"gave  GAYV * --> give");

  r = CLookup(services).Compose(L"house\u2019s");
  EXPECT_EQ(r.Title(), L"house\u2019s --> house");
  EXPECT_EQ(r.Body(), L"[house]\nFR : maison\n[house]\n-noun\t\t\t\t\n1. a building" + kLink);
  r = CLookup(services).Compose(L"ice-cream");
  EXPECT_EQ(r.Title(), L"ice-cream --> ice cream");
}

TEST_F(Lookup, EmptyCapturesRetryWithRecognitionThenShowTheNoWordCaption) {
  f.dict[{DictSource::Translation, L"cat"}] = L"FR : chat\r\n";
  Run({{L"", std::nullopt}, {L"cat.", std::nullopt}});
  using Captures = std::vector<std::pair<std::uint32_t, std::wstring>>;
  EXPECT_EQ(f.captures, (Captures{{0x0001, L""}, {0x0101, L"eng"}}));
  EXPECT_EQ(Title(), L"cat.");
  EXPECT_EQ(Body(), L"[cat]\nFR : chat\r\n\n[cat]\nNo Value Was Found For Word: cat" + kLink);

  Run(L"cat");
  EXPECT_EQ(f.captures.size(), 1u);
  Run(std::vector<ITextCapture::Result>{});
  EXPECT_EQ(Title(), L"QV");
  EXPECT_EQ(Body(), L"Aucun mot capturé" + kLink);
  f.dict[{DictSource::Translation, L""}] = L"FR : ?\r\n";  // only delimiters: the empty word
  Run(L" ...!");
  EXPECT_EQ(Title(), L" ...!");
  EXPECT_EQ(Body(), L"[]\nFR : ?\r\n\n[]\nAucun mot capturé" + kLink);

  f.captions.clear();
  f.dict[{DictSource::Pronounce, L"cat"}] = L"KAT";
  f.answers.clear();
  CLookup(services).LookupUnderCursor();
  EXPECT_EQ(Body(), L"\n\t\t\t\t\t\t\t\t<A></A>");
  f.answers = {{L"cat", std::nullopt}};
  f.captures.clear();
  CLookup(services).LookupUnderCursor();
  EXPECT_EQ(Body(), L"[cat]\nFR : chat\r\n\n[cat]\nNo Value Was Found For Word: cat\n* "
                    L"\n\t\t\t\t\t\t\t\t<A></A>");
}

TEST_F(Lookup, CaptureFailures) {
  Run({{L"ignored", ComponentError{0x80004005u, L"Capture refused"}}});
  EXPECT_EQ(f.boxes, std::vector<std::wstring>{L"Capture refused||ok"});
  EXPECT_EQ(f.captures.size(), 1u);  // no retry after an error
  EXPECT_EQ(Title(), L"QV");
  Run({{L"", std::nullopt}, {L"", ComponentError{0x80040201u, std::nullopt}}});
  EXPECT_EQ(f.boxes.size(), 2u);
  EXPECT_EQ(Title(), L"QV");

  f.boxes.clear();
  f.canCreate = false;
  std::size_t shown = f.bodies.size();
  CLookup(services).LookupUnderCursor();
  EXPECT_EQ(f.boxes, std::vector<std::wstring>{L"Can't create CLSID_WInput component|Error|stop"});
  EXPECT_EQ(f.bodies.size(), shown);  // the popup on screen stays
}

TEST(ComponentErrorText, DescriptionThenSystemTextThenFallbacks) {
  EXPECT_EQ(ComponentErrorText({0x80004005u, L"Broken"}), L"Broken");
#ifdef _WIN32
  std::wstring text = ComponentErrorText({0x8007000Eu, L""});  // the system's, no line break
  EXPECT_TRUE(!text.empty() && !text.ends_with(L"\n") && text.find(L"0x") == std::wstring::npos);
#endif
  const std::pair<std::uint32_t, std::wstring> kFallbacks[] = {
      {0x80040200u, L"IDispatch error #0"},       {0x80040234u, L"IDispatch error #52"},
      {0x8004FFFFu, L"IDispatch error #65023"},   {0x800401FFu, L"Unknown error 0x800401FF"},
      {0x80050000u, L"Unknown error 0x80050000"}, {0x00000BADu, L"Unknown error 0xBAD"}};
  for (const auto& [code, expected] : kFallbacks)
    if (!platform::SystemErrorText(code)) {  // on Linux, every code
      EXPECT_EQ(ComponentErrorText({code, L""}), expected);
    }
}

// The same capture at the next tick, or a word seen a moment ago, shows the kept result without
// composing; data of a new generation are composed afresh.
TEST_F(Lookup, TheSameCaptureTwiceComposesOnce) {
  std::uint64_t generation = 1;
  CComposeCache cache([&] { return generation; });
  CLookup lookup(services);
  lookup.UseCache(&cache);
  f.dict[{DictSource::Translation, L"ear"}] = L"oreille\r\n";
  auto tick = [&](const std::wstring& text) {
    f.answers = {{text, std::nullopt}};
    f.captures.clear();
    lookup.LookupUnderCursor();
  };
  for (const wchar_t* text : {L"ear", L"ear", L"dog", L"ear"}) tick(text);
  EXPECT_EQ(f.described, (std::vector<std::string>{"ear", "dog"}));
  ASSERT_EQ(f.bodies.size(), 4u);
  EXPECT_EQ(f.titles[1], f.titles[0]);
  EXPECT_EQ(f.bodies[1], f.bodies[0]);
  EXPECT_EQ(f.bodies[3], f.bodies[0]);
  EXPECT_NE(f.bodies[0].find(L"oreille"), std::wstring::npos);

  generation = 2;
  f.dict[{DictSource::Translation, L"ear"}] = L"épi\r\n";
  tick(L"ear");
  EXPECT_EQ(f.described.size(), 3u);
  EXPECT_NE(f.bodies.back().find(L"épi"), std::wstring::npos);
}

}  // namespace
}  // namespace qv
