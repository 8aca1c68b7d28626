#include "localisation/string_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "localisation/language.h"
#include "localisation/tests/shipped_table.h"
#include "localisation/tests/table_test_util.h"

namespace {

[[maybe_unused]] std::string ReadShippedTable() {
  std::ifstream file(VT3_SHIPPED_TABLE, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(ShippedTable, LoadsFromDiskWithAllRowsAndKnownTexts) {
  StringTable table;
  ASSERT_EQ(table.Load(VT3_SHIPPED_TABLE, 0, true, false), 0);
  EXPECT_EQ(CheckShippedTable(table), "");
  EXPECT_NE(table.Lookup("lt_update_disque_dur"), nullptr);
  EXPECT_EQ(table.Lookup("LT_UPDATE_TELE_ERROR"), nullptr);
  EXPECT_NE(table.Lookup("lt_update _tele_error"), nullptr);
}

#ifndef _WIN32
TEST(ShippedTable, LoadsThroughTheEmbeddedPathWithFourBytesSkipped) {
  std::string text = ReadShippedTable();
  SetEmbeddedTable(text.data(), static_cast<uint32_t>(text.size()));
  StringTable table;
  table.Clear();
  EXPECT_EQ(table.Load("update.csv", 2, false, false), 0);
  EXPECT_EQ(table.Language(), 2);
  EXPECT_EQ(CheckShippedTable(table), "");
  SetEmbeddedTable(nullptr, 0);
  EXPECT_EQ(table.Load("update.csv", 0, false, false), -1);
  EXPECT_EQ(table.RowCount(), 0);
}

TEST(EmbeddedTable, ShortFirstHeaderFieldLosesAColumnToTheSkip) {
  // "Lbl;" is skipped whole, so the header counts one language fewer.
  std::string text = "Lbl;English;French\r\nA;one;un\r\n";
  SetEmbeddedTable(text.data(), static_cast<uint32_t>(text.size()));
  StringTable table;
  ASSERT_EQ(table.Load("update.csv", 1, false, false), 0);
  EXPECT_STREQ(table.Text(0, 0), "one");
  EXPECT_EQ(table.Text(0, 1), nullptr);
  EXPECT_STREQ(table.Lookup("a"), "one");
  std::string tiny = "abcd";
  SetEmbeddedTable(tiny.data(), 4);
  EXPECT_EQ(table.Load("update.csv", 0, false, false), 0);
  EXPECT_EQ(table.RowCount(), 0);
  SetEmbeddedTable(nullptr, 0);
}
#endif

TEST(TableFormat, QuotedFieldKeepsSeparatorLineBreaksAndDoubledQuote) {
  StringTable table;
  ASSERT_EQ(LoadText(table, "L;E;F\r\nX;\"a;b\r\nc\"\"d\";plain\r\nY;\"\"\"\"\r\n"), 0);
  ASSERT_EQ(table.RowCount(), 2);
  EXPECT_STREQ(table.Text(0, 0), "a;b\n\nc\"d");
  EXPECT_STREQ(table.Text(0, 1), "plain");
  EXPECT_STREQ(table.Text(1, 0), "\"");
}

TEST(TableFormat, OnlyCrLfOutsideQuotesEndsALine) {
  StringTable table;
  ASSERT_EQ(LoadText(table, "L;E\r\nA;one\ntwo\rthree\r\nB;last\r"), 0);
  ASSERT_EQ(table.RowCount(), 2);
  EXPECT_STREQ(table.Text(0, 0), "one\ntwo\rthree");
  EXPECT_STREQ(table.Text(1, 0), "last");
}

TEST(TableFormat, MissingFieldsAreEmptyAndExtraFieldsDropped) {
  StringTable table;
  ASSERT_EQ(LoadText(table, "L;E;F;G\r\nA;one\r\nB;1;2;3;4;5\r\nC;;x\r\n", 1), 0);
  EXPECT_STREQ(table.Text(0, 0), "one");
  EXPECT_EQ(table.Text(0, 1), nullptr);
  EXPECT_STREQ(table.Text(1, 2), "3");
  EXPECT_EQ(table.Text(1, 3), nullptr);
  EXPECT_EQ(table.Text(2, 0), nullptr);
  EXPECT_STREQ(table.Lookup("A"), "one");  // French empty: English
  EXPECT_STREQ(table.Lookup("C"), "x");
  EXPECT_EQ(table.Lookup("missing"), nullptr);
}

TEST(TableFormat, EmptyLineEndsTheTable) {
  StringTable table;
  ASSERT_EQ(LoadText(table, "L;E\r\nA;1\r\n\r\nB;2\r\n"), 0);
  EXPECT_EQ(table.RowCount(), 1);
  EXPECT_EQ(table.Lookup("B"), nullptr);
  ASSERT_EQ(LoadText(table, ""), 0);
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_EQ(table.Lookup("A"), nullptr);
  ASSERT_EQ(LoadText(table, "\r\nL;E\r\nA;1\r\n"), 0);
  EXPECT_EQ(table.RowCount(), 0);
  ASSERT_EQ(LoadText(table, std::string("\0;E\r\nA;1\r\n", 10)), 0);
  EXPECT_EQ(table.RowCount(), 0);
}

TEST(TableFormat, HeaderChoosesSeparatorAndCountsColumns) {
  StringTable table;
  ASSERT_EQ(LoadText(table, "L,E,F\r\nA,one;x,un\r\n", 1), 0);
  EXPECT_STREQ(table.Lookup("A"), "un");
  EXPECT_STREQ(table.Text(0, 0), "one;x");
  ASSERT_EQ(LoadText(table, "Label English\r\nA;one\r\n"), 0);
  EXPECT_STREQ(table.Label(0), "A;one");
  EXPECT_EQ(table.Lookup("A;one"), nullptr);
  ASSERT_EQ(LoadText(table, "L;;E\r\nA;x;y\r\n"), 0);
  EXPECT_STREQ(table.Text(0, 0), "x");
  EXPECT_EQ(table.Text(0, 1), nullptr);
  EXPECT_EQ(LoadText(table, ";;;\r\nA;x\r\n"), 1);
  EXPECT_EQ(table.RowCount(), 0);
  // More than seven header fields: six language columns, the rest ignored.
  ASSERT_EQ(LoadText(table, "L;1;2;3;4;5;6;7;8\r\nA;a;b;c;d;e;f;g;h\r\n", 5), 0);
  EXPECT_STREQ(table.Lookup("A"), "f");
}

TEST(TableFormat, BlanksStayAndDuplicateLabelsFindTheFirst) {
  StringTable table;
  ASSERT_EQ(LoadText(table, "L;E\r\n A ;spaced\r\nD;first\r\nd;second\r\n"), 0);
  EXPECT_EQ(table.Lookup("A"), nullptr);
  EXPECT_STREQ(table.Lookup(" a "), "spaced");
  EXPECT_STREQ(table.Lookup("D"), "first");
  EXPECT_EQ(table.RowCount(), 3);
  // Case folds for A-Z only: accented capitals must match exactly.
  ASSERT_EQ(LoadText(table, "L;E\r\n\xC9T\xC9;summer\r\n"), 0);
  EXPECT_STREQ(table.Lookup("\xC9t\xC9"), "summer");
  EXPECT_EQ(table.Lookup("\xE9t\xE9"), nullptr);
}

TEST(TableLimits, LineOf8191FitsAnd8192Fails) {
  for (size_t length : {8190u, 8191u, 8192u, 8193u}) {
    // Label, separator and a text that is cut into fields of 4000.
    std::string body = "A;";
    while (body.size() < length) body += (body.size() % 4000 == 0) ? ';' : 'x';
    StringTable table;
    int32_t result = LoadText(table, "L;1;2;3\r\n" + body + "\r\nB;b\r\n");
    if (length <= 8191) {
      EXPECT_EQ(result, 0) << length;
      EXPECT_STREQ(table.Lookup("B"), "b") << length;
    } else {
      EXPECT_EQ(result, 2) << length;
      EXPECT_EQ(table.RowCount(), 0);
    }
  }
  StringTable table;
  EXPECT_EQ(LoadText(table, std::string(9000, 'h') + "\r\nA;1\r\n"), 1);
}

TEST(TableLimits, FieldOf4095FitsAnd4096Fails) {
  for (size_t length : {4094u, 4095u, 4096u, 4097u}) {
    StringTable table;
    std::string text = "L;E;F\r\nA;x\r\nB;" + std::string(length, 'y') + ";z\r\n";
    int32_t result = LoadText(table, text);
    if (length <= 4095) {
      ASSERT_EQ(result, 0) << length;
      EXPECT_EQ(std::strlen(table.Text(1, 0)), length);
      EXPECT_STREQ(table.Text(1, 1), "z");
    } else {
      EXPECT_EQ(result, 3) << length;
      EXPECT_EQ(table.RowCount(), 0);
    }
  }
  // A quoted field's doubled quotes count as one character each.
  StringTable table;
  std::string quoted = "\"" + std::string(4094, 'q') + "\"\"\"";
  ASSERT_EQ(LoadText(table, "L;E\r\nA;" + quoted + "\r\n"), 0);
  EXPECT_EQ(std::strlen(table.Lookup("A")), 4095u);
}

TEST(TableModes, MergeOverlaysRowsAndAppendsNewOnes) {
  StringTable table;
  ASSERT_EQ(LoadText(table, "L;E;F\r\nA;one;un\r\nB;two;deux\r\n", 1), 0);
  ASSERT_EQ(LoadText(table, "L;E;F\r\nb;TWO;\r\nC;three;trois\r\n;ghost;x\r\n", 1, true), 0);
  EXPECT_EQ(table.RowCount(), 4);
  EXPECT_STREQ(table.Lookup("A"), "un");
  EXPECT_STREQ(table.Lookup("B"), "TWO");  // French emptied: English
  EXPECT_STREQ(table.Lookup("C"), "trois");
  EXPECT_EQ(table.Label(3), nullptr);
  EXPECT_STREQ(table.Label(1), "B");
  // A failing merge clears everything.
  EXPECT_GT(LoadText(table, "L;E\r\nD;" + std::string(5000, 'z') + "\r\n", 0, true), 0);
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_EQ(table.Lookup("A"), nullptr);
}

TEST(TableModes, FromDiskReadsTheWholeFileAndAMissingFileIsEmpty) {
  StringTable table;
  EXPECT_EQ(table.Load("no/such/table.csv", 0, true, false), 0);
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_EQ(table.Load(std::string(300, 'n').c_str(), 0, true, false), -1);
}

TEST(Language, IdentifiersMapByTheirPrimaryByte) {
  EXPECT_EQ(LanguageIndexFromId(0x040C), 1);
  EXPECT_EQ(LanguageIndexFromId(0x0C), 1);
  EXPECT_EQ(LanguageIndexFromId(0x0407), 2);
  EXPECT_EQ(LanguageIndexFromId(0x0C0A), 3);
  EXPECT_EQ(LanguageIndexFromId(0x0410), 4);
  EXPECT_EQ(LanguageIndexFromId(0x041D), 5);
  EXPECT_EQ(LanguageIndexFromId(0x0409), 0);
  EXPECT_EQ(LanguageIndexFromId(0x0413), 0);
  EXPECT_EQ(LanguageIndexFromId(0x0416), 0);
  EXPECT_EQ(LanguageIndexFromId(0x0411), 0);
  EXPECT_EQ(LanguageIndexFromId(0xFFFFFFFFu), 0);
  EXPECT_STREQ(StringTable::LanguageName(1), "Fran\xE7" "ais");
  EXPECT_EQ(StringTable::LanguageName(6), nullptr);
}

}  // namespace
