#include "platform/run_folder/run_folder_proof.h"

#include "platform/system/account_sids.h"
#include "platform/system/system_library.h"

namespace {

// Windows 9x lacks these, and 98 is not documented to export them.
typedef BOOL(WINAPI* ObjectSecurityFunction)(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, DWORD, LPDWORD);
typedef BOOL(WINAPI* DescriptorOwnerFunction)(PSECURITY_DESCRIPTOR, PSID*, LPBOOL);
typedef BOOL(WINAPI* DescriptorDaclFunction)(PSECURITY_DESCRIPTOR, LPBOOL, PACL*, LPBOOL);
typedef BOOL(WINAPI* GetAceFunction)(PACL, DWORD, LPVOID*);

struct Calls {
  DescriptorOwnerFunction owner;
  DescriptorDaclFunction dacl;
  GetAceFunction ace;
};

bool LookUp(Calls* calls) {
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  calls->owner = LookUpFunction<DescriptorOwnerFunction>(advapi, "GetSecurityDescriptorOwner");
  calls->dacl = LookUpFunction<DescriptorDaclFunction>(advapi, "GetSecurityDescriptorDacl");
  calls->ace = LookUpFunction<GetAceFunction>(advapi, "GetAce");
  return calls->owner && calls->dacl && calls->ace;
}

struct Parts {
  PSID owner;
  ACL* dacl;  // null: no DACL, or a null one (everybody in)
};

bool Split(const Calls& call, PSECURITY_DESCRIPTOR descriptor, Parts* parts) {
  BOOL defaulted = FALSE, present = FALSE;
  parts->owner = nullptr;
  parts->dacl = nullptr;
  return descriptor && call.owner(descriptor, &parts->owner, &defaulted) && parts->owner &&
         call.dacl(descriptor, &present, &parts->dacl, &defaulted) && (present || !parts->dacl);
}

// Every entry an allowed one for Administrators or SYSTEM, and at least one:
// a denying entry or one of another type could only be the player's.
bool GrantsOnlyAdministratorsAndSystem(const Calls& call, ACL* dacl, PSID administrators, PSID system) {
  if (!dacl || dacl->AceCount == 0) return false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!call.ace(dacl, i, reinterpret_cast<void**>(&ace)) || !ace ||
        ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
      return false;
    PSID sid = &ace->SidStart;
    if (!EqualSid(sid, administrators) && !EqualSid(sid, system)) return false;
  }
  return true;
}

bool MadeAsOurs(const Calls& call, const Parts& parts, PSID administrators, PSID system) {
  return EqualSid(parts.owner, administrators) && GrantsOnlyAdministratorsAndSystem(call, parts.dacl, administrators, system);
}

bool SameEntries(const Calls& call, ACL* a, ACL* b) {
  if (!a || !b || a->AceCount != b->AceCount) return false;
  for (DWORD i = 0; i < a->AceCount; ++i) {
    ACCESS_ALLOWED_ACE *x = nullptr, *y = nullptr;
    if (!call.ace(a, i, reinterpret_cast<void**>(&x)) || !call.ace(b, i, reinterpret_cast<void**>(&y)) ||
        x->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || y->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
        x->Mask != y->Mask || !EqualSid(&x->SidStart, &y->SidStart))
      return false;
  }
  return true;
}

}  // namespace

bool ProvesRunFolder(PSECURITY_DESCRIPTOR theirs, PSECURITY_DESCRIPTOR ours) {
  Calls call;
  Parts their, own;
  if (!LookUp(&call) || !Split(call, theirs, &their)) return false;
  PSID administrators = AdministratorsSid(), system = SystemSid();
  return MadeAsOurs(call, their, administrators, system) ||
         (Split(call, ours, &own) && !MadeAsOurs(call, own, administrators, system) &&
          EqualSid(their.owner, own.owner) && SameEntries(call, their.dacl, own.dacl));
}

bool ReadOwnerAndDacl(HANDLE handle, void* buffer, DWORD size) {
  auto objectSecurity =
      LookUpFunction<ObjectSecurityFunction>(GetModuleHandleA("advapi32.dll"), "GetKernelObjectSecurity");
  DWORD needed = 0;
  return handle && objectSecurity &&
         objectSecurity(handle, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, buffer, size, &needed);
}
