#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "localisation/language.h"
#include "platform/game_key.h"
#include "tests/support/harness.h"

namespace {

// The table of resource 151 and the game's "Language" value show in every
// update's message; without the game key the system language decides (run
// with a non-English Wine locale: Wine takes the system language from the
// locale it starts with).
TEST(GameLanguage, WithoutTheGameKeyTheSystemLanguageDecides) {
  DeleteMachineTree(kGameKeyPath);
  EXPECT_EQ(GetLanguageIndex(), LanguageIndexFromId(GetSystemDefaultLangID()));
  const char* expected = std::getenv("VT3_EXPECT_SYSTEM_LANGUAGE");
  if (!expected) GTEST_SKIP() << "run with a non-English Wine locale to check this";
  EXPECT_EQ(GetLanguageIndex(), std::atoi(expected));
}

}  // namespace
