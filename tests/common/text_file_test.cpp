#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "common/atomic_file_writer.h"
#include "common/text_encoding.h"
#include "common/text_file.h"
#include "tests/support/compile_harness.h"

namespace {

TEST(TextEncoding, Utf8StaysAndLosesItsByteOrderMark) {
  EXPECT_EQ(vlm::DecodeText("基本音符=16"), "基本音符=16");
  EXPECT_EQ(vlm::DecodeText("\xEF\xBB\xBFplain"), "plain");
  EXPECT_TRUE(vlm::IsValidUtf8("ascii \t\r\n"));
  EXPECT_FALSE(vlm::IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(vlm::IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(vlm::IsValidUtf8("\xE3\x81"));          // cut short at the end
  EXPECT_FALSE(vlm::IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

// ASCII is skipped in blocks: a bad byte or a character cut short must be
// found wherever it falls against those blocks.
TEST(TextEncoding, FaultsAreFoundAtEveryOffset) {
  for (std::size_t before = 0; before < 20; ++before) {
    const std::string pad(before, 'c');
    EXPECT_TRUE(vlm::IsValidUtf8(pad + "音" + pad)) << before;
    EXPECT_FALSE(vlm::IsValidUtf8(pad + "\x80" + pad)) << before;
    EXPECT_FALSE(vlm::IsValidUtf8(pad + "\xE3\x81")) << before;
    EXPECT_FALSE(vlm::IsValidUtf8(pad + "\xFF" + std::string(9, 'd'))) << before;
  }
}

TEST(TextEncoding, Cp932IsDecodedTheWindowsWay) {
  // "基本音符" and "音域高" in code page 932.
  EXPECT_EQ(vlm::DecodeText("\x8a\xee\x96\x7b\x89\xb9\x95\x84=16"), "基本音符=16");
  EXPECT_EQ(vlm::DecodeText("\x89\xb9\x88\xe6\x8d\x82"), "音域高");
  // A backslash stays a backslash (not a yen sign); NEC's circled one and
  // half-width katakana decode as Windows shows them.
  EXPECT_EQ(vlm::DecodeText("\\t\x87\x40\xb9\xde"), "\\t①ｹﾞ");
  // A lead byte at the end is not dropped silently.
  EXPECT_EQ(vlm::DecodeText("ab\x82"), "ab\xEF\xBF\xBD");
}

TEST(TextFile, SplitsAtEveryLineEndAndWritesCrLf) {
  EXPECT_EQ(vlm::SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(vlm::SplitLines("a\n\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(vlm::SplitLines("").empty());
  // Empty lines at either end, lone CRs, and LF CR (two line ends, not one).
  EXPECT_EQ(vlm::SplitLines("\n"), (std::vector<std::string>{""}));
  EXPECT_EQ(vlm::SplitLines("\r\r\n"), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(vlm::SplitLines("a\r"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(vlm::SplitLines("\n\rb"), (std::vector<std::string>{"", "", "b"}));
  EXPECT_EQ(vlm::SplitLines("ab\r\n\ncd\r\ne"), (std::vector<std::string>{"ab", "", "cd", "e"}));
  EXPECT_EQ(vlm::JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(TextFile, AtomicWriteReplacesOrLeavesTheOldFile) {
  const std::string dir = vlmtest::ScratchDir();
  const std::string file = dir + "/data.txt";
  ASSERT_FALSE(vlm::WriteFileAtomically(file, "first").has_value());
  ASSERT_FALSE(vlm::WriteFileAtomically(file, "second").has_value());
  EXPECT_EQ(vlm::ReadFileBytes(file), "second");
  // A target that cannot be created: the reason comes back, nothing is left.
  const auto failure = vlm::WriteFileAtomically(dir + "/missing/data.txt", "x");
  ASSERT_TRUE(failure.has_value());
  EXPECT_NE(failure->find("missing"), std::string::npos);
  // A directory in the target's place: the rename fails, the temporary goes.
  std::filesystem::create_directory(dir + "/taken");
  EXPECT_TRUE(vlm::WriteFileAtomically(dir + "/taken", "x").has_value());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2);
  // Copies go the same way.
  ASSERT_FALSE(vlm::CopyFileAtomically(file, dir + "/copy.txt").has_value());
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/copy.txt"), "second");
  EXPECT_TRUE(vlm::CopyFileAtomically(dir + "/none.txt", dir + "/copy.txt").has_value());
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/copy.txt"), "second");
  std::filesystem::remove_all(dir);
}

// Written in pieces, the file appears only on Commit; a writer dropped before
// it leaves the old file and no temporary one.
TEST(TextFile, AtomicWriterStreamsPiecesAndCommitsOnce) {
  const std::string dir = vlmtest::ScratchDir();
  const std::string file = dir + "/song.mid";
  ASSERT_FALSE(vlm::WriteFileAtomically(file, "old").has_value());
  {
    vlm::AtomicFileWriter writer(file);
    writer.Write("MThd");
    writer.Write(std::string(100000, 'x'));
    EXPECT_EQ(vlm::ReadFileBytes(file), "old");
  }
  EXPECT_EQ(vlm::ReadFileBytes(file), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  {
    vlm::AtomicFileWriter writer(file);
    writer.Write("ab");
    writer.Write("");
    writer.Write("cd");
    EXPECT_FALSE(writer.Commit(false).has_value());
  }
  EXPECT_EQ(vlm::ReadFileBytes(file), "abcd");
  // A writer that could not start reports it on Commit; its writes are ignored.
  vlm::AtomicFileWriter lost(dir + "/missing/song.mid");
  lost.Write("x");
  const auto failure = lost.Commit();
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->rfind(dir + "/missing/song.mid: ", 0), 0u);
  std::filesystem::remove_all(dir);
}

// Space reserved beyond what is written is given back on Commit: the file
// has exactly the bytes written, in size and (near enough) on disk, whether
// the reservation was too large, too small or the writer was dropped.
TEST(TextFile, AtomicWriterReservationLeavesTheFileItsOwnSize) {
  const std::string dir = vlmtest::ScratchDir();
  const std::string file = dir + "/song.mid";
  ASSERT_FALSE(vlm::WriteFileAtomically(file, "old").has_value());
  {
    vlm::AtomicFileWriter writer(file);
    writer.Reserve(std::uint64_t{64} << 20);
    writer.Write("MThd");
    writer.Write(std::string(5000, 'x'));
    EXPECT_FALSE(writer.Commit(false).has_value());
  }
  EXPECT_EQ(vlm::ReadFileBytes(file), "MThd" + std::string(5000, 'x'));
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 5004);
  EXPECT_LT(static_cast<std::int64_t>(info.st_blocks) * 512, std::int64_t{1} << 20);
  {
    vlm::AtomicFileWriter writer(file);
    writer.Reserve(2);
    writer.Write("abcdef");
    EXPECT_FALSE(writer.Commit(false).has_value());
  }
  EXPECT_EQ(vlm::ReadFileBytes(file), "abcdef");
  {
    vlm::AtomicFileWriter dropped(file);
    dropped.Reserve(std::uint64_t{64} << 20);
    dropped.Write("never");
  }
  EXPECT_EQ(vlm::ReadFileBytes(file), "abcdef");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  std::filesystem::remove_all(dir);
}

// Splits a decoded text as a source is split: at LF, without a CR before it.
std::vector<std::string> ReferenceLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Sources are read in pieces: lines, CR LF pairs and UTF-8 characters that
// straddle a piece's end must come out as from the whole text, and one byte
// that is not UTF-8, however late, makes the whole file code page 932.
TEST(TextFile, SourceLinesAreTheWholeTextsLines) {
  const std::string dir = vlmtest::ScratchDir();
  const std::string file = dir + "/song.vlm";
  std::string long_text = "\xEF\xBB\xBF";
  for (int i = 0; long_text.size() < 300000; ++i)
    long_text += std::string(static_cast<std::size_t>(i % 97), 'c') + (i % 3 ? "音" : "") + (i % 5 ? "\r\n" : "\n");
  const std::vector<std::string> texts = {
      "", "\xEF\xBB\xBF", "\xEF\xBB\xBF\r", "\n", "x", "a\r\nb\r\n", "a\n\nb", "end\r", "\xEF\xBB\xBFt132 c\n", long_text,
      long_text + "no final line end",
      std::string(200000, 'x') + "\r",                       // one long line, kept as read
      "\xEF\xBB\xBF" + std::string(200000, 'y'),             // the same after a byte-order mark
      long_text + "\x89\xB9\n",                             // 音 in code page 932
  };
  for (std::size_t k = 0; k < texts.size(); ++k) {
    ASSERT_FALSE(vlm::WriteFileAtomically(file, texts[k], false).has_value());
    const auto lines = vlm::ReadSourceLines(file);
    ASSERT_TRUE(lines.has_value()) << k;
    EXPECT_EQ(*lines, ReferenceLines(vlm::DecodeText(texts[k]))) << k;
  }
  const auto last = vlm::ReadSourceLines(file);
  EXPECT_EQ(last->back(), "音");
  // The first line is empty after the byte-order mark; not UTF-8, the mark's
  // bytes are decoded instead of dropped.
  EXPECT_FALSE(last->front().empty());
  EXPECT_FALSE(vlm::ReadSourceLines(dir + "/none.vlm").has_value());
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(vlm::ReadSourceLines(dir).has_value());
  EXPECT_EQ(errno, EISDIR);
  std::filesystem::remove_all(dir);
}

// A byte-order mark alone is an empty text on every road that reads text.
TEST(TextFile, AByteOrderMarkAloneHoldsNoLine) {
  const std::string dir = vlmtest::ScratchDir();
  const std::string file = dir + "/bom.vlm";
  ASSERT_FALSE(vlm::WriteFileAtomically(file, "\xEF\xBB\xBF").has_value());
  EXPECT_EQ(vlm::ReadSourceLines(file), std::vector<std::string>{});
  EXPECT_EQ(vlm::SplitLines(*vlm::ReadTextFile(file)), std::vector<std::string>{});
  std::filesystem::remove_all(dir);
}

// Only a regular file (or standard input) of at most 256 MiB is a source:
// an endless device, a pipe (refused without waiting for a writer) and a
// larger file are refused at once with the name and the limit.
TEST(TextFile, SourcesAreBoundedRegularFiles) {
  const std::string dir = vlmtest::ScratchDir();
  std::string why;
  EXPECT_FALSE(vlm::ReadSourceLines("/dev/zero", &why).has_value());
  EXPECT_EQ(why, "/dev/zero: not a regular file (a source is a regular file of up to 256 MiB, or - for standard input)");
  ASSERT_EQ(::mkfifo((dir + "/pipe").c_str(), 0600), 0);
  EXPECT_FALSE(vlm::ReadSourceLines(dir + "/pipe", &why).has_value());
  EXPECT_EQ(why.rfind(dir + "/pipe: not a regular file", 0), 0u) << why;
  const std::string big = dir + "/big.vlm";
  ASSERT_FALSE(vlm::WriteFileAtomically(big, "c").has_value());
  std::filesystem::resize_file(big, vlm::MaxSourceBytes + 1);  // sparse: costs no disk
  EXPECT_FALSE(vlm::ReadSourceLines(big, &why).has_value());
  EXPECT_EQ(errno, EFBIG);
  EXPECT_EQ(why, big + ": larger than 256 MiB, the most a source may hold");
  std::filesystem::resize_file(big, vlm::MaxSourceBytes);
  EXPECT_EQ(vlm::ReadSourceLines(big).value_or(std::vector<std::string>{}).size(), 1u);
  EXPECT_FALSE(vlm::ReadSourceLines(dir + "/none.vlm", &why).has_value());
  EXPECT_EQ(why, dir + "/none.vlm: " + std::strerror(ENOENT));
  std::filesystem::remove_all(dir);
}

// "-" reads standard input, decoded as a file is (here code page 932).
TEST(TextFile, DashReadsStandardInput) {
  const std::string dir = vlmtest::ScratchDir();
  ASSERT_FALSE(vlm::WriteFileAtomically(dir + "/in.vlm", "a\r\n\x89\xB9\n").has_value());
  const int saved = ::dup(STDIN_FILENO);
  const int in = ::open((dir + "/in.vlm").c_str(), O_RDONLY);
  ASSERT_GE(in, 0);
  ::dup2(in, STDIN_FILENO);
  ::close(in);
  const auto lines = vlm::ReadSourceLines("-");
  ::dup2(saved, STDIN_FILENO);
  ::close(saved);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "音"}));
  std::filesystem::remove_all(dir);
}

}  // namespace
