#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/phrase_history.h"
#include "common/text_file.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace vlmtest {
namespace {

vlm::PhraseEntry Entry(std::uint32_t seed, bool kept = false) {
  vlm::PhraseEntry e;
  e.Seed = seed;
  e.CompileSeed = seed + 1;
  e.Kind = "draw";
  e.Rhythm = "NrN^";
  e.Pattern = "l16o5q16c" + std::to_string(seed);
  e.Settings = "[BasicTab]\r\noption=\"t\"\\\r\n";
  e.Time = "2026-12-07T19:40:00Z";
  e.Kept = kept;
  return e;
}

std::size_t LineCount(const std::string& file) {
  const std::string text = vlm::ReadFileBytes(file).value_or("");
  std::size_t lines = 0;
  for (const char c : text) lines += c == '\n';
  return lines;
}

class PhraseHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ScratchDir();
    file = dir + "/data/vorlumi3/history.jsonl";
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string dir, file;
};

TEST_F(PhraseHistoryTest, ARestartReadsBackEveryFieldAndTheCursorStartsAtTheNewest) {
  {
    vlm::PhraseHistory history(file);
    EXPECT_TRUE(history.Load().empty()) << "no file yet: an empty history";
    ASSERT_FALSE(history.Add(Entry(1)));  // the folders are made on the way
    vlm::PhraseEntry song = Entry(2);
    song.Seed.reset();
    song.Kind = "song";
    song.Pattern = "l8c\td\x01\xe3\x81\x82";  // a tab, a control byte and UTF-8
    ASSERT_FALSE(history.Add(song));
    ASSERT_FALSE(history.Add(Entry(4294967295u)));
  }
  vlm::PhraseHistory again(file);
  EXPECT_TRUE(again.Load().empty());
  ASSERT_EQ(again.Entries().size(), 3u);
  const vlm::PhraseEntry& song = again.Entries()[1];
  EXPECT_FALSE(song.Seed.has_value());
  EXPECT_EQ(song.CompileSeed, 3u);
  EXPECT_EQ(song.Kind, "song");
  EXPECT_EQ(song.Pattern, "l8c\td\x01\xe3\x81\x82");
  EXPECT_EQ(song.Settings, Entry(2).Settings);
  EXPECT_EQ(again.Entries()[2].Seed, 4294967295u);

  EXPECT_EQ(again.Current(), 2u);
  EXPECT_FALSE(again.CanGoForward());
  EXPECT_EQ(again.GoBack()->Pattern, song.Pattern);
  EXPECT_EQ(again.GoBack()->Seed, 1u);
  EXPECT_EQ(again.GoBack(), nullptr);
  EXPECT_EQ(again.GoForward()->Kind, "song");
}

TEST_F(PhraseHistoryTest, EachLineIsAnObjectPythonsJsonReaderAccepts) {
  vlm::PhraseHistory history(file);
  vlm::PhraseEntry e = Entry(7);
  e.Pattern = "q\"uote\\ \r\n\x1f end \xe9\x9f\xb3";
  ASSERT_FALSE(history.Add(e));
  ASSERT_FALSE(history.Add(Entry(8)));
  const CommandRun run = RunCommand(
      dir, "python3 -c 'import json,sys\n"
           "for l in open(sys.argv[1], encoding=\"utf-8\"):\n"
           "  o=json.loads(l); print(o[\"seed\"], o[\"compile_seed\"], o[\"kept\"], repr(o[\"pattern\"]))' '" +
               file + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "7 8 False 'q\"uote\\\\ \\r\\n\\x1f end \xe9\x9f\xb3'\n8 9 False 'l16o5q16c8'\n");
}

