// The launcher's localised texts: rows keyed by a label, one text per
// language, read from a semicolon-separated table.
#pragma once
#include <cstddef>
#include <cstdint>

struct MemoryFile;
struct StringTableReader;

constexpr int32_t kLanguageCount = 6;
constexpr size_t kLineLimit = 8192;
constexpr size_t kFieldLimit = 4096;

class StringTable {
 public:
  StringTable();
  ~StringTable();
  StringTable(const StringTable&) = delete;
  StringTable& operator=(const StringTable&) = delete;

  void Clear();
  // 0 loaded, -1 no stream, positive: the line (header = 1) where the
  // table turned out malformed or memory ran out; the table is then empty.
  int32_t Load(const char* name, int32_t language, bool fromDisk, bool merge);
  // Same as Load on a stream the caller made; the stream is always closed.
  int32_t LoadStream(MemoryFile* stream, int32_t language, bool merge);
  void SetLanguage(int32_t language);
  const char* Lookup(const char* label) const;
  // The label's text in `language` (0 to 5) rather than the table's own,
  // English where that column has none; null for an unknown label.
  const char* Lookup(const char* label, int32_t language) const;

  int32_t RowCount() const { return rowCount; }
  int32_t Language() const { return language; }
  const char* Label(int32_t row) const;
  const char* Text(int32_t row, int32_t column) const;

 private:
  int32_t FindRow(const char* label) const;
  bool AppendRow();
  // The stages of LoadStream.
  bool AllocateColumns(int32_t rows);
  bool ReadRows(StringTableReader* reader, int32_t rows, bool merge);
  bool ReadRow(StringTableReader* reader, int32_t index, bool merge);

  int32_t language;
  int32_t fallbackLanguage;
  int32_t rowCount;
  // Rows the arrays have room for: a merging load grows them by doubling,
  // not one row at a time.
  int32_t rowCapacity;
  char** columns[kLanguageCount + 1];
  char** currentColumn;
};

// Makes the stream the loader reads for an embedded table: the table text
// starts at byte 4 of the resource. Null when no stream can be made.
MemoryFile* OpenEmbeddedTableStream(const char* name, const void* bytes, uint32_t size);

// Where the embedded table comes from: resource "LOCALISE" 151 of the running
// module on Windows; a buffer given by SetEmbeddedTable in native builds.
MemoryFile* OpenTableResource(const char* name);
#ifndef _WIN32
void SetEmbeddedTable(const void* bytes, uint32_t size);
#endif
