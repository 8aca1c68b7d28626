// Payloads stored as resources of the running program, and how they are
// read.
#pragma once
#include <cstdint>

// The resource's bytes in the module image (read-only, never freed).
bool LoadPayloadResource(uint32_t id, const char* type, const char* moduleName, const void** bytes,
                         uint32_t* size);

// A stored payload read through a view of the program's own file, let go of
// with this object: payloads read one after another are then never resident
// together, where pages of the image, once read, stay in the working set
// (Wine cannot drop them). The file is read only when Windows confirms it is
// the very file the running image was mapped from: the name the program was
// started by may meanwhile name a file of the player's. Elsewhere (9x, no
// such confirmation) the bytes are the image's own.
class PayloadView {
 public:
  PayloadView() = default;
  ~PayloadView();
  PayloadView(const PayloadView&) = delete;
  PayloadView& operator=(const PayloadView&) = delete;

  // "BINARY" resource `id` of the running program; false when it is missing.
  bool Open(uint32_t id);
  const unsigned char* Bytes() const { return bytes; }
  uint32_t Size() const { return size; }
  // Whether the bytes come from a view of the file rather than the image.
  bool FromFile() const { return view != nullptr; }

 private:
  const unsigned char* bytes = nullptr;
  uint32_t size = 0;
  void* view = nullptr;
};
