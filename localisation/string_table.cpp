#include "localisation/string_table.h"

#include <cstdlib>
#include <cstring>

#include "localisation/memory_file.h"

namespace {

constexpr int32_t kLabelColumn = kLanguageCount;

enum LineResult { kLineAbsent, kLineRead, kLineTooLong };

LineResult ReadLogicalLine(char* buffer, size_t limit, MemoryFile* stream) {
  buffer[0] = 0;
  int32_t c = MemoryFileGetc(stream);
  if (c < 0) return kLineAbsent;
  bool quoted = false;
  int32_t previous = -1;
  size_t n = 0;
  bool endedByCrLf = false;
  while (c >= 0) {
    if (c == '"') quoted = !quoted;
    if (!quoted && c == '\n' && previous == '\r') {
      --n;
      endedByCrLf = true;
      break;
    }
    if (quoted && c == '\r') c = '\n';
    if (n >= limit) {
      buffer[limit - 1] = 0;
      return kLineTooLong;
    }
    buffer[n++] = static_cast<char>(c);
    previous = c;
    c = MemoryFileGetc(stream);
  }
  if (!endedByCrLf && n > 0 && buffer[n - 1] == '\r') --n;
  if (n >= limit) {
    buffer[limit - 1] = 0;
    return kLineTooLong;
  }
  buffer[n] = 0;
  return buffer[0] ? kLineRead : kLineAbsent;
}

// Copies one field; returns where the next one starts, or null when the field
// does not fit the buffer.
const char* SplitField(const char* position, char* field, size_t limit, const char* separators) {
  bool quoted = false;
  bool previousClosedQuote = false;
  size_t n = 0;
  for (; *position; ++position) {
    char c = *position;
    if (!quoted && c && std::strchr(separators, c)) {
      field[n] = 0;
      return position + 1;
    }
    if (c == '"') {
      quoted = !quoted;
      if (previousClosedQuote) {
        if (n + 1 >= limit) return nullptr;
        field[n++] = '"';
        previousClosedQuote = false;
      } else {
        previousClosedQuote = !quoted;
      }
      continue;
    }
    if (n + 1 >= limit) return nullptr;
    field[n++] = c;
    previousClosedQuote = false;
  }
  field[n] = 0;
  return position;
}

char ChooseSeparator(const char* header) {
  const char* comma = std::strchr(header, ',');
  const char* semicolon = std::strchr(header, ';');
  if (semicolon && (!comma || semicolon < comma)) return ';';
  if (comma) return ',';
  return 0;
}

int32_t CountHeaderFields(const char* header, char separator) {
  int32_t count = 0;
  bool inPiece = false;
  for (const char* p = header; *p; ++p) {
    if (separator && *p == separator) {
      inPiece = false;
    } else if (!inPiece) {
      inPiece = true;
      ++count;
    }
  }
  return count;
}

char* CopyText(const char* text, bool* failed) {
  if (!text || !*text) return nullptr;
  size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (!copy) {
    *failed = true;
    return nullptr;
  }
  std::memcpy(copy, text, size);
  return copy;
}

bool LabelsEqual(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
    if (!x) return true;
  }
}

}  // namespace

StringTable::StringTable()
    : language(8), fallbackLanguage(0), rowCount(0), rowCapacity(0), columns(), currentColumn(nullptr) {}

StringTable::~StringTable() { Clear(); }

void StringTable::Clear() {
  for (char**& column : columns) {
    if (!column) continue;
    for (int32_t row = 0; row < rowCount; ++row) std::free(column[row]);
    std::free(column);
    column = nullptr;
  }
  rowCount = 0;
  rowCapacity = 0;
  currentColumn = nullptr;
}

int32_t StringTable::Load(const char* name, int32_t newLanguage, bool fromDisk, bool merge) {
  if (!merge) Clear();
  MemoryFile* stream = fromDisk ? MemoryFileOpen(name, "rb") : OpenTableResource(name);
  if (!stream) return -1;
  return LoadStream(stream, newLanguage, merge);
}

// One load: the stream, the line and field buffers, the header's separator
// and language columns, and the lines read so far (the error's line).
struct StringTableReader {
  MemoryFile* stream;
  char* line;
  size_t lineSize;
  char* field;
  size_t fieldSize;
  char separators[2];
  int32_t languageColumns;
  int32_t linesRead;

  LineResult NextLine() { return ReadLogicalLine(line, lineSize, stream); }
};

namespace {

// The separator and the number of language columns, from the header in
// the reader's line; false for a header too long or without a field.
bool ReadHeader(StringTableReader* reader, LineResult header) {
  if (header == kLineTooLong) return false;
  reader->separators[0] = ChooseSeparator(reader->line);
  int32_t fields = CountHeaderFields(reader->line, reader->separators[0]);
  reader->languageColumns = fields - 1 > kLanguageCount ? kLanguageCount : fields - 1;
  return fields != 0;
}

// The rows after the header, counted before any is stored so that the
// columns are allocated once; false at a line too long.
bool CountRows(StringTableReader* reader, int32_t* rows) {
  for (;;) {
    LineResult result = reader->NextLine();
    if (result == kLineAbsent) return true;
    ++reader->linesRead;
    if (result == kLineTooLong) return false;
    ++*rows;
  }
}

}  // namespace

