// The COMP container: "COMP", the inflated size (little-endian), one zlib
// stream. Anything else is plain data and passes through unchanged.
#pragma once
#include <cstdint>

constexpr uint32_t kCompHeaderSize = 8;

bool IsCompContainer(const void* bytes, uint32_t length);

// Takes ownership of the heap block. Gives the block itself for plain data,
// else a new block of exactly rawSize bytes. A stream that does not inflate
// to exactly rawSize prints its texts and gives null (the block is freed).
unsigned char* InflateComp(unsigned char* block, uint32_t length, uint32_t* resultLength);

// The same for bytes the caller keeps (a resource): always a new block, or
// null; for plain data a copy.
unsigned char* InflateCompCopy(const void* bytes, uint32_t length, uint32_t* resultLength);
