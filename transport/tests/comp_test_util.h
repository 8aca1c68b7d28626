#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>

// A container around the zlib stream of `raw`, declaring `declared` bytes.
inline std::string MakeContainer(const std::string& raw, uint32_t declared) {
  uLongf size = compressBound(raw.size());
  std::string out(8 + size, '\0');
  compress2(reinterpret_cast<Bytef*>(&out[8]), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9);
  out.resize(8 + size);
  out.replace(0, 4, "COMP");
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>(declared >> (8 * i));
  return out;
}

inline std::string MakeContainer(const std::string& raw) {
  return MakeContainer(raw, static_cast<uint32_t>(raw.size()));
}
