// The folders of earlier runs that ended before their clean-up (Task
// Manager, a crash, a power cut), removed by a later run. Only one update
// runs at a time (the launcher's mutex), so every other run folder
// is a leftover; but a folder of that name may also be a look-alike that a
// program of the player's made, or a link to any folder of the system.
#pragma once

#include "platform/run_folder/private_folder.h"

// Removes from `parent` each folder named "vt3_" and 16 hexadecimal digits
// that is proven the update's own: a real folder, not a link or another
// reparse point; on NT owned by Administrators with entries that let only
// Administrators and SYSTEM in (ProvesRunFolder; under Wine, read back as
// `current`, the run's own folder, is), and held without delete sharing
// while it is emptied. Inside
// it only names of the update's own form ("tmp", 16 hexadecimal digits,
// ".tmp") are deleted, then the folder: one that keeps anything else, or a
// file in use, stays for a later run.
void RemoveEarlierRunFolders(const char* parent, const PrivateFolder& current);
