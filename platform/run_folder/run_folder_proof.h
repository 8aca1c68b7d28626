// Whether a folder named like a run folder is one the update made: a
// program of the player's account can make a folder of that name, give it
// an access list that names Administrators only, or (on NT) own it, so no
// single mark proves one. The run folder is made owned by Administrators
// with entries for Administrators and SYSTEM only; a folder proves itself
// by both. NT only: the security functions are looked up.
#pragma once
#include <windows.h>

// `theirs`: the folder's descriptor (owner and DACL); `ours`: this run's own
// folder's, as the system reports it. Wine keeps no descriptor (it reports
// the user as owner, and entries for SYSTEM and the user, whatever was
// given): where our own folder does not read back as made, a folder that
// reads back just like it counts, so that the tests can see the clean-up.
// On Windows our own folder reads back as made, and that path is closed.
bool ProvesRunFolder(PSECURITY_DESCRIPTOR theirs, PSECURITY_DESCRIPTOR ours);
// Owner and DACL of what `handle` holds (opened with READ_CONTROL) into
// `buffer`; false when they cannot be read.
bool ReadOwnerAndDacl(HANDLE handle, void* buffer, DWORD size);
