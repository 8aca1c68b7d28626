#include <gtest/gtest.h>

#include "platform/paths/update_names.h"

TEST(UpdateNames, OnlyTheExactFormMatches) {
  const UpdateNameForm kRunFolder = {"vt3_", "", false, false}, kTemporary = {"tmp", ".tmp", false, false};
  const UpdateNameForm kNewGame = {"tmp", ".tmp", false, true}, kHalfMadeLink = {"Vantor 3.lnk.", ".tmp", true, false};
  struct Case {
    const char* name;
    const UpdateNameForm* form;
    bool matches;
  } cases[] = {
      {"vt3_0123456789abcdef", &kRunFolder, true},
      {"VT3_0123456789ABCDEF", &kRunFolder, true},
      {"vt3_0123456789abcde", &kRunFolder, false},    // 15 digits
      {"vt3_0123456789abcdef0", &kRunFolder, false},  // 17
      {"vt3_0123456789abcdeg", &kRunFolder, false},
      {"vt3_\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19" "abcdef", &kRunFolder, false},  // control bytes are no digits
      {"tmp0123456789abcdef.TMP", &kTemporary, true},
      {"tmp1a2b.tmp", &kTemporary, false},
      {"tmp0123456789abcdef.tmpx", &kTemporary, false},
      {"tmp0123456789abcdef.tm", &kTemporary, false},
      {"tmp1a2b.tmp", &kNewGame, true},
      {"TMP1.TMP", &kNewGame, true},
      {"tmp1a2b3.tmp", &kNewGame, false},  // five digits: no name of ours
      {"tmp.tmp", &kNewGame, false},
      {"tmp0123456789abcdef.tmp", &kNewGame, true},
      {"Vantor 3.lnk.0123456789ABCDEF.Tmp", &kHalfMadeLink, true},
      {"vantor 3.lnk.0123456789abcdef.tmp", &kHalfMadeLink, false},
      {"Vantor 3.lnk0123456789abcdef.tmp", &kHalfMadeLink, false},
      {"", &kRunFolder, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsUpdateName(c.name, *c.form), c.matches) << c.name;
  // Wide names as narrow ones.
  EXPECT_TRUE(IsUpdateName(L"Vantor 3.lnk.0123456789abcdef.tmp", kHalfMadeLink));
  // A letter outside ASCII is never a digit, nor the same as an ASCII one.
  EXPECT_FALSE(IsUpdateName(L"Vantor 3.lnk.0123456789abcde\xFF46.tmp", kHalfMadeLink));
  EXPECT_FALSE(IsUpdateName(L"Vantor 3.lnk.0123456789abcdef.\x0174mp", kHalfMadeLink));
  EXPECT_FALSE(IsUpdateName(L"Vantor 3.lnk.0123456789abcdef", kHalfMadeLink));
}