TEST_F(PhraseHistoryTest, UnkeptEntriesAgeOutAfterAThousandKeptOnesNever) {
  vlm::PhraseHistory history(file);
  ASSERT_FALSE(history.Add(Entry(0)));
  ASSERT_FALSE(history.SetKept(0, true));
  for (std::uint32_t seed = 1; seed <= 1150; ++seed) ASSERT_FALSE(history.Add(Entry(seed)));

  ASSERT_EQ(history.Entries().size(), 1001u);
  EXPECT_TRUE(history.Entries()[0].Kept);
  EXPECT_EQ(history.Entries()[1].Seed, 151u) << "the oldest unkept ones went first";
  EXPECT_EQ(history.Entries().back().Seed, 1150u);
  EXPECT_LE(LineCount(file), 1001u + vlm::PhraseHistory::CompactSlack) << "the file is bounded too";

  vlm::PhraseHistory reloaded(file);
  EXPECT_TRUE(reloaded.Load().empty());
  ASSERT_EQ(reloaded.Entries().size(), 1001u);
  EXPECT_EQ(reloaded.KeptIndexes(), std::vector<std::size_t>{0});
  EXPECT_EQ(reloaded.Entries()[0].Seed, 0u);
  EXPECT_EQ(reloaded.Entries()[1].Seed, 151u);

  // Unkeeping lets the old entry age out at once.
  ASSERT_FALSE(reloaded.SetKept(0, false));
  EXPECT_EQ(reloaded.Entries().size(), 1000u);
  EXPECT_EQ(reloaded.Entries()[0].Seed, 151u);
  EXPECT_EQ(LineCount(file), 1000u);
}

TEST_F(PhraseHistoryTest, DamagedLinesAreSkippedWithAWarningAndTheNextAppendStartsAFreshLine) {
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  const std::string good = vlm::PhraseEntryJson(Entry(1));
  ASSERT_FALSE(vlm::WriteFileAtomically(file, good + "\n" +
                                                  "not json at all\n"
                                                  "{\"seed\":-1,\"compile_seed\":1,\"rhythm\":\"N\",\"pattern\":\"c\"}\n"
                                                  "{\"seed\":2,\"rhythm\":\"N\",\"pattern\":\"c\"}\n"
                                                  "\n" +
                                                  vlm::PhraseEntryJson(Entry(5)) + "\n" +
                                                  good.substr(0, 30)));  // a write cut short
  vlm::PhraseHistory history(file);
  const auto warnings = history.Load();
  ASSERT_EQ(warnings.size(), 4u);
  EXPECT_EQ(warnings[0], file + ":2: damaged history entry skipped");
  EXPECT_NE(warnings[3].find(":7:"), std::string::npos);
  ASSERT_EQ(history.Entries().size(), 2u);
  EXPECT_EQ(history.Entries()[1].Seed, 5u);

  ASSERT_FALSE(history.Add(Entry(9)));
  vlm::PhraseHistory reloaded(file);
  EXPECT_EQ(reloaded.Load().size(), 4u) << "the cut line stays damaged, the new one is whole";
  ASSERT_EQ(reloaded.Entries().size(), 3u);
  EXPECT_EQ(reloaded.Entries()[2].Seed, 9u);
}

TEST_F(PhraseHistoryTest, AStoreThatCannotBeWrittenIsNamedWithTheReason) {
  ASSERT_FALSE(vlm::WriteFileAtomically(dir + "/plain", "a file, not a folder"));
  vlm::PhraseHistory history(dir + "/plain/history.jsonl");
  const auto failure = history.Add(Entry(1));
  ASSERT_TRUE(failure.has_value());
  EXPECT_NE(failure->find(dir + "/plain/history.jsonl"), std::string::npos) << *failure;
  EXPECT_NE(failure->find("Not a directory"), std::string::npos) << *failure;
  EXPECT_EQ(history.Entries().size(), 1u) << "the phrase stays in memory";
}

}  // namespace
TEST_F(PhraseHistoryTest, TwoProgramsSharingTheStoreKeepEachOthersPhrasesAndMarks) {
  vlm::PhraseHistory a(file), b(file);
  a.Load();
  b.Load();
  ASSERT_FALSE(a.Add(Entry(1)));
  ASSERT_FALSE(b.Add(Entry(2)));
  ASSERT_FALSE(b.Add(Entry(3)));
  ASSERT_FALSE(b.SetKept(1, true));  // b keeps 3: its rewrite must keep a's 1
  ASSERT_FALSE(a.SetKept(0, true));  // a keeps 1: its rewrite must keep b's 2 and 3, and 3's mark
  ASSERT_EQ(a.Entries().size(), 3u) << "a's rewrite took in what b had appended";

  vlm::PhraseHistory reloaded(file);
  EXPECT_TRUE(reloaded.Load().empty());
  ASSERT_EQ(reloaded.Entries().size(), 3u);
  EXPECT_EQ(reloaded.Entries()[0].Seed, 1u);
  EXPECT_TRUE(reloaded.Entries()[0].Kept);
  EXPECT_EQ(reloaded.Entries()[1].Seed, 2u);
  EXPECT_FALSE(reloaded.Entries()[1].Kept);
  EXPECT_EQ(reloaded.Entries()[2].Seed, 3u);
  EXPECT_TRUE(reloaded.Entries()[2].Kept);

  // b unkeeps its phrase after a's rewrite: the store follows b, not b's stale copy of a's mark.
  ASSERT_FALSE(b.SetKept(b.Entries().size() - 1, false));
  reloaded.Load();
  EXPECT_EQ(reloaded.KeptIndexes(), std::vector<std::size_t>{0});
}

