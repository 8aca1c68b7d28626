// The table loader on arbitrary bytes: as a file, as the embedded resource
// (four bytes skipped), and merged over the shipped table.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "localisation/memory_file.h"
#include "localisation/string_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  StringTable table;
  MemoryFile* stream = MemoryFileOpen("fuzz.csv", "rbm");
  if (size) std::memcpy(MemoryFileAllocate(stream, static_cast<uint32_t>(size)), data, size);
  int32_t language = size ? data[0] % 9 - 1 : 0;
  if (table.LoadStream(stream, language, false) == 0) {
    for (int32_t row = 0; row < table.RowCount(); ++row) {
      const char* label = table.Label(row);
      const char* text = label ? table.Lookup(label) : nullptr;
      // Stored texts are never empty and always fit their field buffer.
      if (text && (!*text || std::strlen(text) >= kFieldLimit)) __builtin_trap();
      if (label && (!*label || std::strlen(label) >= kFieldLimit)) __builtin_trap();
    }
  }
  SetEmbeddedTable(data, static_cast<uint32_t>(size));
  table.Load("update.csv", 1, false, true);
  table.Lookup("LT_UPDATE_FIN_OPERATION");
  SetEmbeddedTable(nullptr, 0);
  return 0;
}
