#include "platform/files/held_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/file_closed_hook.h"
#include "tests/support/harness.h"

namespace {

// Either hold, the worker's and the new game's (which can rename itself
// later): no other program can write, rename or delete the file, and
// readers are welcome, a program start and a game that reads its own
// program file with fopen among them.
TEST(HeldFile, NobodyElseCanWriteRenameOrDeleteItUntilReleased) {
  std::string path = TempDirectory() + "held_file_test.tmp", read;
  std::string peer = "\"" + Sibling("section_peer.exe") + "\" change \"" + path + "\"";
  std::string bytes(200000, 'x');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  for (bool renamable : {false, true}) {
    HeldFile held;
    ASSERT_TRUE(held.Write(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()), renamable));
    EXPECT_EQ(RunProcess(peer), 0u) << renamable << ": changed while held";
    ASSERT_TRUE(ReadFileBytes(path, &read)) << renamable;
    EXPECT_TRUE(read == bytes);
    held.Release();
    EXPECT_EQ(RunProcess(peer) & 4u, 4u) << "the peer cannot delete even a released file";
    // A name already there, perhaps a link to a file of the system, is
    // never written through, and what it names stays as it was.
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << renamable;
    HeldFile again;
    EXPECT_FALSE(again.Write(path.c_str(), "y", 1)) << renamable;
    ASSERT_TRUE(ReadFileBytes(path, &read)) << renamable;
    EXPECT_TRUE(read == bytes) << renamable;
    DeleteFileA(path.c_str());
  }
}

// What another program may do where the file changes hands: between the
// writer's close and the hold it can add a link, but not take the name
// (nothing shares deletion before the data stage has ended); between the
// hold and the rename it can do both. Either way the file is refused, and
// the file to be replaced stays as it was.
TEST(HeldFile, ALinkOrAnotherFileAtAHandOverIsRefused) {
  static struct {
    int at, calls;
    bool link, meddled;
  } meddling;
  fileClosedHook = [](const char* name) {
    if (++meddling.calls != meddling.at) return;
    std::string path = name;
    if (meddling.link) meddling.meddled = CreateHardLinkA((path + ".link").c_str(), name, nullptr);
    else meddling.meddled = MoveFileA(name, (path + ".away").c_str()) && WriteFileBytes(path, "another program's");
  };
  std::string path = TempDirectory() + "held_hand_over.tmp", target = TempDirectory() + "held_target.exe";
  const std::string bytes(100000, 'n');
  const struct {
    int at;  // 1: the writer's close, 2: the hold's end before the rename
    bool link, meddled, written, renamed;
  } cases[] = {{1, false, false, true, true},
               {1, true, true, false, false},
               {2, false, true, true, false},
               {2, true, true, true, false}};
  for (const auto& c : cases) {
    meddling = {c.at, 0, c.link, false};
    ASSERT_TRUE(WriteFileBytes(target, "the old game"));
    HeldFile held;
    bool written = held.Write(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()), true);
    bool renamed = written && held.RenameReplacing(INVALID_HANDLE_VALUE, target.c_str());
    held.Release();
    EXPECT_EQ(meddling.meddled, c.meddled) << c.at << c.link;
    EXPECT_EQ(written, c.written) << c.at << c.link;
    EXPECT_EQ(renamed, c.renamed) << c.at << c.link;
    EXPECT_TRUE(FileBytes(target) == (c.renamed ? bytes : "the old game")) << c.at << c.link;
    for (const char* suffix : {"", ".link", ".away"}) DeleteFileA((path + suffix).c_str());
  }
  fileClosedHook = nullptr;
  DeleteFileA(target.c_str());
}

// Bytes changed in place where the file changes hands (the bridge lets a
// writer in) never read back as written: neither against the bytes nor,
// for a file made in pieces, against their sum. Untouched, both hold.
TEST(HeldFile, BytesChangedAtTheHandOverDoNotReadBack) {
  static bool change;
  fileClosedHook = [](const char* name) {
    if (!change) return;
    HANDLE file = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    SetFilePointer(file, 70000, nullptr, FILE_BEGIN);
    EXPECT_TRUE(WriteFile(file, "!", 1, &written, nullptr)) << name;
    CloseHandle(file);
  };
  std::string path = TempDirectory() + "held_changed.tmp", read;
  std::string bytes(150000, 'b');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13);
  // Three pieces, as an inflating producer would hand them over.
  PieceProducer pieces = [](void* context, PieceSink* sink) {
    const std::string& all = *static_cast<const std::string*>(context);
    return sink->Put(all.data(), 65536) && sink->Put(all.data() + 65536, 65536) &&
           sink->Put(all.data() + 131072, static_cast<uint32_t>(all.size() - 131072));
  };
  for (bool produced : {false, true})
    for (bool changed : {false, true}) {
      change = changed;
      HeldFile held;
      bool kept = produced ? held.WriteProduced(path.c_str(), pieces, &bytes)
                           : held.Write(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()));
      EXPECT_EQ(kept, !changed) << produced;
      EXPECT_EQ(ReadFileBytes(path, &read) && read == bytes, !changed) << produced << changed << ": left behind";
      held.Release();
      DeleteFileA(path.c_str());
    }
  fileClosedHook = nullptr;
}

}  // namespace
