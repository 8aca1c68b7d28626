#include "transport/payload_section.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "transport/comp.h"
#include "transport/control_block.h"
#include "transport/payload_key.h"
#include "transport/payload_view.h"

namespace {

// Scrambles the whole words of the payload in place as they are inflated;
// the 0 to 3 tail bytes stay plain.
struct InPlaceScramble {
  uint32_t scrambled;
};

void ScrambleInflated(unsigned char* payload, uint32_t produced, void* context) {
  InPlaceScramble* state = static_cast<InPlaceScramble*>(context);
  uint32_t wholeWords = produced & ~3u;
  if (wholeWords <= state->scrambled) return;
  ScrambleCopy(payload + state->scrambled, payload + state->scrambled, wholeWords - state->scrambled);
  state->scrambled = wholeWords;
}

}  // namespace

SharedSection* PublishPayloadSection(uint32_t resourceId, int32_t sectionIndex) {
  PayloadView payload;
  if (!payload.Open(resourceId)) return nullptr;
  const unsigned char* bytes = payload.Bytes();
  uint32_t size = payload.Size();
  // A plain payload is scrambled straight from its view into the section, a
  // container inflated straight into it: no heap copy of either.
  bool container = IsCompContainer(bytes, size);
  uint32_t payloadLength = size;
  if (container && !CompRawSize(bytes, size, &payloadLength)) return nullptr;
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
    return nullptr;
  }
  // The section is new, but its mutex may be held by a process of an update
  // that went wrong: never wait for it for ever. An abandoned one was
  // handed back by the first attempt and is free for the second.
  if (!section->Lock(kPublishLockTimeout) && !section->Lock(0)) {
    delete section;
    return nullptr;
  }
  std::memcpy(view, &payloadLength, kPayloadHeaderSize);
  bool filled = true;
  if (container) {
    InPlaceScramble state = {0};
    filled = InflateCompInto(bytes, size, view + kPayloadHeaderSize, ScrambleInflated, &state);
  } else {
    ScrambleCopy(view + kPayloadHeaderSize, bytes, payloadLength);
  }
  section->Unlock();
  if (!filled) {
    delete section;
    return nullptr;
  }
  // The launcher never reads the content again; the section keeps it for
  // the data stage.
  section->ReleaseView();
  return section;
}
