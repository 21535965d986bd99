// Fuzzer for the captured-word extraction and the whole composition of the popup, with the real
// dictionary data this build generated, the WordNet database and the text bundles: every odd
// word reaches the WordNet library the way a capture would hand it over. Input: the first byte
// picks how the rest becomes the captured text (UTF-8; 16-bit units, little-endian, for the
// characters around U+00FF and lone surrogates; one byte per character) and whether the
// composition is repeated, which must give the same texts again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/lookup/lookup_services.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using qv::fuzz::Fail;

class NoCapture : public qv::ITextCapture {
 public:
  bool CreateRequest() override { return false; }
  Result Capture(std::uint32_t, std::wstring_view) override { return {}; }
};
class NoMessages : public qv::IMessageBox {
 public:
  void Show(const std::wstring&, const std::wstring&, Kind) override {}
};
class NoPopup : public qv::IPopup {
 public:
  void Show(const std::wstring&, const std::wstring&) override {}
};

struct Services {
  NoCapture capture;
  NoMessages messages;
  NoPopup popup;
  qv::CStoreDictionary dictionary;
  qv::CBundleCaptions captions;
  qv::CWordNetAnalysis lexical;
  qv::CLookup lookup{{capture, messages, popup, dictionary, captions, lexical}};
  Services() {
    using qv::platform::Hive;
    qv::platform::SetValueOverride(Hive::LocalMachine, qv::kLexiconKeyPath, L"WNHome",
                                   qv::platform::Utf8ToWide(QV_LEXICON_HOME));
    qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"Target",
                                   qv::platform::Utf8ToWide(QV_BUNDLE_DIR));
    qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"QVLang", L"fr");
  }
};

bool IsDelimiter(wchar_t c) { return qv::kWordDelimiters.find(c) != std::wstring_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Services s;
  if (size < 1) return 0;
  std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::wstring text;
  switch (data[0] % 3) {
    case 0: text = qv::platform::Utf8ToWide(in); break;
    case 1:
      for (std::size_t i = 0; i + 1 < in.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(in[i]) |
                                     static_cast<unsigned char>(in[i + 1]) << 8);
      break;
    default:
      for (char c : in) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }

  // The extraction: trimming keeps a middle part with no delimiter at either end, and the 8-bit
  // conversion fails exactly when a character before the first null lies above U+00FF.
  std::wstring trimmed = qv::TrimDelimiters(text);
  if (!trimmed.empty() && (IsDelimiter(trimmed.front()) || IsDelimiter(trimmed.back())))
    Fail("lookup_fuzz", "delimiter left at an end");
  if (text.find(trimmed) == std::wstring::npos) Fail("lookup_fuzz", "trimmed text not in the text");
  std::string narrow = s.lookup.Word().ToNarrowWord(trimmed);
  std::wstring head = trimmed.substr(0, trimmed.find(L'\0'));
  bool wide = false;
  for (wchar_t c : head) wide = wide || static_cast<std::uint32_t>(c) > 0xFF;
  if ((s.lookup.Word().ConversionStatus != 0) != wide) Fail("lookup_fuzz", "conversion status");
  if (!wide && narrow.size() != head.size()) Fail("lookup_fuzz", "narrow word length");

  qv::LookupResult r = s.lookup.Compose(text);
  const std::wstring body = r.Body();
  if (r.Title().empty()) Fail("lookup_fuzz", "empty title");
  if (body.size() < 4 || body.compare(body.size() - 4, 4, L"</A>") != 0)
    Fail("lookup_fuzz", "body does not end with the link");
  if (data[0] & 0x80) {
    qv::LookupResult again = s.lookup.Compose(text);
    if (!(again == r)) Fail("lookup_fuzz", "second look-up differs");
  }
  return 0;
}
