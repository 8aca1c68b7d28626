#include "platform/paths/wininit_rename.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Several "NUL=" keys are normal in [rename]; each is another program's
// pending removal and must stay, in order, with ours after them.
TEST(WininitRename, AddsToTheEndOfTheSectionAndKeepsEverythingElse) {
  const struct {
    std::string before;
    const char* after;
  } cases[] = {
      {"", "[rename]\r\nNUL=C:\\A.TMP\r\n"},
      {"[Other]\r\nx=1", "[Other]\r\nx=1\r\n[rename]\r\nNUL=C:\\A.TMP\r\n"},
      {"[Rename]\r\nNUL=C:\\B.TMP\r\n\r\n[Other]\r\nx=1\r\n",
       "[Rename]\r\nNUL=C:\\B.TMP\r\nNUL=C:\\A.TMP\r\n\r\n[Other]\r\nx=1\r\n"},
      {" [RENAME] \r\nC:\\NEW.DLL=C:\\OLD.DLL\r\nNUL=C:\\B.TMP",
       " [RENAME] \r\nC:\\NEW.DLL=C:\\OLD.DLL\r\nNUL=C:\\B.TMP\r\nNUL=C:\\A.TMP\r\n"},
      {"[rename]\nNUL=C:\\B.TMP\n[renamed]\n", "[rename]\nNUL=C:\\B.TMP\nNUL=C:\\A.TMP\r\n[renamed]\n"},
      {"[renamed]\r\nx=1\r\n", "[renamed]\r\nx=1\r\n[rename]\r\nNUL=C:\\A.TMP\r\n"},
  };
  const char* line = "NUL=C:\\A.TMP";
  for (const auto& c : cases) {
    std::vector<char> out(RenameTextCapacity(c.before.size(), line));
    size_t length = AddRenameLine(c.before.data(), c.before.size(), line, out.data(), out.size());
    EXPECT_EQ(std::string(out.data(), length), c.after) << c.before;
    EXPECT_EQ(AddRenameLine(c.before.data(), c.before.size(), line, out.data(), out.size() - 1), 0u) << "a byte short";
  }
}

}  // namespace
