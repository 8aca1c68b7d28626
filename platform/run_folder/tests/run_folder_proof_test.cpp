// What proves a folder named like a run folder the update's own, and what a
// folder needs to be taken as a temporary folder's parent, on descriptors
// and code pages Wine cannot produce.
#include <windows.h>

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

#include "platform/run_folder/run_folder_proof.h"
#include "platform/system/ansi_text.h"

namespace {

// A descriptor in the system's own notation, a player's account written
// PLAYER: owner, then allowed (A) or denied (D) entries, or no list at all
// (NO_ACCESS_CONTROL).
struct Descriptor {
  Descriptor(const char* text) {
    std::string sddl = text;
    for (size_t at; (at = sddl.find("PLAYER")) != std::string::npos;) sddl.replace(at, 6, "S-1-5-21-1-2-3-1000");
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
      ADD_FAILURE() << "cannot build " << sddl;
  }
  ~Descriptor() { LocalFree(descriptor); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
};

}  // namespace

TEST(RunFolderProof, OwnerAdministratorsAndOnlyAdministratorsAndSystemLetIn) {
  const Descriptor made = "O:BAD:(A;;FA;;;BA)(A;;FA;;;SY)";
  // On Windows our own folder reads back as made; under Wine as the user's.
  const Descriptor wine = "O:PLAYERD:(A;;FA;;;SY)(A;;FA;;;PLAYER)";
  // The player's own folder with an Administrators-only list, or one the
  // player owns, or an Administrators folder that lets others in.
  const Descriptor theirs[] = {"O:PLAYERD:(A;;FA;;;BA)(A;;FA;;;SY)", "O:BAD:(A;;FA;;;BA)(A;;FA;;;SY)(A;;FA;;;PLAYER)",
                               "O:BAD:NO_ACCESS_CONTROL", "O:BAD:(D;;FA;;;PLAYER)(A;;FA;;;BA)(A;;FA;;;SY)"};
  for (const Descriptor* ours : {&made, &wine}) {
    EXPECT_TRUE(ProvesRunFolder(made.descriptor, ours->descriptor));
    for (const Descriptor& other : theirs) EXPECT_FALSE(ProvesRunFolder(other.descriptor, ours->descriptor));
  }
  // Only where our own folder reads back unlike what was given (Wine) does
  // one just like it count; on Windows that is the player's.
  const Descriptor wineWider = "O:PLAYERD:(A;;FA;;;SY)(A;;FA;;;PLAYER)(A;;FA;;;BA)";
  EXPECT_TRUE(ProvesRunFolder(wine.descriptor, wine.descriptor));
  EXPECT_FALSE(ProvesRunFolder(wine.descriptor, made.descriptor));
  EXPECT_FALSE(ProvesRunFolder(wineWider.descriptor, wine.descriptor));
  EXPECT_FALSE(ProvesRunFolder(wine.descriptor, nullptr));
}

// With UTF-8 as the ANSI code page, the conversion is made without a
// used-default flag, which Windows refuses there (this executable links the
// call as Windows makes it); the round trip still finds a look-alike.
TEST(RunFolderProof, TemporaryFoldersSurviveAUtf8CodePage) {
  EXPECT_TRUE(SurvivesCodePage(CP_UTF8, L"C:\\Users\\\x141\xF3\x64\x17A\\AppData\\Local\\Temp"));
  EXPECT_TRUE(SurvivesCodePage(1252, L"C:\\Windows\\Temp"));
  EXPECT_FALSE(SurvivesCodePage(1252, L"C:\\Users\\\x141\xF3\x64\x17A\\Temp"));
}
