#include "platform/files/random_name.h"

#include <windows.h>

#include "platform/files/file_helpers.h"
#include "platform/paths/path_join.h"
#include "platform/system/system_library.h"

namespace {

// CryptoAPI comes with Windows 98 and NT 4.0, but not with every Windows 95:
// looked up, so that its absence is a failure to name, not to load.
typedef BOOL(WINAPI* AcquireContextFunction)(ULONG_PTR*, LPCSTR, LPCSTR, DWORD, DWORD);
typedef BOOL(WINAPI* GenRandomFunction)(ULONG_PTR, DWORD, BYTE*);
// RtlGenRandom, exported by that name from Windows XP on: the same source
// without starting a provider, which costs a run tens of milliseconds and
// megabytes of pages.
typedef BOOLEAN(WINAPI* SystemRandomFunction)(void*, ULONG);

constexpr DWORD kProvRsaFull = 1;
constexpr DWORD kVerifyContext = 0xF0000000;  // CRYPT_VERIFYCONTEXT: no key container

GenRandomFunction generate = nullptr;
ULONG_PTR provider = 0;
SystemRandomFunction systemRandom = nullptr;

// Acquiring a context loads and starts the provider, which costs far more
// than the bytes.
bool AcquireSource() {
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  systemRandom = LookUpFunction<SystemRandomFunction>(advapi, "SystemFunction036");
  if (systemRandom) return true;
  auto acquire = LookUpFunction<AcquireContextFunction>(advapi, "CryptAcquireContextA");
  generate = LookUpFunction<GenRandomFunction>(advapi, "CryptGenRandom");
  if (!acquire || !generate || !acquire(&provider, nullptr, nullptr, kProvRsaFull, kVerifyContext)) provider = 0;
  return provider != 0;
}

}  // namespace

// One context for all the names of a run (ReleaseRandomSource); a failed
// acquisition is tried again next time.
bool RandomBytes(void* bytes, uint32_t size) {
  if (!systemRandom && !provider && !AcquireSource()) return false;
  if (systemRandom) return systemRandom(bytes, size) != 0;
  return generate(provider, size, static_cast<BYTE*>(bytes)) != 0;
}

void ReleaseRandomSource() {
  typedef BOOL(WINAPI * ReleaseContextFunction)(ULONG_PTR, DWORD);
  auto release = LookUpFunction<ReleaseContextFunction>(GetModuleHandleA("advapi32.dll"), "CryptReleaseContext");
  if (provider && release) release(provider, 0);
  provider = 0;
}

bool RandomDigits(char* digits) {
  unsigned char random[kRandomDigits / 2];
  if (!RandomBytes(random, sizeof random)) return false;
  for (unsigned i = 0; i < sizeof random; ++i) {
    digits[2 * i] = "0123456789abcdef"[random[i] >> 4];
    digits[2 * i + 1] = "0123456789abcdef"[random[i] & 15];
  }
  digits[kRandomDigits] = 0;
  return true;
}

bool RandomName(char* name, uint32_t size, const char* directory, const char* prefix, const char* extension) {
  char digits[kRandomDigits + 1];
  if (!RandomDigits(digits)) {
    if (size) name[0] = 0;
    return false;
  }
  char leaf[MAX_PATH];
  if (!FormatPath(leaf, MAX_PATH, "%s%s%s", prefix, digits, extension)) {
    if (size) name[0] = 0;
    return false;
  }
  return JoinInFolder(name, size, directory, leaf);
}
