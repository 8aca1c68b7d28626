#pragma once
#include <string>

#include "localisation/string_table.h"
#include "platform/memory_file.h"

// Loads a table text the way a file on disk is loaded: the whole text, no skip.
inline int32_t LoadText(StringTable& table, const std::string& text, int32_t language = 0,
                        bool merge = false) {
  MemoryFile* stream = MemoryFileOpen("test.csv", "rbm");
  if (!text.empty()) {
    unsigned char* buffer = MemoryFileAllocate(stream, static_cast<uint32_t>(text.size()));
    std::copy(text.begin(), text.end(), buffer);
  }
  return table.LoadStream(stream, language, merge);
}
