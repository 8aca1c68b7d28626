#include "platform/paths/final_path_form.h"

namespace {

bool StartsWith(const wchar_t* text, const wchar_t* prefix) {
  while (*prefix && *text == *prefix) ++text, ++prefix;
  return *prefix == 0;
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

bool PlainFormOfFinalPath(const wchar_t* finalPath, bool trailingSeparator, wchar_t* plain, size_t size) {
  if (size) plain[0] = 0;
  if (!finalPath || !finalPath[0] || size == 0) return false;
  const wchar_t* rest = finalPath;
  const wchar_t* lead = L"";
  if (StartsWith(finalPath, L"\\\\?\\UNC\\")) {
    rest = finalPath + 8;
    lead = L"\\\\";
    if (!rest[0] || rest[0] == L'\\') return false;
  } else if (StartsWith(finalPath, L"\\\\?\\")) {
    rest = finalPath + 4;
    if (!IsDriveLetter(rest[0]) || rest[1] != L':' || (rest[2] && rest[2] != L'\\')) return false;
  } else if (StartsWith(finalPath, L"\\\\.\\") || StartsWith(finalPath, L"\\??\\")) {
    return false;
  }
  size_t length = 0;
  auto append = [&](const wchar_t* text) {
    for (; *text; ++text) {
      if (length + 1 >= size) return false;
      plain[length++] = *text;
    }
    return true;
  };
  bool fits = append(lead) && append(rest);
  // A bare drive ("C:") names the drive's current directory, not its root.
  bool bareDrive = fits && length == 2 && plain[1] == L':';
  if (fits && (bareDrive || trailingSeparator) && plain[length - 1] != L'\\') fits = append(L"\\");
  if (!fits) {
    plain[0] = 0;
    return false;
  }
  plain[length] = 0;
  return true;
}
