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

// The size a container declares, when a stream of its length can have it
// (else the first text is printed and the result is false).
bool CompRawSize(const void* bytes, uint32_t length, uint32_t* rawSize);

// Told, after each piece a container inflates to, how many bytes of the
// destination are final: the caller can work on them while they are in the
// cache.
typedef void (*InflatedBytes)(unsigned char* destination, uint32_t produced, void* context);
// Inflates a container straight into `destination`, which holds exactly its
// rawSize bytes (CompRawSize). False, with the decoder's texts, unless the
// stream ends at exactly rawSize bytes.
bool InflateCompInto(const void* bytes, uint32_t length, unsigned char* destination, InflatedBytes told,
                     void* context);

// The same for bytes the caller keeps (a resource): always a new block, or
// null; for plain data a copy.
unsigned char* InflateCompCopy(const void* bytes, uint32_t length, uint32_t* resultLength);

// Told each piece a container inflates to, in order; false stops it.
typedef bool (*InflatedPiece)(const unsigned char* bytes, uint32_t size, void* context);
// Inflates a container through one small buffer, reused for every piece,
// so that the whole is never in memory at once. False, with the decoder's
// texts, unless the stream ends at exactly its rawSize bytes, or when
// `told` refused a piece.
bool InflateCompPieces(const void* bytes, uint32_t length, InflatedPiece told, void* context);
