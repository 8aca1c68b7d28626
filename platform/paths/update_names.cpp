#include "platform/paths/update_names.h"

namespace {

template <typename Char>
unsigned long Lower(Char c) {
  unsigned long code = static_cast<unsigned long>(c);
  if (sizeof(Char) == 1) code &= 0xFF;
  return code >= 'A' && code <= 'Z' ? code - 'A' + 'a' : code;
}

bool IsHexDigit(unsigned long lower) { return (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f'); }

// The ASCII text `text` at the start of `name`; the characters matched, or
// -1.
template <typename Char>
long Matches(const Char* name, const char* text, bool exactCase) {
  long at = 0;
  for (; text[at]; ++at) {
    unsigned long expected = static_cast<unsigned char>(text[at]);
    unsigned long found = static_cast<unsigned long>(name[at]);
    if (sizeof(Char) == 1) found &= 0xFF;
    if (exactCase ? found != expected : Lower(name[at]) != Lower(text[at])) return -1;
  }
  return at;
}

template <typename Char>
bool IsName(const Char* name, const UpdateNameForm& form) {
  long at = Matches(name, form.prefix, form.prefixExactCase);
  if (at < 0) return false;
  unsigned digits = 0;
  while (digits <= kRandomDigits && IsHexDigit(Lower(name[at + digits]))) ++digits;
  if (digits != kRandomDigits && !(form.earlierDigits && digits >= 1 && digits <= 4)) return false;
  at += digits;
  long suffix = Matches(name + at, form.suffix, false);
  return suffix >= 0 && name[at + suffix] == 0;
}

}  // namespace

bool IsUpdateName(const char* name, const UpdateNameForm& form) { return IsName(name, form); }

bool IsUpdateName(const wchar_t* name, const UpdateNameForm& form) { return IsName(name, form); }
