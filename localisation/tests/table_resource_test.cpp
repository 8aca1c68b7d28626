#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "localisation/language.h"
#include "localisation/string_table.h"
#include "localisation/tests/shipped_table.h"
#include "platform/game_key.h"
#include "tests/support/harness.h"

namespace {

TEST(TableResource, ShippedTableLoadsFromResource151) {
  StringTable table;
  table.Clear();
  ASSERT_EQ(table.Load("update.csv", 1, false, false), 0);
  EXPECT_EQ(table.Language(), 1);
  EXPECT_EQ(CheckShippedTable(table), "");
}

// The game's "Language" value chooses the column by its low byte; one that
// cannot be read as four bytes, or is missing, is English; without the game
// key the system language decides.
TEST(GameLanguage, TheGameValueOrElseTheSystemLanguage) {
  ASSERT_TRUE(SetMachineDword(kGameKeyPath, "Language", 0x041D));
  EXPECT_EQ(GetLanguageIndex(), 5);
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "Language", "French"));
  EXPECT_EQ(GetLanguageIndex(), 0);
  DeleteMachineValue(kGameKeyPath, "Language");
  EXPECT_EQ(GetLanguageIndex(), 0);
  DeleteMachineTree(kGameKeyPath);
  EXPECT_EQ(GetLanguageIndex(), LanguageIndexFromId(GetSystemDefaultLangID()));
}

// Run with a non-English Wine locale (Wine takes the system language from
// the locale it starts with).
TEST(GameLanguage, WithoutTheGameKeyTheSystemLanguageDecides) {
  DeleteMachineTree(kGameKeyPath);
  const char* expected = std::getenv("VT3_EXPECT_SYSTEM_LANGUAGE");
  if (!expected) GTEST_SKIP() << "run with a non-English Wine locale to check this";
  EXPECT_EQ(GetLanguageIndex(), std::atoi(expected));
}

}  // namespace
