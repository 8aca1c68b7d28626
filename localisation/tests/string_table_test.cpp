#include "localisation/string_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "localisation/memory_file.h"

namespace {

// Loads a table text the way a file on disk is loaded: the whole text, no skip.
int32_t LoadText(StringTable& table, const std::string& text, int32_t language = 0) {
  MemoryFile* stream = MemoryFileOpen("test.csv", "rbm");
  if (!text.empty()) text.copy(reinterpret_cast<char*>(MemoryFileAllocate(stream, uint32_t(text.size()))), text.size());
  return table.LoadStream(stream, language, false);
}

#ifndef _WIN32
TEST(ShippedTable, LoadsAsTheResourceWithFourBytesSkipped) {
  std::ifstream file(VT3_SHIPPED_TABLE, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(file)), {});
  SetEmbeddedTable(text.data(), static_cast<uint32_t>(text.size()));
  StringTable table;
  EXPECT_EQ(table.Load("update.csv", 2, false, false), 0);
  // Every row with six texts, the French note after the Swedish text no
  // column, RTF rows with their LF line breaks.
  ASSERT_GT(table.RowCount(), 0);
  for (int32_t row = 0; row < table.RowCount(); ++row)
    for (int32_t column = 0; column < 6; ++column) EXPECT_NE(table.Text(row, column), nullptr) << table.Label(row);
  EXPECT_EQ(std::strchr(table.Text(table.RowCount() - 1, 5), ';'), nullptr);
  const char* rtf = table.Lookup("LT_UPDATE_PATCH_TEXT");
  EXPECT_TRUE(rtf && std::strncmp(rtf, "{\\rtf1", 6) == 0 && std::strchr(rtf, '\n') && !std::strchr(rtf, '\r'));
  // "Lbl;" is skipped whole, so the header counts one language fewer.
  std::string shortHeader = "Lbl;English;French\r\nA;one;un\r\n";
  SetEmbeddedTable(shortHeader.data(), static_cast<uint32_t>(shortHeader.size()));
  ASSERT_EQ(table.Load("update.csv", 1, false, false), 0);
  EXPECT_STREQ(table.Lookup("a"), "one");
  SetEmbeddedTable(nullptr, 0);
  EXPECT_EQ(table.Load("update.csv", 0, false, false), -1);
}
#endif

struct FormatCase {
  std::string text;
  int32_t language, result, rows;
  std::vector<std::pair<const char*, const char*>> lookups;  // null: not found
  std::vector<std::tuple<const char*, int32_t, const char*>> inColumn = {};  // a label's text in another column
};

