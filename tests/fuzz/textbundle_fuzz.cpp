// Fuzzer for the text bundle's GetText over arbitrary bundle files, read through the installation
// directory and language the registry names, as the program reads them. Input: the first byte
// picks the section (Main or About), then the key up to a NUL byte; the rest is the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/settings.h"
#include "core/dictionary/text_bundle.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// A private folder for the bundle, named in the registry once for the whole run and removed
// at its end.
struct BundleFolder {
  std::string dir, file;
  BundleFolder() {
    const char* tmp = std::getenv("TMPDIR");
    dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/qv_textbundle_fuzz.XXXXXX";
    if (!mkdtemp(dir.data())) qv::fuzz::Fail("textbundle_fuzz", "no temporary folder");
    file = dir + "/qv_rb.fr";
    using qv::platform::Hive;
    qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"Target",
                                   qv::platform::Utf8ToWide(dir + "/"));
    qv::platform::SetValueOverride(Hive::LocalMachine, qv::kMainKeyPath, L"QVLang", L"fr");
  }
  ~BundleFolder() {
    std::remove(file.c_str());
    std::remove(dir.c_str());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using qv::fuzz::Fail;
  if (size < 1) return 0;
  const wchar_t* section = data[0] & 1 ? qv::kAboutSection : qv::kMainSection;
  std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::size_t nul = in.find('\0');
  std::wstring key = qv::platform::AnsiToWide(in.substr(0, nul));
  in.remove_prefix(nul == std::string_view::npos ? in.size() : nul + 1);

  static BundleFolder folder;
  const std::string& path = folder.file;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) Fail("textbundle_fuzz", "cannot write the bundle");
  std::fwrite(in.data(), 1, in.size(), f);
  std::fclose(f);

  qv::CTextBundle localizer(section);
  std::wstring text = localizer.GetText(key);
  if (text.size() > 254) Fail("textbundle_fuzz", "text longer than 254 characters");
  if (localizer.BundlePath().empty()) Fail("textbundle_fuzz", "bundle path lost");
  return 0;
}
