#include "localisation/memory_file.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseMode(const char* mode, uint32_t* flags) {
  uint32_t result = 0;
  for (const char* p = mode; *p; ++p) {
    switch (*p) {
      case 'r': case 'R': result |= kMemoryFileRead; break;
      case 'b': case 'B': result |= kMemoryFileBinary; break;
      case 't': case 'T': result |= kMemoryFileText; break;
      case 'm': case 'M': result |= kMemoryFileMemoryOnly; break;
      case '+': break;
      default: return false;  // w, a, p and anything else
    }
  }
  if (!(result & (kMemoryFileBinary | kMemoryFileText))) result |= kMemoryFileBinary;
  *flags = result;
  return true;
}

void LoadFromDisk(MemoryFile* stream) {
  stream->diskStream = std::fopen(stream->name, "rb");
  if (!stream->diskStream) return;
  long size = -1;
  if (std::fseek(stream->diskStream, 0, SEEK_END) == 0) size = std::ftell(stream->diskStream);
  if (size > 0 && size < INT32_MAX && std::fseek(stream->diskStream, 0, SEEK_SET) == 0) {
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size)));
    if (buffer) {
      size_t got = std::fread(buffer, 1, static_cast<size_t>(size), stream->diskStream);
      stream->data = buffer;
      stream->capacity = static_cast<int32_t>(size);
      stream->length = static_cast<int32_t>(got);  // a short read never reports more than it holds
    }
  }
  std::fclose(stream->diskStream);
  stream->diskStream = nullptr;
}

}  // namespace

MemoryFile* MemoryFileOpen(const char* name, const char* mode) {
  if (!name || !mode) return nullptr;
  size_t nameLength = std::strlen(name);
  if (nameLength >= sizeof(MemoryFile::name)) return nullptr;
  uint32_t flags = 0;
  if (!ParseMode(mode, &flags)) return nullptr;
  if (!(flags & (kMemoryFileRead | kMemoryFileMemoryOnly))) return nullptr;
  MemoryFile* stream = static_cast<MemoryFile*>(std::calloc(1, sizeof(MemoryFile)));
  if (!stream) return nullptr;
  std::memcpy(stream->name, name, nameLength + 1);
  stream->flags = flags;
  if (!(flags & kMemoryFileMemoryOnly)) LoadFromDisk(stream);
  return stream;
}

unsigned char* MemoryFileAllocate(MemoryFile* stream, uint32_t count) {
  if (!stream) return nullptr;
  std::free(stream->data);
  stream->data = nullptr;
  stream->position = stream->length = stream->capacity = 0;
  if (count == 0 || count > INT32_MAX) return nullptr;
  stream->data = static_cast<unsigned char*>(std::malloc(count));
  if (!stream->data) return nullptr;
  stream->length = stream->capacity = static_cast<int32_t>(count);
  return stream->data;
}

int32_t MemoryFileGetc(MemoryFile* stream) {
  if (!stream || stream->position >= stream->length) return -1;
  return stream->data[stream->position++];
}

int32_t MemoryFileSeek(MemoryFile* stream, int32_t offset, int32_t origin) {
  if (!stream) return 1;
  int64_t target;
  switch (origin) {
    case 0: target = offset; break;
    case 1: target = static_cast<int64_t>(stream->position) + offset; break;
    case 2:
      if (offset > 0) return 1;
      target = static_cast<int64_t>(stream->length) + offset;
      break;
    default: return 1;
  }
  if (target < 0 || target > stream->length) return 1;
  stream->position = static_cast<int32_t>(target);
  return 0;
}

int32_t MemoryFileClose(MemoryFile* stream) {
  if (!stream) return 0;
  if (stream->diskStream) std::fclose(stream->diskStream);
  std::free(stream->data);
  std::free(stream);
  return 0;
}