TEST(TableFormat, EachRuleOfTheFormatAndItsLimits) {
  const std::string field(4000, 'x'), y4095(4095, 'y'), q4095 = std::string(4094, 'q') + "\"";
  auto line = [&](size_t length) { return "A;" + field + ";" + field + ";" + std::string(length - 8004, 'x'); };
  const FormatCase cases[] = {
      // Quotes keep separators, line breaks (CR as LF) and doubled quotes.
      {"L;E;F\r\nX;\"a;b\r\nc\"\"d\";plain\r\nY;\"\"\"\"\r\n", 0, 0, 2, {{"X", "a;b\n\nc\"d"}, {"Y", "\""}}},
      // Only CR LF outside quotes ends a line.
      {"L;E\r\nA;one\ntwo\rthree\r\nB;last\r", 0, 0, 2, {{"A", "one\ntwo\rthree"}, {"B", "last"}}},
      // Missing fields are empty (English instead), extra ones dropped.
      {"L;E;F;G\r\nA;one\r\nB;1;2;3;4;5\r\nC;;x\r\n", 1, 0, 3,
       {{"A", "one"}, {"B", "2"}, {"C", "x"}, {"missing", nullptr}}},
      // An empty line ends the table; so does an empty or NUL header.
      {"L;E\r\nA;1\r\n\r\nB;2\r\n", 0, 0, 1, {{"A", "1"}, {"B", nullptr}}},
      {"\r\nL;E\r\nA;1\r\n", 0, 0, 0, {{"A", nullptr}}},
      // The header chooses the separator and counts the columns.
      {"L,E,F\r\nA,one;x,un\r\n", 1, 0, 1, {{"A", "un"}}},
      {"Label English\r\nA;one\r\n", 0, 0, 1, {{"A;one", nullptr}}},
      {"L;;E\r\nA;x;y\r\n", 1, 0, 1, {{"A", "x"}}},
      {";;;\r\nA;x\r\n", 0, 1, 0, {}},
      {"L;1;2;3;4;5;6;7;8\r\nA;a;b;c;d;e;f;g;h\r\n", 5, 0, 1, {{"A", "f"}}},  // six languages at most
      // Blanks stay, the first of two labels wins, case folds for A-Z only.
      {"L;E\r\n A ;spaced\r\nD;first\r\nd;second\r\n", 0, 0, 3, {{"A", nullptr}, {" a ", "spaced"}, {"D", "first"}}},
      {"L;E\r\n\xC9T\xC9;summer\r\n", 0, 0, 1, {{"\xC9t\xC9", "summer"}, {"\xE9t\xE9", nullptr}}},
      // Any column (the English one the launcher falls back on), English
      // where it has no text or does not exist.
      {"L;E;F;G\r\nA;one;un;eins\r\nB;two;;zwei\r\n", 1, 0, 2, {{"A", "un"}},
       {{"a", 2, "eins"}, {"B", 1, "two"}, {"A", 6, "one"}, {"A", -1, "one"}, {"C", 0, nullptr}}},
      // A line of 8192 characters or more, or a field of 4096 or more, fails
      // the load at its line number and leaves no rows, not even those of the
      // load before. Doubled quotes count as one character each. Catches
      // line-of-8192-accepted and field-of-4096-accepted.
      {"L;1;2;3\r\n" + line(8191) + "\r\nB;b\r\n", 0, 0, 2, {{"B", "b"}}},
      {"L;1;2;3\r\n" + line(8192) + "\r\nB;b\r\n", 0, 2, 0, {}},
      {"L;1;2;3\r\n" + line(8193) + "\r\nB;b\r\n", 0, 2, 0, {}},
      {std::string(9000, 'h') + "\r\nA;1\r\n", 0, 1, 0, {}},
      {"L;E;F\r\nA;x\r\nB;" + y4095 + ";z\r\n", 0, 0, 2, {{"B", y4095.c_str()}}},
      {"L;E;F\r\nA;x\r\nB;" + y4095 + "y;z\r\n", 0, 3, 0, {}},
      {"L;E\r\nA;\"" + std::string(4094, 'q') + "\"\"\"\r\n", 0, 0, 1, {{"A", q4095.c_str()}}},
  };
  StringTable table;  // one for all: a load that fails keeps nothing of the one before
  for (const FormatCase& c : cases) {
    EXPECT_EQ(LoadText(table, c.text, c.language), c.result) << c.text.substr(0, 40);
    EXPECT_EQ(table.RowCount(), c.rows) << c.text.substr(0, 40);
    for (const auto& lookup : c.lookups)
      EXPECT_STREQ(table.Lookup(lookup.first), lookup.second) << c.text.substr(0, 40) << " / " << lookup.first;
    for (const auto& [label, column, text] : c.inColumn)
      EXPECT_STREQ(table.Lookup(label, column), text) << c.text << " / " << label << " in " << column;
  }
}

// The table's stream: reading, seeking, odd input and the name's bound are
// the fuzz target's; these are the modes and an allocation that fails.
TEST(MemoryFile, ReadModesOnlyAndNoLengthWithoutData) {
  for (const char* mode : {static_cast<const char*>(nullptr), "b", "wb"}) EXPECT_EQ(MemoryFileOpen("x", mode), nullptr);
  EXPECT_EQ(MemoryFileOpen(nullptr, "rb"), nullptr);
  MemoryFile* stream = MemoryFileOpen("no/such/file", "R");
  ASSERT_NE(stream, nullptr);  // a missing file is an empty stream
  ASSERT_NE(MemoryFileAllocate(stream, 2), nullptr);
  EXPECT_EQ(MemoryFileAllocate(stream, 0xFFFFFFF0u), nullptr);
  EXPECT_EQ(MemoryFileGetc(stream), -1);  // nothing left to read
  MemoryFileClose(stream);
}

}  // namespace
