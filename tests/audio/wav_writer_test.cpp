#include "audio/wav_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/media_player.h"
#include "tests/audio/audio_support.h"
#include "tests/support/compile_harness.h"
#include "tests/support/fifo_reader.h"

namespace {

namespace fs = std::filesystem;

class WavWriterTest : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove_all(dir); }

  // One second of a quiet ramp, stereo at 8000 frames per second.
  static void WriteSecond(const std::string& path) {
    vlm::WavWriter out(path, 8000, 2);
    std::vector<std::int16_t> samples(16000);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(i % 200);
    out.Write(samples.data(), 8000);
    out.Finish();
  }

  std::string dir = vlmtest::ScratchDir();
};

// Another user may plant the name an unfinished file once had, as a link to
// a file of theirs to overwrite: it is neither followed nor touched.
TEST_F(WavWriterTest, APlantedTemporaryNameIsNotFollowed) {
  const std::string victim = dir + "/victim";
  vlmtest::WriteBytes(victim, {'k', 'e', 'e', 'p'});
  fs::create_symlink(victim, dir + "/song.wav.tmp~");
  WriteSecond(dir + "/song.wav");
  EXPECT_EQ(vlmtest::ReadFileBytes(victim), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
  EXPECT_TRUE(fs::is_symlink(dir + "/song.wav.tmp~"));
  const vlmtest::Wav wav = vlmtest::ReadWav(dir + "/song.wav");
  ASSERT_TRUE(wav.valid) << wav.error;
  EXPECT_DOUBLE_EQ(wav.Seconds(), 1.0);
}

// A private recording stays private; a link to it stays a link.
TEST_F(WavWriterTest, KeepsTheModeAndTheLink) {
  const std::string file = dir + "/private.wav";
  WriteSecond(file);
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  fs::create_symlink("private.wav", dir + "/link.wav");
  WriteSecond(dir + "/link.wav");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_TRUE(fs::is_symlink(dir + "/link.wav"));
  EXPECT_TRUE(vlmtest::ReadWav(file).valid);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

// Into a pipe, the WAV goes as a stream: the header cannot be patched, so it
// gives the largest sizes, and the samples follow it whole.
TEST_F(WavWriterTest, StreamsIntoAPipe) {
  const std::string fifo = dir + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  vlmtest::FifoReader reader(fifo);
  WriteSecond(fifo);
  const std::string received = reader.Join();
  ASSERT_EQ(received.size(), 44u + 32000u);
  EXPECT_EQ(received.substr(0, 4), "RIFF");
  EXPECT_EQ(received.substr(4, 4), "\xFF\xFF\xFF\xFF");
  EXPECT_EQ(received.substr(36, 8), std::string("data\xDB\xFF\xFF\xFF", 8));
  EXPECT_EQ(received[44 + 2 * 199], static_cast<char>(199));
  struct stat info {};
  ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(WavWriterTest, AFileThatCannotBeMadeIsNamedWithTheReason) {
  const std::string wav = dir + "/missing/out.wav";
  try {
    WriteSecond(wav);
    ADD_FAILURE() << "written";
  } catch (const vlm::MediaError& e) {
    EXPECT_EQ(std::string(e.what()), "The WAV file \"" + wav + "\" cannot be created: " + std::strerror(ENOENT));
  }
}

}  // namespace
