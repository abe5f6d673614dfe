#include "common/atomic_file_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "common/text_file.h"
#include "tests/support/compile_harness.h"
#include "tests/support/fifo_reader.h"

namespace {

namespace fs = std::filesystem;

class AtomicWriter : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove_all(dir); }

  std::string Path(const std::string& name) const { return dir + "/" + name; }

  static std::optional<std::string> Put(const std::string& path, const std::string& data) {
    return vlm::WriteFileAtomically(path, data);
  }

  static mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode;
  }

  // Every name in the folder: a temporary file left behind shows here.
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  }

  std::string dir = vlmtest::ScratchDir();
};

// A symbolic link stays a link; the file it points to gets the new text,
// through a relative link in another folder and through a chain of two.
TEST_F(AtomicWriter, ReplacesTheFileALinkNamesAndKeepsTheLink) {
  fs::create_directory(Path("sub"));
  ASSERT_FALSE(Put(Path("real.txt"), "old").has_value());
  fs::create_symlink("../real.txt", Path("sub/link.txt"));
  fs::create_symlink("sub/link.txt", Path("chain.txt"));
  ASSERT_FALSE(Put(Path("sub/link.txt"), "new").has_value());
  EXPECT_TRUE(fs::is_symlink(Path("sub/link.txt")));
  EXPECT_EQ(vlm::ReadFileBytes(Path("real.txt")), "new");
  ASSERT_FALSE(Put(Path("chain.txt"), "newer").has_value());
  EXPECT_TRUE(fs::is_symlink(Path("chain.txt")));
  EXPECT_EQ(vlm::ReadFileBytes(Path("real.txt")), "newer");
  // A link to a free name creates the file there.
  fs::create_symlink("made.txt", Path("dangling.txt"));
  ASSERT_FALSE(Put(Path("dangling.txt"), "made").has_value());
  EXPECT_TRUE(fs::is_symlink(Path("dangling.txt")));
  EXPECT_EQ(vlm::ReadFileBytes(Path("made.txt")), "made");
  // A loop of links is refused with the system's reason, nothing written.
  fs::create_symlink("loop2", Path("loop1"));
  fs::create_symlink("loop1", Path("loop2"));
  const auto failure = Put(Path("loop1"), "x");
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(*failure, Path("loop1") + ": " + std::strerror(ELOOP));
  EXPECT_EQ(Entries(), 7u);
}

TEST_F(AtomicWriter, KeepsTheModeOfTheFileItReplaces) {
  const std::string file = Path("private.wav");
  ASSERT_FALSE(Put(file, "old").has_value());
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  ASSERT_FALSE(Put(file, "new").has_value());
  EXPECT_EQ(ModeOf(file) & 07777, 0600u);
  ASSERT_EQ(::chmod(file.c_str(), 0751), 0);
  ASSERT_FALSE(Put(file, "newer").has_value());
  EXPECT_EQ(ModeOf(file) & 07777, 0751u);
  // A new file: 0666 less the umask.
  const mode_t mask = ::umask(027);
  ASSERT_FALSE(Put(Path("fresh.mid"), "x").has_value());
  ::umask(mask);
  EXPECT_EQ(ModeOf(Path("fresh.mid")) & 07777, 0640u);
}

// A pipe is written in place (a reader gets the bytes) and stays a pipe.
TEST_F(AtomicWriter, WritesIntoAFifoAndLeavesItAFifo) {
  const std::string fifo = Path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  vlmtest::FifoReader reader(fifo);
  const std::string data = "MThd" + std::string(200000, 'x');
  {
    vlm::AtomicFileWriter writer(fifo);
    EXPECT_TRUE(writer.InPlace());
    writer.Reserve(1 << 20);
    writer.Write(data);
    EXPECT_FALSE(writer.Commit().has_value());
  }
  EXPECT_EQ(reader.Join(), data);
  EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
  EXPECT_EQ(Entries(), 1u);
}

// A character device (a null device of our own, so that a fault cannot
// replace the machine's /dev/null) is written, not renamed over.
TEST_F(AtomicWriter, WritesIntoADeviceAndLeavesItADevice) {
  std::string device = Path("null");
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    if (::geteuid() == 0) GTEST_SKIP() << "no device node can be made here";
    device = "/dev/null";
  }
  const auto failure = Put(device, "discarded");
  EXPECT_FALSE(failure.has_value()) << *failure;
  EXPECT_TRUE(S_ISCHR(ModeOf(device)));
  // A link to the device is followed to it and stays a link.
  fs::create_symlink(device, Path("to-null"));
  EXPECT_FALSE(Put(Path("to-null"), "discarded").has_value());
  EXPECT_TRUE(fs::is_symlink(Path("to-null")));
  EXPECT_TRUE(S_ISCHR(ModeOf(device)));
  // A directory is neither replaced nor written into.
  fs::create_directory(Path("folder"));
  const auto refused = Put(Path("folder"), "x");
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(*refused, Path("folder") + ": " + std::strerror(EISDIR));
}

// A header patched at the end: possible in a temporary file, a failure
// naming the file on a pipe.
TEST_F(AtomicWriter, PatchesWrittenBytesOnlyInARegularFile) {
  const std::string file = Path("a.wav");
  {
    vlm::AtomicFileWriter writer(file);
    EXPECT_FALSE(writer.InPlace());
    writer.Write("abcdef");
    writer.WriteAt(1, "XY");
    EXPECT_FALSE(writer.Commit(false).has_value());
  }
  EXPECT_EQ(vlm::ReadFileBytes(file), "aXYdef");
  const std::string fifo = Path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread reader([&] { std::ifstream in(fifo, std::ios::binary); std::string s; std::getline(in, s); });
  std::optional<std::string> failure;
  {
    vlm::AtomicFileWriter writer(fifo);
    writer.Write("ab");
    writer.WriteAt(0, "X");
    failure = writer.Commit();
  }
  reader.join();
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(*failure, fifo + ": " + std::strerror(ESPIPE));
}

}  // namespace
