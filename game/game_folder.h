// The game folder as the update names it. Installers store "SavingPath" in
// many forms (a trailing "\", "/" for "\", "." and ".." components, a
// trailing dot or space), which Windows' own file functions clean up before
// use but its native calls do not. Every reader turns the value into one
// normal form, and every name in the folder is built by one rule. Kept apart
// from Windows so that it can be checked natively.
#pragma once
#include <cstddef>

#include "platform/paths/path_join.h"

// Windows' MAX_PATH.
constexpr size_t kGamePathSize = 260;
// The longest name the update builds in the game folder, with its separator.
constexpr size_t kLongestGameName = sizeof "\\data\\players\\joystick.ini" - 1;
// The longest normal form that every such name still fits (233 characters).
constexpr size_t kLongestGameFolder = kGamePathSize - 1 - kLongestGameName;

// Whether a byte begins a two-byte character of the code page the value is
// written in (IsDBCSLeadByteEx on Windows). Its second byte is part of that
// character even where it equals "\" (Shift-JIS).
typedef bool (*LeadByteTest)(unsigned char byte);

// Writes the normal form of `value` into `folder` (kGamePathSize bytes):
// "X:\" or "\\server\share", then the components, each after one "\"; "/"
// counts as "\"; empty and "." components go, ".." takes the one before it
// (never the root); a component that ends in one dot loses it, and the last
// one, where the value ends without a separator, loses every trailing dot
// and space, as Windows' path normalisation does. A drive root keeps its
// "\", nothing else ends in one.
// False, with an empty `folder`, for a path relative to a current folder or
// drive ("foo", "C:foo", "\foo"), a device path ("\\.\", "\\?\"), a network
// path without its share, a character no file name may hold (":" of a
// stream, "*", "?", "<", ">", "|", '"', control characters, a lead byte
// without its second byte), a component Windows' functions would read
// differently as the folder itself and inside a longer name (only dots and
// spaces, "..." or ". " at its end, or a trailing space on the last one), and
// a result longer than kLongestGameFolder.
bool NormalGameFolder(const char* value, LeadByteTest isLeadByte, char* folder);
