#pragma once
#include <cstddef>
#include <cstdint>

// Composes the final message of a status into `buffer`: a label of the
// string table or a fixed English text. Returns whether it is the success
// message (information icon).
bool ComposeStatusMessage(uint32_t status, int32_t detail, char* buffer, size_t size);

#ifdef _WIN32
void ShowStatusMessage(uint32_t status, int32_t detail);
#endif
