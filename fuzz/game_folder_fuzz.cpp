// Any value "SavingPath" may hold, read as Windows-1252 or as Shift-JIS:
// a normal form is stable, short enough for every name built in it, and
// has no "/", no empty component and no trailing separator but a drive's.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/game_folder.h"

namespace {

bool ShiftJisLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!size) return 0;
  LeadByteTest isLeadByte = data[0] & 1 ? ShiftJisLeadByte : nullptr;
  std::string value(reinterpret_cast<const char*>(data + 1), size - 1);
  char folder[kGamePathSize], again[kGamePathSize], path[kGamePathSize];
  if (!NormalGameFolder(value.c_str(), isLeadByte, folder)) {
    if (folder[0]) std::abort();
    return 0;
  }
  size_t length = std::strlen(folder);
  if (length < 3 || length > kLongestGameFolder) std::abort();
  if (!NormalGameFolder(folder, isLeadByte, again) || std::strcmp(folder, again) != 0) std::abort();
  if (!JoinInFolder(path, sizeof path, folder, "data\\players\\joystick.ini")) std::abort();
  bool root = length == 3 && folder[1] == ':';  // a drive's root keeps its separator
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(folder[i]);
    if (isLeadByte && isLeadByte(c)) ++i;  // a second byte is no separator
    else if (c == '/' || (c == '\\' && i > 1 && (folder[i + 1] == '\\' || (!folder[i + 1] && !root)))) std::abort();
  }
  return 0;
}