// A label names a kept phrase; it is read back (Python reads the same key),
// and another program's rewrite keeps it.
TEST_F(PhraseHistoryTest, ALabelIsStoredAndSurvivesAnotherProgramsRewrite) {
  vlm::PhraseHistory a(file), b(file);
  a.Load();
  b.Load();
  ASSERT_FALSE(a.Add(Entry(1, true)));
  ASSERT_FALSE(a.SetLabel(0, "chorus \"idea\" \xe3\x81\x82"));
  ASSERT_FALSE(b.Add(Entry(2)));
  ASSERT_FALSE(b.SetKept(0, true));  // b's rewrite starts from the store: a's label stays

  vlm::PhraseHistory reloaded(file);
  EXPECT_TRUE(reloaded.Load().empty());
  ASSERT_EQ(reloaded.Entries().size(), 2u);
  EXPECT_EQ(reloaded.Entries()[0].Label, "chorus \"idea\" \xe3\x81\x82");
  EXPECT_EQ(reloaded.Entries()[1].Label, "");
  const CommandRun run = RunCommand(dir, "python3 -c 'import json,sys\n"
                                         "for l in open(sys.argv[1], encoding=\"utf-8\"): print(json.loads(l).get(\"label\"))' '" +
                                             file + "'");
  EXPECT_EQ(run.out, "chorus \"idea\" \xe3\x81\x82\nNone\n") << run.err;
}

// Two processes append, keep and compact at once: no phrase either kept is
// lost, and each one's newest phrases survive the other's rewrites.
TEST_F(PhraseHistoryTest, ConcurrentProgramsLoseNoPhrase) {
  constexpr std::uint32_t PerProcess = 700, KeepEvery = 50, NewestSure = 300;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  auto work = [&](std::uint32_t first) {
    vlm::PhraseHistory history(file);
    history.Load();
    for (std::uint32_t k = 0; k < PerProcess; ++k) {
      if (history.Add(Entry(first + k))) return false;
      if (k % KeepEvery == 0 && history.SetKept(*history.Current(), true)) return false;
    }
    return true;
  };
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(work(100000) ? 0 : 1);
  const bool parentOk = work(200000);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(parentOk);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  vlm::PhraseHistory reloaded(file);
  EXPECT_TRUE(reloaded.Load().empty());
  std::vector<std::uint32_t> seeds;
  for (const auto& entry : reloaded.Entries()) seeds.push_back(*entry.Seed);
  auto has = [&](std::uint32_t seed) { return std::find(seeds.begin(), seeds.end(), seed) != seeds.end(); };
  for (const std::uint32_t first : {100000u, 200000u}) {
    for (std::uint32_t k = 0; k < PerProcess; k += KeepEvery) EXPECT_TRUE(has(first + k)) << "kept " << first + k;
    for (std::uint32_t k = PerProcess - NewestSure; k < PerProcess; ++k) EXPECT_TRUE(has(first + k)) << first + k;
  }
  EXPECT_EQ(reloaded.KeptIndexes().size(), 2 * PerProcess / KeepEvery);
}

}  // namespace vlmtest
