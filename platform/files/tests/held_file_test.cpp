#include "platform/files/held_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "tests/support/file_closed_hook.h"
#include "tests/support/harness.h"

namespace {

// Either hold, the worker's and the new game's (which can rename itself
// later): no other program can write, rename or delete the file, and
// readers are welcome, a program start and a game that reads its own
// program file with fopen among them. Catches written-through-an-existing-name.
TEST(HeldFile, NobodyElseCanWriteRenameOrDeleteItUntilReleased) {
  std::string path = TempDirectory() + "held_file_test.tmp";
  std::string peer = "\"" + Sibling("section_peer.exe") + "\" change \"" + path + "\"";
  const std::string bytes(200000, 'x');
  for (bool renamable : {false, true}) {
    HeldFile held;
    ASSERT_TRUE(held.Write(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()), renamable));
    EXPECT_EQ(RunProcess(peer), 0u) << renamable << ": changed while held";
    EXPECT_TRUE(FileBytes(path) == bytes) << renamable;
    held.Release();
    EXPECT_EQ(RunProcess(peer) & 4u, 4u) << "the peer cannot delete even a released file";
    // A name already there, perhaps a link to a file of the system, is
    // never written through, and what it names stays as it was.
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << renamable;
    EXPECT_FALSE(HeldFile().Write(path.c_str(), "y", 1)) << renamable;
    EXPECT_TRUE(FileBytes(path) == bytes) << renamable;
    DeleteFileA(path.c_str());
  }
}

// What another program may do where the file changes hands: between the
// writer's close and the hold it can add a link or change bytes in place
// (the bridge lets a writer in), but not take the name (nothing shares
// deletion before the data stage has ended); between the hold and the
// rename it can do both. Either way the file is refused, and the file to be
// replaced stays as it was. Changed bytes never read back as written:
// neither against the bytes nor, for a file made in pieces, against their
// sum. Catches hand-over-not-checked, read-back-skipped, second-link-accepted
// and rename-target-without-native-prefix.
TEST(HeldFile, ALinkAnotherFileOrChangedBytesAtAHandOverAreRefused) {
  enum How { kLink, kSwap, kChange };
  static struct {
    int at, calls;
    How how;
    bool meddled;
  } meddling;
  fileClosedHook = [](const char* name) {
    if (++meddling.calls != meddling.at) return;
    std::string path = name;
    if (meddling.how == kLink) meddling.meddled = CreateHardLinkA((path + ".link").c_str(), name, nullptr);
    if (meddling.how == kSwap)
      meddling.meddled = MoveFileA(name, (path + ".away").c_str()) && WriteFileBytes(path, "another program's");
    if (meddling.how != kChange) return;
    // A writer that shares reading and writing, as the C runtime's does.
    FILE* file = std::fopen(name, "r+b");
    meddling.meddled = file && std::fseek(file, 70000, SEEK_SET) == 0 && std::fputc('!', file) != EOF;
    if (file) std::fclose(file);
  };
  std::string path = TempDirectory() + "held_hand_over.tmp", target = TempDirectory() + "held_target.exe";
  std::string bytes(150000, 'b');
  // Three pieces, as an inflating producer would hand them over.
  PieceProducer pieces = [](void* context, PieceSink* sink) {
    const std::string& all = *static_cast<const std::string*>(context);
    return sink->Put(all.data(), 65536) && sink->Put(all.data() + 65536, 65536) &&
           sink->Put(all.data() + 131072, static_cast<uint32_t>(all.size() - 131072));
  };
  const struct {
    int at;  // 1: the writer's close, 2: the hold's end before the rename
    How how;
    bool produced, meddled, written, renamed;
  } cases[] = {{1, kSwap, false, false, true, true},   {1, kLink, false, true, false, false},
               {2, kSwap, false, true, true, false},   {2, kLink, false, true, true, false},
               {1, kChange, false, true, false, false}, {1, kChange, true, true, false, false},
               {0, kChange, true, false, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "at " << c.at << ", how " << c.how << ", produced " << c.produced);
    meddling = {c.at, 0, c.how, false};
    ASSERT_TRUE(WriteFileBytes(target, "the old game"));
    HeldFile held;
    bool written = c.produced ? held.WriteProduced(path.c_str(), pieces, &bytes, true)
                              : held.Write(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()), true);
    bool renamed = written && held.RenameReplacing(INVALID_HANDLE_VALUE, target.c_str());
    held.Release();
    // Whether the meddling worked, and what came of the write and the rename.
    EXPECT_EQ(std::make_tuple(meddling.meddled, written, renamed), std::make_tuple(c.meddled, c.written, c.renamed));
    EXPECT_TRUE(FileBytes(target) == (c.renamed ? bytes : "the old game"));
    for (const char* suffix : {"", ".link", ".away"}) DeleteFileA((path + suffix).c_str());
  }
  fileClosedHook = nullptr;
  DeleteFileA(target.c_str());
}

}  // namespace
