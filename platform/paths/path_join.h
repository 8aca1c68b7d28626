// Every name the update builds in a folder is built by one rule, so that
// no path gets a doubled or a missing separator.
#pragma once
#include <cstddef>

// `folder` (a normal form, or any folder without a trailing separator) and
// `name` with one "\" between them, none after a drive root's; an empty
// `name` gives the folder with one trailing "\". False, with an empty
// `path` where `size` allows, when `folder` is empty or the result does not
// fit `size` bytes.
bool JoinInFolder(char* path, size_t size, const char* folder, const char* name);
// The same for paths in UTF-16; `size` in characters.
bool JoinInFolder(wchar_t* path, size_t size, const wchar_t* folder, const wchar_t* name);
