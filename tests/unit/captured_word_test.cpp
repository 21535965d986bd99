// Trimming of captured text, the 8-bit conversion and the lexical block.
#include <gtest/gtest.h>

#include "lexicon/captured_word.h"
#include "tests/unit/lookup_fakes.h"

namespace qv {
namespace {

TEST(CapturedWord, DelimiterSetIsExactlyTheThirtyFourCharacters) {
  EXPECT_EQ(WordDelimiters.size(), 34u);
  EXPECT_EQ(WordDelimiters.find_first_of(L"\t\r\n0123456789aZé"), std::wstring_view::npos);
}

TEST(CapturedWord, TrimsFourPassesAndNeverInside) {
  const std::pair<std::wstring, std::wstring> kCases[] = {
      {L"(hello),", L"hello"},     {L"--well--", L"well"},
      {L"'tis", L"tis"},           {L"rock'n'roll", L"rock'n'roll"},
      {L"don't", L"don't"},        {L"self-made", L"self-made"},
      {L"a.m", L"a.m"},            {L"\"<word>\"", L"word"},
      {L"...", L""},               {L"", L""},
      {L" \tword", L"\tword"},     {L"word\t.", L"word\t"},
      {L"«mot»", L"«mot»"},        {L"12.", L"12"},
      {L"[{(x)}]\\|", L"x"},       {L"~`!@#$%^&*word_+=;:?/>.<,", L"word"},
  };
  for (const auto& [in, out] : kCases) EXPECT_EQ(TrimDelimiters(in), out) << "input: " << ::testing::PrintToString(in);
}

class LexicalText : public ::testing::Test {
 protected:
  testing::FakeLexical lexical;
  testing::FakeCaptions captions;
  CCapturedWord word{lexical, captions};
};

TEST_F(LexicalText, NarrowConversionKeepsLatin1AndFailsAboveIt) {
  EXPECT_EQ(word.ToNarrowWord(L"über"), "\xFC" "ber");
  EXPECT_EQ(word.ConversionStatus, 0);
  EXPECT_EQ(word.ToNarrowWord(L"Straße"), "Stra\xDF" "e");
  EXPECT_EQ(word.ToNarrowWord(std::wstring(1, wchar_t(0xFF))), "\xFF");

  for (const wchar_t* bad : {L"cœur", L"слово", L"x\u20AC", L"\U0001F600"}) {
    EXPECT_EQ(word.ToNarrowWord(bad), "");
    EXPECT_NE(word.ConversionStatus, 0) << ::testing::PrintToString(std::wstring(bad));
  }
  // A later success clears the status.
  EXPECT_EQ(word.ToNarrowWord(L""), "");
  EXPECT_EQ(word.ConversionStatus, 0);
}

TEST_F(LexicalText, SummaryIsConvertedFromTheAnsiCodePageWithoutDoubleQuotes) {
  // Byte 0x80 is the euro sign in Windows-1252, not U+0080.
  lexical.descriptions["cat"] = "-noun#NOUN#\n1. \"feline\" \x80 caf\xE9";
  std::wstring out = L"previous";
  word.BuildLexicalText(L"(cat),", out);
  EXPECT_EQ(out, L"-noun#NOUN#\n1. feline \u20AC café");
  ASSERT_EQ(lexical.describeCalls.size(), 1u);
  EXPECT_EQ(lexical.describeCalls[0], "cat");

  std::wstring again;
  word.BuildLexicalText(L"(cat),", again);
  EXPECT_EQ(again, out);

  word.BuildLexicalText(L"\"zzz\"", out);
  EXPECT_EQ(out, L"No Value Was Found For Word: zzz");
}

TEST_F(LexicalText, NoWordMessageBecomesTheLocalisedCaption) {
  captions.texts[kNoWordCaption] = L"Aucun \"mot\" capturé";
  for (const wchar_t* nothing : {L"", L"...", L"  ", L"(\" \")"}) {
    std::wstring out = L"x";
    word.BuildLexicalText(nothing, out);
    EXPECT_EQ(out, L"Aucun mot capturé");
  }
  captions.texts.clear();
  std::wstring out = L"x";
  word.BuildLexicalText(L"", out);
  EXPECT_EQ(out, L"");
}

TEST_F(LexicalText, TabAfterSpaceIsHandedOnAndUnconvertibleWordsLeaveOutAlone) {
  std::wstring out;
  word.BuildLexicalText(L" \tcat", out);
  ASSERT_EQ(lexical.describeCalls.size(), 1u);
  EXPECT_EQ(lexical.describeCalls[0], "\tcat");

  out = L"kept";
  word.BuildLexicalText(L"(cœur)", out);
  EXPECT_EQ(out, L"kept");
  EXPECT_EQ(lexical.describeCalls.size(), 1u);
}

}  // namespace
}  // namespace qv
