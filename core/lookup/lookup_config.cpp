#include "core/lookup/lookup_config.h"

#include "core/settings.h"
#include "platform/registry.h"

namespace qv {

using platform::Hive;

LookupConfig LookupConfig::FromRegistry() {
  return {ReadInstallDir(), ReadLanguageCode(), ReadLexiconHome(Hive::LocalMachine),
          ReadLexiconHome(Hive::CurrentUser)};
}

std::string LookupConfig::WordNetDir() const {
  for (const std::optional<std::string>& home : {lexiconHome, userLexiconHome})
    if (home) {
      bool sep = !home->empty() && (home->back() == '\\' || home->back() == '/');
      return *home + (sep ? "dict" : "\\dict");
    }
  return kDefaultWordNetDir;
}

namespace {
std::uint64_t g_generation = 0;
}

const LookupConfig& CurrentLookupConfig() {
  // Both hives' main keys, with what lies below them: the user's QVLang and WNHome, the
  // installation's Target, QVLang and WNHome.
  static platform::KeyWatch mainKey(Hive::LocalMachine, kMainKeyPath);
  static platform::KeyWatch userKey(Hive::CurrentUser, kMainKeyPath);
  static LookupConfig config;
  const bool mainChanged = mainKey.Changed();
  if (userKey.Changed() || mainChanged) {
    LookupConfig fresh = LookupConfig::FromRegistry();
    if (!(fresh == config)) {
      config = std::move(fresh);
      ++g_generation;
    }
  }
  return config;
}

std::uint64_t LookupConfigGeneration() {
  CurrentLookupConfig();
  return g_generation;
}

}  // namespace qv
