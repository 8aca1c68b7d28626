#include "platform/run_folder/admin_only_security.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/system/account_sids.h"
#include "platform/system/system_library.h"

namespace {

// Windows 2000 and later: the control bit that stops inheritance from the
// parent. NT 4.0 has no inheritance at run time, so there the descriptor
// given at creation is what the folder keeps.
typedef BOOL(WINAPI* SetControlFunction)(PSECURITY_DESCRIPTOR, WORD, WORD);
constexpr WORD kDaclProtected = 0x1000;  // SE_DACL_PROTECTED

// Windows 98's advapi32 is not documented to export these: one missing
// import would keep the launcher from starting there at all, so every one
// is looked up, and only NT ever calls them.
struct SecurityFunctions {
  BOOL(WINAPI* addAce)(PACL, DWORD, DWORD, LPVOID, DWORD);
  BOOL(WINAPI* copySid)(DWORD, PSID, PSID);
  DWORD(WINAPI* getLengthSid)(PSID);
  BOOL(WINAPI* initializeAcl)(PACL, DWORD, DWORD);
  BOOL(WINAPI* initializeDescriptor)(PSECURITY_DESCRIPTOR, DWORD);
  BOOL(WINAPI* setDacl)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
  BOOL(WINAPI* setOwner)(PSECURITY_DESCRIPTOR, PSID, BOOL);
};

bool LookUpSecurityFunctions(SecurityFunctions* functions) {
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  if (!advapi || !IsWindowsNT()) return false;
  functions->addAce = LookUpFunction<decltype(functions->addAce)>(advapi, "AddAce");
  functions->copySid = LookUpFunction<decltype(functions->copySid)>(advapi, "CopySid");
  functions->getLengthSid = LookUpFunction<decltype(functions->getLengthSid)>(advapi, "GetLengthSid");
  functions->initializeAcl = LookUpFunction<decltype(functions->initializeAcl)>(advapi, "InitializeAcl");
  functions->initializeDescriptor =
      LookUpFunction<decltype(functions->initializeDescriptor)>(advapi, "InitializeSecurityDescriptor");
  functions->setDacl = LookUpFunction<decltype(functions->setDacl)>(advapi, "SetSecurityDescriptorDacl");
  functions->setOwner = LookUpFunction<decltype(functions->setOwner)>(advapi, "SetSecurityDescriptorOwner");
  return functions->addAce && functions->copySid && functions->getLengthSid && functions->initializeAcl &&
         functions->initializeDescriptor && functions->setDacl && functions->setOwner;
}

// OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE: files and folders made inside
// get the same two entries. Built by hand for AddAce (NT 3.1), because
// AddAccessAllowedAceEx, which takes flags, is Windows 2000 and later.
constexpr BYTE kInheritToChildren = 0x01 | 0x02;

bool AddAllowed(const SecurityFunctions& call, ACL* acl, PSID sid) {
  DWORD sidLength = call.getLengthSid(sid);
  DWORD aceLength = offsetof(ACCESS_ALLOWED_ACE, SidStart) + sidLength;
  unsigned char buffer[offsetof(ACCESS_ALLOWED_ACE, SidStart) + SECURITY_MAX_SID_SIZE] = {};
  if (aceLength > sizeof buffer) return false;
  ACCESS_ALLOWED_ACE* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(buffer);
  ace->Header.AceType = ACCESS_ALLOWED_ACE_TYPE;
  ace->Header.AceFlags = kInheritToChildren;
  ace->Header.AceSize = static_cast<WORD>(aceLength);
  // The file rights themselves: how NT 4.0 maps a generic right in an
  // entry given at a folder's creation is not documented.
  ace->Mask = FILE_ALL_ACCESS;
  if (!call.copySid(sidLength, &ace->SidStart, sid)) return false;
  return call.addAce(acl, ACL_REVISION, MAXDWORD, ace, aceLength) != 0;
}

}  // namespace

AdminOnlySecurity::AdminOnlySecurity() : acl(nullptr) {
  std::memset(&descriptor, 0, sizeof descriptor);
  std::memset(&attributes, 0, sizeof attributes);
}

AdminOnlySecurity::~AdminOnlySecurity() {
  std::free(acl);
}

bool AdminOnlySecurity::Build(bool withOwner) {
  SecurityFunctions call;
  if (!LookUpSecurityFunctions(&call)) return false;
  PSID administrators = AdministratorsSid();
  if (!acl) {
    DWORD length = sizeof(ACL) + 2 * (offsetof(ACCESS_ALLOWED_ACE, SidStart) + SECURITY_MAX_SID_SIZE);
    acl = static_cast<ACL*>(std::calloc(1, length));
    if (!acl || !call.initializeAcl(acl, length, ACL_REVISION) || !AddAllowed(call, acl, administrators) ||
        !AddAllowed(call, acl, SystemSid())) {
      std::free(acl);
      acl = nullptr;
      return false;
    }
  }
  if (!call.initializeDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !call.setDacl(&descriptor, TRUE, acl, FALSE) || (withOwner && !call.setOwner(&descriptor, administrators, FALSE)))
    return false;
  auto setControl = LookUpFunction<SetControlFunction>(GetModuleHandleA("advapi32.dll"), "SetSecurityDescriptorControl");
  if (setControl) setControl(&descriptor, kDaclProtected, kDaclProtected);
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = &descriptor;
  attributes.bInheritHandle = FALSE;
  return true;
}
