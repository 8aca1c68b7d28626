#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

TEST(TableResource, DiskTableLoadsTheSameRows) {
  StringTable table;
  ASSERT_EQ(table.Load(VT3_SHIPPED_TABLE, 0, true, false), 0);
  EXPECT_EQ(CheckShippedTable(table), "");
}

struct LanguageCase {
  DWORD value;
  int32_t index;
};

TEST(GameLanguage, LanguageValueChoosesTheColumn) {
  const LanguageCase cases[] = {{0x040C, 1}, {0x0C, 1}, {0x0407, 2}, {0x041D, 5}, {0x0410, 4},
                                {0x0C0A, 3}, {0x0413, 0}, {0x0416, 0}, {0x0409, 0}};
  for (const LanguageCase& c : cases) {
    ASSERT_TRUE(SetMachineDword(kGameKeyPath, "Language", c.value));
    EXPECT_EQ(GetLanguageIndex(), c.index) << std::hex << c.value;
  }
  // A value too long for four bytes cannot be read: English.
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "Language", "French"));
  EXPECT_EQ(GetLanguageIndex(), 0);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKeyPath, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, "Language");
  RegCloseKey(key);
  EXPECT_EQ(GetLanguageIndex(), 0);  // key without the value: English, whatever the system says
  DeleteMachineTree(kGameKeyPath);
  EXPECT_EQ(GetLanguageIndex(), LanguageIndexFromId(GetSystemDefaultLangID()));
}

TEST(GameLanguage, WithoutTheGameKeyTheSystemLanguageDecides) {
  // Wine takes the system language from the locale it was started with.
  DeleteMachineTree(kGameKeyPath);
  const char* locale = getenv("VT3_EXPECT_SYSTEM_LANGUAGE");
  if (!locale) GTEST_SKIP() << "run with a non-English Wine locale to check this";
  EXPECT_EQ(GetLanguageIndex(), atoi(locale));
}

}  // namespace
