// The look-up composition with fake capture, dictionary, captions, analysis and popup: the exact
// title and body on every path.
#include <gtest/gtest.h>

#include "lexicon/lookup.h"
#include "platform/errortext.h"
#include "tests/unit/lookup_fakes.h"

namespace qv {
namespace {

using testing::FakeCapture;
using testing::FakeCaptions;
using testing::FakeDictionary;
using testing::FakeLexical;
using testing::FakeMessages;
using testing::FakePopup;

const std::wstring kLink = L"\n\t\t\t\t\t\t\t\t<A>Désactiver QV</A>";
const std::wstring kFootnote = L"\n* Voir l'aide";

std::size_t Count(const std::wstring& text, std::wstring_view what) {
  std::size_t n = 0;
  for (auto pos = text.find(what); pos != std::wstring::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

class Lookup : public ::testing::Test {
 protected:
  Lookup() {
    captions.texts = {{kDisableKey, L"Désactiver QV"},
                      {kPronounceHelpKey, L"Voir l'aide"},
                      {kNoWordCaption, L"Aucun mot n'a été capturé"}};
    lexical.descriptions["running"] =
        "-noun#NOUN#\n1. the act of running\n-verb#VERB#\n1. move fast \"run!\"";
    lexical.descriptions["ears"] = "-noun#NOUN#\n1. organ\n-noun#NOUN#\n2. \"spike\" of corn";
    lexical.baseForms = {{"running", "run"}, {"ears", "ear"}, {"geese", "goose"}};
  }

  void Put(Source s, const std::wstring& word, const std::wstring& text) {
    dict.entries[{s, word}] = text;
  }

  // The popup the request shows; every body ends with the one disable link.
  FakePopup::Shown Run(std::vector<ITextCapture::Result> answers) {
    capture.answers = std::move(answers);
    capture.calls.clear();
    CLookup(services).LookupUnderCursor();
    EXPECT_EQ(popup.shown.size(), 1u);
    if (popup.shown.empty()) return {};
    const std::wstring& body = popup.shown.back().body;
    EXPECT_EQ(Count(body, L"<A>"), 1u) << "body: " << ::testing::PrintToString(body);
    EXPECT_TRUE(body.ends_with(kLink)) << "body: " << ::testing::PrintToString(body);
    return popup.shown.back();
  }
  FakePopup::Shown Run(const std::wstring& captured) { return Run({{captured, std::nullopt}}); }

  FakeCapture capture;
  FakeMessages messages;
  FakePopup popup;
  FakeDictionary dict;
  FakeCaptions captions;
  FakeLexical lexical;
  LookupServices services{capture, messages, popup, dict, captions, lexical};
};

TEST_F(Lookup, WordWithPunctuationPronunciationsBaseFormAndItsTranslation) {
  Put(Source::Noun, L"running", L"course");
  Put(Source::Pronounce, L"running", L"RUN-ing");
  Put(Source::Pronounce, L"run", L"RUN");
  Put(Source::Translation, L"run", L"FR : courir\r\n");
  auto shown = Run(L"running,");
  EXPECT_EQ(shown.title, L"running,  RUN-ing * --> run RUN *");
  EXPECT_EQ(shown.body,
            L"[run]\nFR : courir\r\n\n[run]\n"
            L"-noun\t\t\t\tcourse\n1. the act of running\n-verb\t\t\t\t\n1. move fast run!" +
                kFootnote + kLink);
  EXPECT_EQ(lexical.baseFormCalls, std::vector<std::string>{"running"});
  EXPECT_TRUE(messages.shown.empty());

  // The word's own translation wins over its base form's.
  Put(Source::Translation, L"running", L"FR : course\r\n");
  popup.shown.clear();
  shown = Run(L"running,");
  EXPECT_TRUE(shown.body.starts_with(L"[running]\nFR : course\r\n\n[running]\n-noun"));
}

TEST_F(Lookup, LastPronunciationLookedUpDecidesTheFootnote) {
  // The word has a pronunciation, its base form none: no footnote.
  Put(Source::Pronounce, L"geese", L"GEES");
  auto shown = Run(L"geese");
  EXPECT_EQ(shown.title, L"geese  GEES * --> goose");
  EXPECT_EQ(shown.body, L"No Value Was Found For Word: geese" + kLink);

  // No base form and no pronunciation: the captured text alone.
  popup.shown.clear();
  shown = Run(L"(xyzzy)");
  EXPECT_EQ(shown.title, L"(xyzzy)");
  EXPECT_EQ(shown.body, L"No Value Was Found For Word: xyzzy" + kLink);

  // Pronunciation without a base form: footnote.
  Put(Source::Pronounce, L"cat", L"KAT");
  popup.shown.clear();
  shown = Run(L"cat");
  EXPECT_EQ(shown.title, L"cat  KAT *");
  EXPECT_EQ(shown.body, L"No Value Was Found For Word: cat" + kFootnote + kLink);
}

TEST_F(Lookup, EveryMarkerOccurrenceIsReplacedAndEmptyTranslationsKeepTheTabs) {
  Put(Source::Noun, L"ears", L"oreille");
  auto shown = Run(L"ears");
  EXPECT_EQ(shown.title, L"ears --> ear");
  EXPECT_EQ(shown.body,
            L"-noun\t\t\t\toreille\n1. organ\n-noun\t\t\t\toreille\n2. spike of corn" + kLink);

  // A translation that itself holds a marker is not replaced again.
  Put(Source::Noun, L"ears", L"#NOUN#");
  popup.shown.clear();
  shown = Run(L"ears");
  EXPECT_EQ(Count(shown.body, L"\t\t\t\t#NOUN#"), 2u);
}

TEST_F(Lookup, RecognitionRetryOnlyWhenTheFirstCaptureIsEmpty) {
  Put(Source::Translation, L"cat", L"FR : chat\r\n");
  auto shown = Run({{L"", std::nullopt}, {L"cat.", std::nullopt}});
  ASSERT_EQ(capture.calls.size(), 2u);
  EXPECT_EQ(capture.calls[0].options, 0x0001u);
  EXPECT_EQ(capture.calls[0].ocrLanguage, L"");
  EXPECT_EQ(capture.calls[1].options, 0x0101u);
  EXPECT_EQ(capture.calls[1].ocrLanguage, L"eng");
  EXPECT_EQ(shown.title, L"cat.");
  EXPECT_EQ(shown.body, L"[cat]\nFR : chat\r\n\n[cat]\nNo Value Was Found For Word: cat" + kLink);

  capture.calls.clear();
  popup.shown.clear();
  Run(L"cat");
  EXPECT_EQ(capture.calls.size(), 1u);
}

TEST_F(Lookup, NothingCapturedShowsTheLocalisedNoWordCaption) {
  auto shown = Run({{L"", std::nullopt}, {L"", std::nullopt}});
  EXPECT_EQ(shown.title, L"QV");
  EXPECT_EQ(shown.body, L"Aucun mot n'a été capturé" + kLink);
  EXPECT_TRUE(dict.calls.empty());

  // Only delimiters: the title keeps the text, the lookups run on the empty word.
  popup.shown.clear();
  Put(Source::Translation, L"", L"FR : ?\r\n");
  shown = Run(L"  ...!");
  EXPECT_EQ(shown.title, L"  ...!");
  EXPECT_EQ(shown.body, L"[]\nFR : ?\r\n\n[]\nAucun mot n'a été capturé" + kLink);
}

TEST_F(Lookup, MissingCaptionsGiveEmptyLinkAndFootnote) {
  captions.texts.clear();
  Put(Source::Pronounce, L"cat", L"KAT");
  capture.answers = {{L"cat", std::nullopt}};
  CLookup(services).LookupUnderCursor();
  ASSERT_EQ(popup.shown.size(), 1u);
  EXPECT_EQ(popup.shown[0].body,
            L"No Value Was Found For Word: cat\n* \n\t\t\t\t\t\t\t\t<A></A>");

  capture.answers = {};
  capture.calls.clear();
  CLookup(services).LookupUnderCursor();
  ASSERT_EQ(popup.shown.size(), 2u);
  EXPECT_EQ(popup.shown[1].title, L"QV");
  EXPECT_EQ(popup.shown[1].body, L"\n\t\t\t\t\t\t\t\t<A></A>");
}

TEST_F(Lookup, WordAboveLatin1HasNoLexicalBlockNorBaseFormButIsLookedUp) {
  Put(Source::Translation, L"cœur", L"FR : cœur\r\n");
  auto shown = Run(L"cœur");
  EXPECT_EQ(shown.title, L"cœur");
  EXPECT_EQ(shown.body, L"[cœur]\nFR : cœur\r\n\n[cœur]\n" + kLink);
  EXPECT_TRUE(lexical.describeCalls.empty());
  EXPECT_TRUE(lexical.baseFormCalls.empty());

  // Latin-1 letters convert: the analysis sees the bytes of the same value.
  popup.shown.clear();
  Run(L"über");
  ASSERT_EQ(lexical.describeCalls.size(), 1u);
  EXPECT_EQ(lexical.describeCalls[0], "\xFC" "ber");
}

TEST_F(Lookup, ComponentErrorsAreShownAndTheRequestGoesOn) {
  ComponentError withText{0x80004005u, L"Capture refused"};
  auto shown = Run({{L"ignored", withText}});
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Capture refused");
  EXPECT_EQ(messages.shown[0].caption, L"");
  EXPECT_EQ(messages.shown[0].kind, IMessageBox::Kind::Plain);
  EXPECT_EQ(capture.calls.size(), 1u);  // no retry after an error
  EXPECT_EQ(shown.title, L"QV");

  // An error on the retry: the box, then the empty popup.
  popup.shown.clear();
  messages.shown.clear();
  shown = Run({{L"", std::nullopt}, {L"", ComponentError{0x80040201u, std::nullopt}}});
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(shown.title, L"QV");
}

TEST_F(Lookup, NoCaptureRequestMeansAnErrorBoxAndNoPopup) {
  capture.canCreate = false;
  CLookup(services).LookupUnderCursor();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Can't create CLSID_WInput component");
  EXPECT_EQ(messages.shown[0].caption, L"Error");
  EXPECT_EQ(messages.shown[0].kind, IMessageBox::Kind::Error);
  EXPECT_TRUE(popup.shown.empty());
  EXPECT_TRUE(capture.calls.empty());
}

TEST(ComponentErrorText, DescriptionThenSystemTextThenFallbacks) {
  EXPECT_EQ(ComponentErrorText({0x80004005u, L"Broken"}), L"Broken");
#ifdef _WIN32
  // The system's own message, without its line break; an empty description does not hide it.
  std::wstring text = ComponentErrorText({0x8007000Eu, L""});
  EXPECT_FALSE(text.empty());
  EXPECT_FALSE(text.ends_with(L"\n"));
  EXPECT_EQ(text.find(L"error 0x"), std::wstring::npos);
#else
  EXPECT_EQ(ComponentErrorText({0x80004005u, L""}), L"Unknown error 0x80004005");
  EXPECT_EQ(ComponentErrorText({0x8007000Eu, std::nullopt}), L"Unknown error 0x8007000E");
#endif
  // Codes the system has no text for (all of them on Linux).
  const std::pair<std::uint32_t, std::wstring> kFallbacks[] = {
      {0x80040200u, L"IDispatch error #0"},     {0x80040234u, L"IDispatch error #52"},
      {0x8004FFFFu, L"IDispatch error #65023"}, {0x800401FFu, L"Unknown error 0x800401FF"},
      {0x80050000u, L"Unknown error 0x80050000"}, {0x8ABC0001u, L"Unknown error 0x8ABC0001"},
      {0x00000BADu, L"Unknown error 0xBAD"}};
  for (const auto& [code, expected] : kFallbacks)
    if (!platform::SystemErrorText(code)) {
      EXPECT_EQ(ComponentErrorText({code, std::nullopt}), expected);
    }
}

}  // namespace
}  // namespace qv
