#include "launcher/payload_integrity.h"

#include <zlib.h>

#include "transport/payload_view.h"

int32_t FirstDamagedPayload() {
  const void* record;
  uint32_t recordSize;
  if (!LoadPayloadResource(kPayloadChecksumsResource, "BINARY", nullptr, &record, &recordSize) || recordSize != 12)
    return 1;
  const unsigned char* expected = static_cast<const unsigned char*>(record);
  const uint32_t payloads[3] = {kGameDataPayload, kArchivePayload, kWorkerPayload};
  for (int32_t i = 0; i < 3; ++i) {
    PayloadView payload;
    if (!payload.Open(payloads[i])) return i + 1;
    uint32_t crc = static_cast<uint32_t>(crc32(crc32(0, Z_NULL, 0), payload.Bytes(), payload.Size()));
    uint32_t recorded = expected[4 * i] | expected[4 * i + 1] << 8 | expected[4 * i + 2] << 16 |
                        static_cast<uint32_t>(expected[4 * i + 3]) << 24;
    if (crc != recorded) return i + 1;
  }
  return 0;
}
