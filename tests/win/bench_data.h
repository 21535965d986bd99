// The Windows benchmarks' set-up: the program's registry values, as this process sees them,
// point at the repository's bundles and the generated lexicon home.
#pragma once

#include <algorithm>
#include <string>

#include "core/settings.h"
#include "platform/registry.h"

namespace qv::test {

inline void PointAtGeneratedData() {
  std::wstring data = L"Z:" QV_SOURCE_DIR L"/data/";
  std::replace(data.begin(), data.end(), L'/', L'\\');
  using platform::Hive;
  platform::SetValueOverride(Hive::LocalMachine, kMainKeyPath, L"Target", data);
  platform::SetValueOverride(Hive::LocalMachine, kMainKeyPath, L"QVLang", L"fr");
  platform::SetValueOverride(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", L"" QV_LEXICON_HOME);
}

}  // namespace qv::test
