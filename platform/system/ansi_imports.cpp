// Windows 9x exports CreateSemaphoreW and GetModuleHandleW only as stubs
// that fail. libgcc (its thread primitives) and the mingw runtime (its code
// page lookup) call them through their import pointers; defining those
// pointers here sends the calls to the ANSI functions, which work on every
// Windows, and keeps the wide names out of the import table. Linked as an
// object into the shipped executables: from an archive it would be looked
// at before libgcc asks for the symbols, and ignored.
#include <windows.h>

// The import pointers' names are those of 32-bit x86 (stdcall decoration).
#if defined(__i386__)
namespace {

HANDLE WINAPI AnsiCreateSemaphore(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum, LPCWSTR name) {
  char narrow[MAX_PATH];
  if (name && !WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, MAX_PATH, nullptr, nullptr)) return nullptr;
  return CreateSemaphoreA(attributes, initial, maximum, name ? narrow : nullptr);
}

HMODULE WINAPI AnsiGetModuleHandle(LPCWSTR name) {
  char narrow[MAX_PATH];
  if (name && !WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, MAX_PATH, nullptr, nullptr)) return nullptr;
  return GetModuleHandleA(name ? narrow : nullptr);
}

}  // namespace

extern "C" {
HANDLE(WINAPI* ansiCreateSemaphorePointer)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR) __asm__(
    "__imp__CreateSemaphoreW@16") = AnsiCreateSemaphore;
HMODULE(WINAPI* ansiGetModuleHandlePointer)(LPCWSTR) __asm__("__imp__GetModuleHandleW@4") = AnsiGetModuleHandle;
}
#endif
