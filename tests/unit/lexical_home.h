// The tests' WordNet database, found as the program finds it: its folder's parent as the lexicon
// home (WNHome) under the local machine's key. QV_LEXICAL_HOME is that parent.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/settings.h"
#include "platform/registry.h"
#include "tests/unit/frequent_lemmas.h"  // HostPath
#ifndef _WIN32
#include "platform/registry_stub.h"
#endif

namespace qv::testing {

inline void UseTestLexicalHome() {
#ifndef _WIN32
  platform::stub::ResetRegistry();
#endif
  const std::string home = HostPath(QV_LEXICAL_HOME);
  platform::RegKey key = platform::RegKey::Create(platform::Hive::LocalMachine, kLexiconKeyPath);
  ASSERT_TRUE(key);
  ASSERT_TRUE(key.WriteWide(L"WNHome", std::wstring(home.begin(), home.end())));
}

}  // namespace qv::testing