int32_t StringTable::LoadStream(MemoryFile* stream, int32_t newLanguage, bool merge) {
  if (!merge) Clear();
  if (!stream) return -1;
  // Both buffers are sized by the format's limits; static keeps 12 KB off
  // the launcher's stack, and the table is loaded on one thread only.
  static char line[kLineLimit];
  static char field[kFieldLimit];
  StringTableReader reader = {stream, line, sizeof line, field, sizeof field, {0, 0}, 0, 0};
  LineResult header = reader.NextLine();
  if (header == kLineAbsent) {
    MemoryFileClose(stream);
    return 0;
  }
  reader.linesRead = 1;
  int32_t rows = 0;
  bool failed = !ReadHeader(&reader, header) || !CountRows(&reader, &rows);
  if (!failed) {
    MemoryFileSeek(stream, 0, 0);
    reader.linesRead = 0;
    failed = !merge && !AllocateColumns(rows);
  }
  if (!failed) failed = !ReadRows(&reader, rows, merge);
  MemoryFileClose(stream);
  if (failed) {
    Clear();
    return reader.linesRead > 0 ? reader.linesRead : 1;
  }
  SetLanguage(newLanguage);
  return 0;
}

bool StringTable::AllocateColumns(int32_t rows) {
  bool failed = false;
  for (char**& column : columns) {
    column = static_cast<char**>(std::calloc(rows ? rows : 1, sizeof(char*)));
    if (!column) failed = true;
  }
  if (!failed) rowCount = rowCapacity = rows;
  return !failed;
}

bool StringTable::ReadRows(StringTableReader* reader, int32_t rows, bool merge) {
  reader->NextLine();
  reader->linesRead = 1;
  for (int32_t i = 0; i < rows; ++i) {
    if (reader->NextLine() != kLineRead) return false;
    ++reader->linesRead;
    if (!ReadRow(reader, i, merge)) return false;
  }
  return true;
}

// A merge puts the texts in the row of the same label, or in a new row at
// the end; a first load in row `index`.
bool StringTable::ReadRow(StringTableReader* reader, int32_t index, bool merge) {
  const char* position = SplitField(reader->line, reader->field, reader->fieldSize, reader->separators);
  if (!position) return false;
  bool failed = false;
  int32_t row = index;
  if (merge) {
    row = reader->field[0] ? FindRow(reader->field) : -1;
    if (row < 0) {
      if (!AppendRow()) return false;
      row = rowCount - 1;
      columns[kLabelColumn][row] = CopyText(reader->field, &failed);
    }
  } else {
    columns[kLabelColumn][row] = CopyText(reader->field, &failed);
  }
  for (int32_t k = 0; k < reader->languageColumns && !failed; ++k) {
    position = SplitField(position, reader->field, reader->fieldSize, reader->separators);
    if (!position) return false;
    if (merge) {
      std::free(columns[k][row]);
      columns[k][row] = nullptr;
    }
    columns[k][row] = CopyText(reader->field, &failed);
  }
  return !failed;
}

void StringTable::SetLanguage(int32_t newLanguage) {
  language = newLanguage;
  currentColumn = (newLanguage >= 0 && newLanguage < kLanguageCount) ? columns[newLanguage] : nullptr;
}

int32_t StringTable::FindRow(const char* label) const {
  if (!label || !columns[kLabelColumn]) return -1;
  for (int32_t row = 0; row < rowCount; ++row) {
    const char* rowLabel = columns[kLabelColumn][row];
    if (rowLabel && LabelsEqual(rowLabel, label)) return row;
  }
  return -1;
}

bool StringTable::AppendRow() {
  if (rowCount == rowCapacity) {
    int32_t capacity = rowCapacity < 16 ? 16 : rowCapacity * 2;
    char** grown[kLanguageCount + 1];
    for (int32_t k = 0; k <= kLanguageCount; ++k) {
      grown[k] = static_cast<char**>(std::calloc(static_cast<size_t>(capacity), sizeof(char*)));
      if (!grown[k]) {
        for (int32_t j = 0; j < k; ++j) std::free(grown[j]);
        return false;
      }
      if (rowCount) std::memcpy(grown[k], columns[k], static_cast<size_t>(rowCount) * sizeof(char*));
    }
    for (int32_t k = 0; k <= kLanguageCount; ++k) {
      std::free(columns[k]);
      columns[k] = grown[k];
    }
    rowCapacity = capacity;
  }
  for (int32_t k = 0; k <= kLanguageCount; ++k) columns[k][rowCount] = nullptr;
  ++rowCount;
  SetLanguage(language);
  return true;
}

const char* StringTable::Lookup(const char* label) const {
  int32_t row = FindRow(label);
  if (row < 0) return nullptr;
  if (currentColumn && currentColumn[row]) return currentColumn[row];
  return columns[fallbackLanguage][row];
}

const char* StringTable::Lookup(const char* label, int32_t inLanguage) const {
  int32_t row = FindRow(label);
  if (row < 0) return nullptr;
  const char* text = Text(row, inLanguage);
  return text ? text : columns[fallbackLanguage][row];
}

const char* StringTable::Label(int32_t row) const {
  return (row >= 0 && row < rowCount) ? columns[kLabelColumn][row] : nullptr;
}

const char* StringTable::Text(int32_t row, int32_t column) const {
  if (row < 0 || row >= rowCount || column < 0 || column >= kLanguageCount) return nullptr;
  return columns[column][row];
}

MemoryFile* OpenEmbeddedTableStream(const char* name, const void* bytes, uint32_t size) {
  MemoryFile* stream = MemoryFileOpen(name, "rbm");
  if (!stream) return nullptr;
  if (bytes && size > 4) {
    unsigned char* buffer = MemoryFileAllocate(stream, size - 4);
    if (!buffer) {
      MemoryFileClose(stream);
      return nullptr;
    }
    std::memcpy(buffer, static_cast<const unsigned char*>(bytes) + 4, size - 4);
  }
  return stream;
}
