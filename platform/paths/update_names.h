// The names the update gives what it creates where others may look:
// "<prefix><kRandomDigits hexadecimal digits><suffix>" (platform/files/
// random_name.h makes them). A later run, or the clean-up of this one,
// removes only what matches exactly, so a player's file of a similar name
// is never taken for one of ours.
#pragma once

constexpr unsigned kRandomDigits = 16;

struct UpdateNameForm {
  const char* prefix;
  const char* suffix;
  // The prefix compared letter for letter (a link's own name), instead of
  // in either case as the digits and the suffix always are.
  bool prefixExactCase;
  // One to four digits count too: the temporary-file service of earlier
  // builds named the new game so.
  bool earlierDigits;
};

// Whether `name` has the form; ASCII letters only are taken in either case.
bool IsUpdateName(const char* name, const UpdateNameForm& form);
// The same for a name the system gives in UTF-16.
bool IsUpdateName(const wchar_t* name, const UpdateNameForm& form);
