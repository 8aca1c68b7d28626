// The two accounts that an elevated program's own folders are for:
// BUILTIN\Administrators (S-1-5-32-544) and SYSTEM (S-1-5-18). Constants in
// the layout every Windows NT reads (SID revision 1), so that nothing is
// allocated or freed and nothing can fail to be built. The security
// functions only read them.
#pragma once
#include <windows.h>

PSID AdministratorsSid();
PSID SystemSid();
