#include "core/lookup/expression.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cwctype>
#include <vector>

#include "core/lookup/real_text.h"

namespace qv {
namespace {

constexpr std::size_t kLongest = 4;     // words in the longest expression looked for
constexpr std::size_t kLongestObject = 2;  // words between a verb and its particle

// A verb and a particle followed by a noun phrase read as a phrasal verb («look up the word»)
// only when WordNet's corpus tagged it at least this often, and only when it takes an object
// («looked out the window» is no «look out»).
constexpr int kMinCountBeforeObject = 1;
// A verb of motion and a particle followed by "of" is a way out of somewhere unless tagged
// this often: «ran out of milk» (12), «jumped out of the window» (1).
constexpr int kMinCountPathOutOf = 10;
// A prepositional phrase of its own («on the table», «on the hook») is read as an idiom only
// when tagged this often: «on the whole», «in the end».
constexpr int kMinCountPrepositionalPhrase = 2;

// Verbs whose preposition is nearly always meant as such: «went to the market» is no «go to»
// (attend), «came to the door» no «come to» (regain consciousness).
bool ReadLiterally(std::string_view lemma) {
  return lemma == "go to" || lemma == "come to" || lemma == "get to";
}

bool In(std::string_view word, std::initializer_list<std::string_view> list) {
  return std::find(list.begin(), list.end(), word) != list.end();
}

// Words that carry grammar rather than meaning: an expression made of them alone («of the»,
// «in it», «do in») would swallow the commonest words of every sentence.
bool IsFunctionWord(std::string_view w) {
  return In(w, {"a", "an", "the", "this", "that", "these", "those", "my", "your", "his", "her",
                "its", "our", "their", "me", "you", "him", "us", "them", "it", "i", "he", "she",
                "we", "they", "one", "of", "in", "on", "at", "to", "for", "from", "by", "with",
                "about", "into", "onto", "over", "under", "up", "down", "out", "off", "through",
                "after", "before", "as", "than", "and", "or", "but", "if", "so", "not", "no",
                "nor", "be", "am", "is", "are", "was", "were", "been", "being", "have", "has",
                "had", "having", "do", "does", "did", "done", "doing", "will", "would", "shall",
                "should", "can", "could", "may", "might", "must", "there", "here", "what",
                "which", "who", "whom", "whose", "when", "where", "why", "how", "all", "some",
                "any", "each", "every", "both", "either", "neither", "such", "too", "very",
                "then", "now", "just", "also"});
}

// What opens a noun phrase: after a particle it makes the particle a preposition.
bool OpensNounPhrase(std::string_view w) {
  return In(w, {"a", "an", "the", "this", "that", "these", "those", "my", "your", "his", "her",
                "its", "our", "their", "some", "every", "each", "him", "them", "me", "us", "it"}) ||
         (!w.empty() && w[0] >= '0' && w[0] <= '9');
}

bool IsParticle(std::string_view w) {
  return In(w, {"up", "down", "out", "off", "away", "back", "over", "around", "about", "in",
                "on", "through", "along", "aside", "apart", "together", "forward"});
}

// After a verb of motion, these open the path it takes: «ran up the hill», «went up the
// stairs», «ran out the door».
bool IsMotionVerb(std::string_view lemmaFirstWord) {
  return In(lemmaFirstWord, {"run", "walk", "go", "come", "climb", "jump", "fly", "drive", "ride",
                             "roll", "fall", "swim", "crawl", "hurry", "rush", "race", "move",
                             "travel", "march", "step", "slide", "sail", "head", "wander", "hike",
                             "dash"});
}

bool IsPathParticle(std::string_view w) {
  return In(w, {"up", "down", "over", "through", "around", "along", "across", "out", "in", "off",
                "by", "past"});
}

bool IsPreposition(std::string_view w) {
  return IsParticle(w) || In(w, {"to", "at", "by", "from", "with", "of", "for", "into", "onto",
                                 "after", "against", "upon", "across", "under", "like"});
}

// «on the table»: a preposition, "the" and a noun.
bool IsPrepositionalPhrase(std::string_view lemma) {
  const std::size_t first = lemma.find(' ');
  const std::size_t second = lemma.find(' ', first + 1);
  return second != std::string_view::npos && lemma.find(' ', second + 1) == std::string_view::npos &&
         IsPreposition(lemma.substr(0, first)) && lemma.substr(first + 1, second - first - 1) == "the";
}

bool IsShortObjectPronoun(std::string_view w) {
  return In(w, {"it", "him", "her", "them", "me", "us", "you", "this", "that", "everything",
                "something", "anything", "nothing"});
}

bool IsDeterminer(std::string_view w) {
  return In(w, {"the", "a", "an", "my", "your", "his", "her", "its", "our", "their", "this",
                "that", "these", "those", "some"});
}

bool IsSpace(wchar_t c) {
  return std::iswspace(c) || c == 0x00A0 || (c >= 0x2000 && c <= 0x200B) || c == 0x202F ||
         c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

bool IsLetter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

// Punctuation ends a word; apostrophes and hyphens belong to it, and so does a dot between
// letters (U.S.).
bool EndsWord(std::wstring_view text, std::size_t i) {
  const wchar_t c = text[i];
  if (IsSpace(c)) return true;
  if (c == L'.')
    return !(i > 0 && IsLetter(text[i - 1]) && i + 1 < text.size() && IsLetter(text[i + 1]));
  return std::wstring_view(L",;:!?()[]{}\"/\\|<>*&#@~`=+^%$\u2026\u2013\u2014").find(c) !=
             std::wstring_view::npos ||
         std::wstring_view(L"\u00AB\u00BB\u201A\u201B\u201C\u201D\u201E\u201F\u2039\u203A").find(c) !=
             std::wstring_view::npos;
}

bool IsEdgeMark(wchar_t c) {
  return c == L'\'' || c == L'-' || c == 0x2018 || c == 0x2019 || c == 0x02BC || c == 0x00AD ||
         c == 0x2010 || c == 0x2011;
}

struct Word {
  std::size_t begin = 0, end = 0;  // in the text
  std::string key;                 // lower-case 8-bit plain form; "" when it cannot be held
  bool breakBefore = false;        // a sentence end or a mark of punctuation before it
  bool capital = false;            // written with a capital
};

std::string KeyOf(std::wstring_view piece) {
  std::string key;
  for (wchar_t c : PlainLetters(piece)) {
    if (static_cast<std::uint32_t>(c) > 0xFF) return {};
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c += 0x20;
    key.push_back(static_cast<char>(c));
  }
  return key;
}

// Between two words: any mark but spaces parts them, and so does a line break before a
// capital (a heading, a list item) or an empty line.
bool Parts(std::wstring_view gap, wchar_t next) {
  std::size_t breaks = 0;
  for (wchar_t c : gap) {
    if (c == L'\n') ++breaks;
    else if (!IsSpace(c)) return true;
  }
  return breaks > 1 || (breaks == 1 && next >= L'A' && next <= L'Z');
}

std::vector<Word> WordsOf(std::wstring_view text) {
  std::vector<Word> words;
  std::size_t prevEnd = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (EndsWord(text, i)) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && !EndsWord(text, j)) ++j;
    std::size_t b = i, e = j;
    while (b < e && IsEdgeMark(text[b])) ++b;
    while (e > b && IsEdgeMark(text[e - 1])) --e;
    if (b < e) {
      Word w{b, e, KeyOf(text.substr(b, e - b))};
      w.capital = text[b] >= L'A' && text[b] <= L'Z';
      w.breakBefore = words.empty() || Parts(text.substr(prevEnd, b - prevEnd), text[b]);
      words.push_back(std::move(w));
      prevEnd = e;
    }
    i = j;
  }
  return words;
}

struct Match {
  std::size_t first = 0, last = 0;  // words of the text, inclusive
  std::string lemma;
  WordClass wordClass = WordClass::Noun;
};

std::string Joined(const std::vector<Word>& words, std::size_t first, std::size_t last) {
  std::string phrase = words[first].key;
  for (std::size_t i = first + 1; i <= last; ++i) phrase += " " + words[i].key;
  return phrase;
}

constexpr std::array<WordClass, 4> kClasses = {WordClass::Verb, WordClass::Noun, WordClass::Adj,
                                               WordClass::Adv};

// The longest run of words around the pointed one that is a lemma; of two lemmas as long, the
// one tagged more often.
std::optional<Match> Contiguous(const std::vector<Word>& words, std::size_t k,
                                IPhraseLexicon& lexicon) {
  for (std::size_t size = kLongest; size >= 2; --size) {
    std::vector<Match> found;
    for (std::size_t first = k >= size - 1 ? k - (size - 1) : 0; first <= k; ++first) {
      const std::size_t last = first + size - 1;
      if (last >= words.size()) break;
      bool usable = true, content = false;
      for (std::size_t i = first; i <= last && usable; ++i) {
        usable = !words[i].key.empty() && (i == first || !words[i].breakBefore);
        content = content || !IsFunctionWord(words[i].key);
      }
      if (!usable || !content) continue;
      const std::string phrase = Joined(words, first, last);
      for (WordClass c : kClasses) {
        std::string lemma = lexicon.PhraseLemma(phrase, c);
        if (lemma.empty() || (c == WordClass::Verb && ReadLiterally(lemma))) continue;
        // A name («the White House», «the prime minister») is not introduced as one of many
        // («a white house»).
        if (lemma[0] >= 'A' && lemma[0] <= 'Z' && !words[first].capital && first > 0 &&
            !words[first].breakBefore &&
            In(words[first - 1].key, {"a", "an", "another", "any", "each", "every", "no", "some"}))
          continue;
        // «ran up the hill»: the particle may be a preposition.
        const bool beforeObject = c == WordClass::Verb && IsPreposition(words[last].key) &&
                                  last + 1 < words.size() && !words[last + 1].breakBefore &&
                                  OpensNounPhrase(words[last + 1].key);
        const bool path = c == WordClass::Verb && IsPathParticle(words[last].key) &&
                           IsMotionVerb(lemma.substr(0, lemma.find(' ')));
        if (beforeObject && (path || lexicon.TaggedCount(lemma) < kMinCountBeforeObject ||
                             !lexicon.TakesObject(lemma)))
          continue;
        // «jumped out of the window», but «ran out of milk».
        if (path && last + 1 < words.size() && !words[last + 1].breakBefore &&
            words[last + 1].key == "of" && lexicon.TaggedCount(lemma) < kMinCountPathOutOf)
          continue;
        if (c != WordClass::Verb && IsPrepositionalPhrase(lemma) &&
            lexicon.TaggedCount(lemma) < kMinCountPrepositionalPhrase)
          continue;
        found.push_back({first, last, std::move(lemma), c});
        break;
      }
    }
    if (found.empty()) continue;
    if (found.size() > 1) {
      std::vector<int> counts;
      for (const Match& m : found) counts.push_back(lexicon.TaggedCount(m.lemma));
      return found[std::max_element(counts.begin(), counts.end()) - counts.begin()];
    }
    return found.front();
  }
  return std::nullopt;
}

// A phrasal verb split by a short object: «gave it up», «turned the light off». The pointed
// word is the verb or the particle, and what follows the particle is no noun phrase it would
// govern as a preposition («put it on the table»).
std::optional<Match> Split(const std::vector<Word>& words, std::size_t k, IPhraseLexicon& lexicon) {
  for (std::size_t objectSize = 1; objectSize <= kLongestObject; ++objectSize) {
    const std::size_t span = objectSize + 1;
    for (std::size_t verb : {k, k >= span ? k - span : words.size()}) {
      const std::size_t particle = verb + span;
      if (particle >= words.size() || (verb != k && particle != k)) continue;
      bool joined = true;
      for (std::size_t i = verb; i <= particle && joined; ++i)
        joined = !words[i].key.empty() && (i == verb || !words[i].breakBefore);
      if (!joined || !IsParticle(words[particle].key) || IsFunctionWord(words[verb].key)) continue;
      const std::string& o1 = words[verb + 1].key;
      const bool shortObject = objectSize == 1 ? IsShortObjectPronoun(o1)
                                               : IsDeterminer(o1) && !IsFunctionWord(words[verb + 2].key);
      if (!shortObject) continue;
      if (particle + 1 < words.size() && !words[particle + 1].breakBefore &&
          OpensNounPhrase(words[particle + 1].key))
        continue;
      std::string lemma =
          lexicon.PhraseLemma(words[verb].key + " " + words[particle].key, WordClass::Verb);
      if (!lemma.empty() && lexicon.TakesObject(lemma))
        return Match{verb, particle, std::move(lemma), WordClass::Verb};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Expression> FindExpression(std::wstring_view text, std::size_t at,
                                         IPhraseLexicon& lexicon) {
  if (at >= text.size()) return std::nullopt;
  const std::vector<Word> words = WordsOf(text);
  auto pointed = std::find_if(words.begin(), words.end(), [&](const Word& w) { return w.end > at; });
  if (pointed == words.end() || pointed->key.empty()) return std::nullopt;
  for (std::size_t i = at; i < pointed->begin; ++i)
    if (IsSpace(text[i])) return std::nullopt;  // the token holds no word
  const std::size_t k = static_cast<std::size_t>(pointed - words.begin());
  std::optional<Match> m = Contiguous(words, k, lexicon);
  if (!m) m = Split(words, k, lexicon);
  if (!m) return std::nullopt;
  return Expression{std::wstring(text.substr(words[m->first].begin,
                                             words[m->last].end - words[m->first].begin)),
                    std::move(m->lemma), m->wordClass};
}

}  // namespace qv
