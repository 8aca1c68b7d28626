#include "transport/payload_section.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "transport/comp.h"
#include "transport/control_block.h"
#include "transport/payload_key.h"
#include "transport/payload_resource.h"

SharedSection* PublishPayloadSection(uint32_t resourceId, int32_t sectionIndex) {
  const void* bytes;
  uint32_t size;
  if (!LoadPayloadResource(resourceId, "BINARY", nullptr, &bytes, &size)) return nullptr;
  // A plain payload is scrambled straight from the image into the section;
  // only a container needs a heap block for its inflated bytes.
  unsigned char* inflated = nullptr;
  const void* payload = bytes;
  uint32_t payloadLength = size;
  if (IsCompContainer(bytes, size)) {
    inflated = InflateCompCopy(bytes, size, &payloadLength);
    if (!inflated) return nullptr;
    payload = inflated;
  }
  char name[32];
  std::snprintf(name, sizeof name, kPayloadSectionFormat, sectionIndex);
  SharedSection* section = nullptr;
  unsigned char* view = nullptr;
  if (payloadLength <= 0xFFFFFFFFu - kPayloadHeaderSize) {
    section = new (std::nothrow) SharedSection;
    if (section) view = static_cast<unsigned char*>(section->Create(name, payloadLength + kPayloadHeaderSize));
  }
  // Another launcher's section: its data stage relies on the content, and
  // the size may not even fit this payload.
  if (view && section->Existed()) view = nullptr;
  if (!view) {
    delete section;
    std::free(inflated);
    return nullptr;
  }
  // The section is new, but its mutex may be held by a process of an update
  // that went wrong: never wait for it for ever. An abandoned one was
  // handed back by the first attempt and is free for the second.
  if (!section->Lock(kPublishLockTimeout) && !section->Lock(0)) {
    delete section;
    std::free(inflated);
    return nullptr;
  }
  std::memcpy(view, &payloadLength, kPayloadHeaderSize);
  ScrambleCopy(view + kPayloadHeaderSize, payload, payloadLength);
  section->Unlock();
  std::free(inflated);
  return section;
}
