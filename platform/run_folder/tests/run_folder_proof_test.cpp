// What proves a folder named like a run folder the update's own, and what a
// folder needs to be taken as a temporary folder's parent, on descriptors
// and code pages Wine cannot produce.
#include <gtest/gtest.h>

#include <vector>

#include "platform/run_folder/private_folder.h"
#include "platform/run_folder/run_folder_proof.h"
#include "platform/system/ansi_text.h"

namespace {

// A SID of the NT authority, from its sub-authorities.
struct Sid {
  Sid(BYTE count, DWORD a, DWORD b = 0, DWORD c = 0, DWORD d = 0, DWORD e = 0) {
    SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
    AllocateAndInitializeSid(&nt, count, a, b, c, d, e, 0, 0, 0, &sid);
  }
  ~Sid() { FreeSid(sid); }
  PSID sid = nullptr;
};

const Sid administrators(2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
const Sid systemSid(1, SECURITY_LOCAL_SYSTEM_RID);
const Sid player(5, SECURITY_NT_NON_UNIQUE, 1, 2, 3, 1000);  // a player's account

// A descriptor with `owner` and a DACL of allowed entries (a null DACL
// when `entries` is empty, with `denied` a denying entry for the player
// first).
struct Descriptor {
  Descriptor(const Sid& owner, std::vector<const Sid*> entries, bool denied = false) {
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&descriptor, owner.sid, FALSE);
    InitializeAcl(reinterpret_cast<ACL*>(acl), sizeof acl, ACL_REVISION);
    if (denied) AddAccessDeniedAce(reinterpret_cast<ACL*>(acl), ACL_REVISION, FILE_ALL_ACCESS, player.sid);
    for (const Sid* entry : entries) AddAccessAllowedAce(reinterpret_cast<ACL*>(acl), ACL_REVISION, FILE_ALL_ACCESS, entry->sid);
    SetSecurityDescriptorDacl(&descriptor, TRUE, entries.empty() ? nullptr : reinterpret_cast<ACL*>(acl), FALSE);
  }
  SECURITY_DESCRIPTOR descriptor;
  alignas(8) unsigned char acl[512];
};

}  // namespace

TEST(RunFolderProof, OwnerAdministratorsAndOnlyAdministratorsAndSystemLetIn) {
  Descriptor made(administrators, {&administrators, &systemSid});
  // On Windows our own folder reads back as made; under Wine as the user's.
  Descriptor wine(player, {&systemSid, &player});
  for (Descriptor* ours : {&made, &wine}) {
    EXPECT_TRUE(ProvesRunFolder(&made.descriptor, &ours->descriptor));
    // The player's own folder with an Administrators-only list, or one the
    // player owns, or an Administrators folder that lets others in.
    Descriptor playersOwned(player, {&administrators, &systemSid});
    Descriptor playerEntry(administrators, {&administrators, &systemSid, &player});
    Descriptor everybody(administrators, {});
    Descriptor deniedFirst(administrators, {&administrators, &systemSid}, true);
    for (Descriptor* theirs : {&playersOwned, &playerEntry, &everybody, &deniedFirst})
      EXPECT_FALSE(ProvesRunFolder(&theirs->descriptor, &ours->descriptor));
  }
  // Only where our own folder reads back unlike what was given (Wine) does
  // one just like it count; on Windows that is the player's.
  Descriptor wineAlike(player, {&systemSid, &player});
  EXPECT_TRUE(ProvesRunFolder(&wineAlike.descriptor, &wine.descriptor));
  EXPECT_FALSE(ProvesRunFolder(&wineAlike.descriptor, &made.descriptor));
  Descriptor wineWider(player, {&systemSid, &player, &administrators});
  EXPECT_FALSE(ProvesRunFolder(&wineWider.descriptor, &wine.descriptor));
  EXPECT_FALSE(ProvesRunFolder(&wineAlike.descriptor, nullptr));
}

// With UTF-8 as the ANSI code page, the conversion is made without a
// used-default flag, which Windows refuses there (this executable links the
// call as Windows makes it); the round trip still finds a look-alike.
TEST(RunFolderProof, TemporaryFoldersSurviveAUtf8CodePage) {
  EXPECT_TRUE(SurvivesCodePage(CP_UTF8, L"C:\\Windows\\Temp"));
  EXPECT_TRUE(SurvivesCodePage(CP_UTF8, L"C:\\Users\\\x141\xF3\x64\x17A\\AppData\\Local\\Temp"));
  EXPECT_TRUE(SurvivesCodePage(1252, L"C:\\Windows\\Temp"));
  EXPECT_FALSE(SurvivesCodePage(1252, L"C:\\Users\\\x141\xF3\x64\x17A\\Temp"));
}
