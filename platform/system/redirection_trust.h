// Windows' own refusal of junctions that non-administrators made
// (RedirectionGuard): a program of the player's account cannot then send
// this elevated process's file operations elsewhere through a junction.
#pragma once
#include <windows.h>

// SetProcessMitigationPolicy: Windows 8 on, looked up in kernel32; null
// where the system lacks it. A test build links a lookup that records what
// is asked.
typedef BOOL(WINAPI* MitigationPolicySetter)(int policy, PVOID buffer, SIZE_T size);
MitigationPolicySetter LookUpMitigationPolicySetter();

// Turns the refusal on for the rest of this process. The folders the
// process works in must have been resolved to their final paths before
// (platform/files/final_path.h): only junctions below them, or made later, are
// refused. Where the system lacks the policy or refuses it, nothing changes
// and false is returned.
bool EnforceRedirectionTrust();
