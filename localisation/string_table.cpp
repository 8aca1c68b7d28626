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

int32_t StringTable::LoadStream(MemoryFile* stream, int32_t newLanguage, bool merge) {
  if (!merge) Clear();
  if (!stream) return -1;
  // Both buffers are sized by the format's limits; static keeps 12 KB off
  // the launcher's stack, and the table is loaded on one thread only.
  static char line[kLineLimit];
  static char field[kFieldLimit];
  int32_t linesRead = 0;
  bool failed = false;

  LineResult header = ReadLogicalLine(line, sizeof line, stream);
  if (header == kLineAbsent) {
    MemoryFileClose(stream);
    return 0;
  }
  linesRead = 1;
  char separators[2] = {0, 0};
  int32_t languageColumns = 0;
  if (header == kLineTooLong) {
    failed = true;
  } else {
    separators[0] = ChooseSeparator(line);
    int32_t fields = CountHeaderFields(line, separators[0]);
    if (fields == 0) failed = true;
    languageColumns = fields - 1;
    if (languageColumns > kLanguageCount) languageColumns = kLanguageCount;
  }

  int32_t rows = 0;
  while (!failed) {
    LineResult result = ReadLogicalLine(line, sizeof line, stream);
    if (result == kLineAbsent) break;
    ++linesRead;
    if (result == kLineTooLong) failed = true;
    else ++rows;
  }

  if (!failed) {
    MemoryFileSeek(stream, 0, 0);
    linesRead = 0;
    if (!merge) {
      for (char**& column : columns) {
        column = static_cast<char**>(std::calloc(rows ? rows : 1, sizeof(char*)));
        if (!column) failed = true;
      }
      if (!failed) rowCount = rowCapacity = rows;
    }
  }

  if (!failed) {
    ReadLogicalLine(line, sizeof line, stream);
    linesRead = 1;
    for (int32_t i = 0; i < rows && !failed; ++i) {
      if (ReadLogicalLine(line, sizeof line, stream) != kLineRead) {
        failed = true;
        break;
      }
      ++linesRead;
      const char* position = SplitField(line, field, sizeof field, separators);
      if (!position) {
        failed = true;
        break;
      }
      int32_t row = i;
      if (merge) {
        row = field[0] ? FindRow(field) : -1;
        if (row < 0) {
          if (!AppendRow()) {
            failed = true;
            break;
          }
          row = rowCount - 1;
          columns[kLabelColumn][row] = CopyText(field, &failed);
        }
      } else {
        columns[kLabelColumn][row] = CopyText(field, &failed);
      }
      for (int32_t k = 0; k < languageColumns && !failed; ++k) {
        position = SplitField(position, field, sizeof field, separators);
        if (!position) {
          failed = true;
          break;
        }
        if (merge) {
          std::free(columns[k][row]);
          columns[k][row] = nullptr;
        }
        columns[k][row] = CopyText(field, &failed);
      }
    }
  }

  MemoryFileClose(stream);
  if (failed) {
    Clear();
    return linesRead > 0 ? linesRead : 1;
  }
  SetLanguage(newLanguage);
  return 0;
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
