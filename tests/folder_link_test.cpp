// Links a program of the player's account made in place of folders, under
// Wine: host-side symbolic links, which Wine shows as reparse points of no
// named kind in the folder's entry and follows through every handle, as
// Windows follows a junction. The update never works behind one below the
// game folder, and still updates a game folder reached through one.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_key.h"
#include "tests/support/host_link.h"
#include "worker/tests/installed_game.h"

namespace {

const char* kSuccess = "Operation completed";
// A datafiles folder the update cannot trust is code 10's text.
const char* kNoDirectory = "Can not locate directory: update aborts.";
const char* kJoystickFailed =
    "Your joystick settings may have suffered from the upgrade: please destroy joystick.ini File.";

class FolderLinks : public InstalledGame {
 protected:
  void TearDown() override {
    // Removed as links first: a tree removal would go through them.
    for (const std::string& link : links) RemoveHostLink(link);
    links.clear();
    RemoveTree(kElsewhere);
    InstalledGame::TearDown();
  }
  // `link` becomes a link to `target`, an existing folder; a folder of
  // that name is removed first (through Windows, as a program of the
  // player's would).
  void Link(const std::string& link, const std::string& target) {
    RemoveTree(link);
    links.push_back(link);
    ASSERT_TRUE(MakeHostLink(target, link)) << link;
  }
  const std::string kElsewhere = "C:\\Elsewhere";
  std::vector<std::string> links;
};

// data\players, or data, a link to a folder of the player's choice that
// holds a joystick.ini of its own: the joystick step is not done (code 13)
// and nothing there is moved, written or added; everything else updates.
// Catches players-link-followed, unnamed-reparse-point-followed.
// In the same runs the per-user BrenmarkSoft, or the Vantor 3 folder in it,
// a link to a folder of the player's choice (the Startup folder of every
// user) that holds a shortcut of that name and a name like a half-made one:
// nothing behind the link is written, replaced or deleted, and the
// shortcuts in the other folders are all made. Catches
// start-menu-folder-link-followed.
TEST_F(FolderLinks, NothingBehindALinkedPlayersOrStartMenuFolderIsTouched) {
  const std::string other = "[Joystick]\r\nsomebody else's file\r\n", programs = SpecialFolder(CSIDL_PROGRAMS);
  const std::string players = kElsewhere + "\\data\\players", target = kElsewhere + "\\Startup";
  const std::vector<std::string> theirs = {"Vantor 3.lnk", "Vantor 3.lnk.0123456789abcdef.tmp"};
  for (const auto& [linked, menu] : {std::pair<const char*, std::string>{"data\\players", "BrenmarkSoft"},
                                     {"data", "BrenmarkSoft\\Vantor 3"}}) {
    Install("C:\\Games\\Vantor 3");
    const std::string behind = menu == "BrenmarkSoft" ? target + "\\Vantor 3" : target, at = linked + (" " + menu);
    ASSERT_TRUE(MakeDirectories(players) && WriteFileBytes(players + "\\joystick.ini", other));
    ASSERT_TRUE(MakeDirectories(behind) && MakeDirectories(programs + "\\BrenmarkSoft"));
    for (const std::string& name : theirs) ASSERT_TRUE(WriteFileBytes(behind + "\\" + name, "not ours"));
    ASSERT_NO_FATAL_FAILURE(Link(GameFile(linked), kElsewhere + "\\" + linked));
    ASSERT_NO_FATAL_FAILURE(Link(programs + "\\" + menu, target));
    ASSERT_EQ(FileBytes(GameFile("data\\players\\joystick.ini")), other) << "the link does not lead there";

    EXPECT_EQ(Run().box.text, kJoystickFailed) << at;
    EXPECT_EQ(GameVersion(), "1.1.74.3") << at;
    EXPECT_TRUE(FileExists(GameFile("ReadMe_v1_1_En.txt"))) << at;
    EXPECT_EQ(FilesMatching(players + "\\*"), std::vector<std::string>{"joystick.ini"}) << at;
    EXPECT_EQ(FileBytes(players + "\\joystick.ini"), other) << at;
    EXPECT_EQ(FilesMatching(behind + "\\*"), theirs) << at;
    for (const std::string& name : theirs) EXPECT_EQ(FileBytes(behind + "\\" + name), "not ours") << at;
    if (behind != target) {
      EXPECT_EQ(FilesMatching(target + "\\*"), std::vector<std::string>{"Vantor 3"}) << at;
    }
    for (const std::string& folder :
         {SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\BrenmarkSoft\\Vantor 3", SpecialFolder(CSIDL_DESKTOP)})
      for (const char* name : {"\\Vantor 3.lnk", "\\Vantor 3 (NoSetup).lnk"})
        EXPECT_TRUE(FileExists(folder + name)) << at << ": " << folder << name;
    ExpectNoTemporaryLeft();
    TearDown();
  }
}

// datafiles a link, or its vt3.dat a second name of a file outside the
// game: the data stage, which rewrites vt3.dat by name with administrator
// rights, is not started; that file stays as it was, and the old game too.
// The launcher leaves the read-only flag of that file alone too. Catches
// datafiles-link-ignored-before-the-stage, vt3-dat-second-name-accepted,
// datafiles-link-followed, read-only-cleared-through-a-second-name.
TEST_F(FolderLinks, NoDataStageBehindALinkedDataFilesFolderOrASecondNameOfVtDat) {
  const std::string other = "somebody else's file";
  for (bool linkedFolder : {true, false}) {
    Install("C:\\Games\\Vantor 3");
    std::string target = kElsewhere + "\\datafiles", victim = target + "\\vt3.dat";
    ASSERT_TRUE(MakeDirectories(target) && WriteFileBytes(victim, other));
    ASSERT_TRUE(SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_READONLY));
    if (linkedFolder) {
      ASSERT_NO_FATAL_FAILURE(Link(GameFile("datafiles"), target));
    } else {
      ASSERT_TRUE(DeleteFileA(GameFile("datafiles\\vt3.dat").c_str()));
      ASSERT_TRUE(CreateHardLinkA(GameFile("datafiles\\vt3.dat").c_str(), victim.c_str(), nullptr));
    }
    EXPECT_EQ(Run().box.text, kNoDirectory) << linkedFolder;
    EXPECT_EQ(FileBytes(victim), other) << linkedFolder;
    EXPECT_NE(GetFileAttributesA(victim.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << linkedFolder;
    SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectOldGameAndNothingFinished();
    TearDown();
  }
}

// The game folder and the temporary folder reached through links the
// player made (a game moved to another drive): the update completes, and
// works in the folder behind the link, where a process that refuses the
// player's junctions can still reach it. Catches game-folder-unresolved.
// Both programs ask for that refusal (policy 16, flag
// EnforceRedirectionTrust, a 4-byte word) where the system has the
// function; where it has not, the update goes on as before.
TEST_F(FolderLinks, AGameFolderReachedThroughALinkStillUpdatesAndBothProgramsAskForTheMitigation) {
  // The temporary folder's two names, kept to be put back, then the test build's.
  const char* const names[] = {"TEMP", "TMP", "VT3_MITIGATION_LOG", "VT3_MITIGATION_ABSENT"};
  char kept[2][MAX_PATH] = {};
  for (int i = 0; i < 2; ++i) GetEnvironmentVariableA(names[i], kept[i], MAX_PATH);
  for (bool absent : {false, true}) {
    Install(kElsewhere + "\\Vantor 3");
    const std::string where = GameFile("where.txt"), log = GameFile("mitigation.log");
    ASSERT_TRUE(MakeDirectories("C:\\Games") && MakeDirectories(kElsewhere + "\\Temp"));
    ASSERT_NO_FATAL_FAILURE(Link("C:\\Games\\Vantor 3 moved", game.directory));
    ASSERT_NO_FATAL_FAILURE(Link("C:\\Games\\Temp", kElsewhere + "\\Temp"));
    ASSERT_TRUE(SetMachineString(kGameKeyPath, "SavingPath", "C:\\Games\\Vantor 3 moved"));
    const char* const values[] = {"C:\\Games\\Temp", "C:\\Games\\Temp", log.c_str(), absent ? "1" : nullptr};
    for (int i = 0; i < 4; ++i) SetEnvironmentVariableA(names[i], values[i]);
    Fault("where " + where + "\n");

    std::string box = Run(Sibling("Vt3update_trust.exe")).box.text;
    for (int i = 0; i < 4; ++i) SetEnvironmentVariableA(names[i], i < 2 ? kept[i] : nullptr);
    EXPECT_EQ(box, kSuccess) << absent;
    EXPECT_EQ(GameVersion(), "1.1.74.3") << absent;
    EXPECT_EQ(FileExists(log) ? FileBytes(log) : "",
              absent ? "" : "launcher policy 16 flags 0x1 size 4\r\nworker policy 16 flags 0x1 size 4\r\n");
    // The data stage ran in the folder behind the link, and the shortcuts
    // lead there.
    std::string ran = FileBytes(where), folder = game.directory;
    CharLowerA(&ran[0]);
    CharLowerA(&folder[0]);
    EXPECT_NE(ran.find(".tmp\r\n" + folder + "\r\n"), std::string::npos) << ran;
    EXPECT_TRUE(FileExists(SpecialFolder(CSIDL_DESKTOP) + "\\Vantor 3.lnk")) << absent;
    EXPECT_EQ(FilesMatching(kElsewhere + "\\Temp\\*"), std::vector<std::string>()) << "the run's folder stayed";
    ExpectNoTemporaryLeft();
    TearDown();
  }
}

}  // namespace
