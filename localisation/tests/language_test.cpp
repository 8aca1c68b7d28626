#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "game/game_key.h"
#include "localisation/language.h"
#include "tests/support/harness.h"

namespace {

// The game's "Language" value shows in every update's message; without the
// game key the system language decides. ctest runs this in Spanish,
// Japanese and Swedish Wine locales (Wine takes the system language from
// the locale it starts with) and names the index each must give.
TEST(GameLanguage, WithoutTheGameKeyTheSystemLanguageDecides) {
  const char* expected = std::getenv("VT3_EXPECT_SYSTEM_LANGUAGE");
  if (!expected) GTEST_SKIP() << "needs a Wine locale and its language: run by ctest as system_language_*";
  DeleteMachineTree(kGameKeyPath);
  EXPECT_EQ(GetLanguageIndex(), std::atoi(expected));
}

}  // namespace
