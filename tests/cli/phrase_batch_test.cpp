#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "cli/phrase_batch.h"
#include "common/text_file.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace {

using vlmtest::CommandRun;

TEST(Shards, PartsCoverTheSeedsOnceInOrderWithSizesWithinOne) {
  for (const vlmcli::SeedRange all : {vlmcli::SeedRange{0, 10}, {7, 3}, {100, 1}, {0, 4294967296ULL}, {5, 999983}}) {
    for (const std::uint64_t parts : {1ULL, 2ULL, 3ULL, 7ULL, 16ULL}) {
      std::uint64_t next = all.First, smallest = UINT64_MAX, largest = 0;
      for (std::uint64_t k = 1; k <= parts; ++k) {
        const vlmcli::SeedRange part = vlmcli::ShardOf(all, k, parts);
        EXPECT_EQ(part.First, next) << all.First << "+" << all.Count << " part " << k << "/" << parts;
        next = part.First + part.Count;
        smallest = std::min(smallest, part.Count);
        largest = std::max(largest, part.Count);
      }
      EXPECT_EQ(next, all.First + all.Count);
      EXPECT_LE(largest - smallest, 1u);
    }
  }
  EXPECT_EQ(vlmcli::ParseShard("3/4"), (std::pair<std::uint64_t, std::uint64_t>(3, 4)));
  for (const char* bad : {"0/3", "4/3", "1/0", "a/b", "1/", "/2", "1/2/3", " 1/2", "+1/2", "$1/2"})
    EXPECT_FALSE(vlmcli::ParseShard(bad)) << bad;
}

class Batch : public ::testing::Test {
 protected:
  std::string dir = vlmtest::ScratchDir();
  ~Batch() override { std::filesystem::remove_all(dir); }

  CommandRun Cli(const std::string& args) {
    return vlmtest::RunCommand(dir, "'" + std::string(VLM_BIN_DIR) + "/vorlumi3-cli' " + args);
  }
  std::string Read(const std::string& name) { return vlm::ReadFileBytes(dir + "/" + name).value_or("(missing)"); }
};

// An empty settings file turns velocity humanising on (the default of its
// missing key), so the compile draws random numbers too: one seed must fix
// both the draw and the compile.
TEST_F(Batch, EveryFileHasTheBytesOfASingleRunWithItsSeed) {
  std::ofstream(dir + "/humanised.vr3") << "[BasicTab]\r\n";
  const CommandRun batch = Cli("--count 3 --first-seed 41 --jobs 2 --wav --settings humanised.vr3 --out-dir out -q");
  ASSERT_EQ(batch.status, 0) << batch.err;
  const std::vector<std::string> manifest = vlm::SplitLines(Read("out/manifest.jsonl"));
  ASSERT_EQ(manifest.size(), 3u);
  for (int seed = 41; seed <= 43; ++seed) {
    const std::string s = std::to_string(seed);
    const CommandRun single =
        Cli("--seed " + s + " --settings humanised.vr3 -o one.mid --mml one.vlm --wav one.wav --print rhythm,pattern");
    ASSERT_EQ(single.status, 0) << single.err;
    EXPECT_EQ(Read("out/" + s + ".mid"), Read("one.mid")) << s;
    EXPECT_EQ(Read("out/" + s + ".vlm"), Read("one.vlm")) << s;
    EXPECT_EQ(Read("out/" + s + ".wav"), Read("one.wav")) << s;

    const std::string& line = manifest[static_cast<std::size_t>(seed - 41)];
    EXPECT_EQ(line.rfind("{\"seed\":" + s + ",\"files\":[\"" + s + ".mid\",\"" + s + ".vlm\",\"" + s + ".wav\"]", 0), 0u)
        << line;
    const std::vector<std::string> printed = vlm::SplitLines(single.out);
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_NE(line.find("\"rhythm\":\"" + printed[0].substr(8) + "\""), std::string::npos) << line;
    EXPECT_NE(line.find("\"pattern\":\"" + printed[1].substr(9) + "\""), std::string::npos) << line;
  }
  // The same seed compiled twice gives the same bytes (the compile no longer reseeds from the clock).
  ASSERT_EQ(Cli("--seed 41 --settings humanised.vr3 -o again.mid -q").status, 0);
  EXPECT_EQ(Read("again.mid"), Read("out/41.mid"));
}

TEST_F(Batch, OptionsOfABatchGoTogether) {
  for (const char* bad : {"--count 3", "--count 0 --out-dir o", "--count 2 --out-dir o --out x.mid",
                          "--count 2 --out-dir o --seed 4", "--count 2 --out-dir o --play", "--out-dir o",
                          "--first-seed 4294967295 --count 2 --out-dir o", "--wav", "--count 2 --out-dir o --jobs 0",
                          "--count 2 --out-dir o --shard 3/2", "--shard 1/2 --seed 3"}) {
    const CommandRun run = Cli(bad);
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_FALSE(run.err.empty()) << bad;
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "/o"));
  std::ofstream(dir + "/file") << "x";
  const CommandRun blocked = Cli("--count 1 --out-dir file");
  EXPECT_EQ(blocked.status, 2);
  EXPECT_NE(blocked.err.find("file"), std::string::npos) << blocked.err;
}

// The README's recipe with GNU parallel, on this machine only: the shards
// together are the whole range, each seed once.
TEST_F(Batch, ShardsRunByGnuParallelMakeTheWholeRange) {
  const CommandRun run = vlmtest::RunCommand(
      dir, "parallel --will-cite --sshlogin : \"'" + std::string(VLM_BIN_DIR) +
               "/vorlumi3-cli' --count 10 --first-seed 100 --shard {}/3 --out-dir '" + dir + "/shard{}' -q\" ::: 1 2 3");
  ASSERT_EQ(run.status, 0) << run.err << run.out;
  std::multiset<std::string> seeds;
  for (int k = 1; k <= 3; ++k)
    for (const std::string& line : vlm::SplitLines(Read("shard" + std::to_string(k) + "/manifest.jsonl")))
      seeds.insert(line.substr(8, 3));
  std::multiset<std::string> expected;
  for (int seed = 100; seed < 110; ++seed) expected.insert(std::to_string(seed));
  EXPECT_EQ(seeds, expected);
}

}  // namespace
