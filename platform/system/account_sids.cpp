#include "platform/system/account_sids.h"

namespace {

// SID with room for two sub-authorities (SID declares one).
struct TwoPartSid {
  BYTE revision;
  BYTE subAuthorityCount;
  SID_IDENTIFIER_AUTHORITY authority;
  DWORD subAuthority[2];
};

const TwoPartSid kAdministrators = {
    SID_REVISION, 2, {SECURITY_NT_AUTHORITY}, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}};
const SID kSystem = {SID_REVISION, 1, {SECURITY_NT_AUTHORITY}, {SECURITY_LOCAL_SYSTEM_RID}};

}  // namespace

PSID AdministratorsSid() { return const_cast<TwoPartSid*>(&kAdministrators); }

PSID SystemSid() { return const_cast<SID*>(&kSystem); }
