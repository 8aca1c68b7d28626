// The FileVersion of a Windows executable held in memory, read the way
// GetFileVersionString reads it from a file: from the string table of the
// version resource's first translation.
#pragma once
#include <cstddef>

#include "worker/file_version.h"

// False when the image has no version resource, no translation, no
// FileVersion, or one that is not plain ASCII of at most 255 characters.
// `version` holds kVersionStringSize characters.
bool GetImageFileVersion(const unsigned char* image, size_t size, char* version);
