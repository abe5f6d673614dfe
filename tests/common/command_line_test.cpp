#include "common/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Kind = vlm::CommandItem::Kind;
using Value = vlm::CommandOption::Value;

constexpr vlm::CommandOption kTable[] = {
    {"output", 'o', Value::Required},  // 0
    {"seed", 0, Value::Required},      // 1
    {"settings", 0, Value::Required},  // 2
    {"quiet", 'q', Value::None},       // 3
    {"print", 0, Value::NextWord},     // 4
};

// Each item as "kind:option:text=value", so that a whole parse compares at once.
std::vector<std::string> Parse(std::initializer_list<const char*> words) {
  std::vector<std::string> storage{"prog"};
  storage.insert(storage.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (auto& word : storage) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> out;
  for (const auto& item : vlm::ParseCommandLine(static_cast<int>(storage.size()), argv.data(), kTable)) {
    const char* kind = item.kind == Kind::Option         ? "opt"
                       : item.kind == Kind::Operand      ? "arg"
                       : item.kind == Kind::Unknown      ? "unknown"
                       : item.kind == Kind::MissingValue ? "missing"
                                                         : "unwanted";
    out.push_back(std::string(kind) + ":" + std::to_string(item.option) + ":" + item.text +
                  (item.value ? "=" + *item.value : ""));
  }
  return out;
}

using Items = std::vector<std::string>;

TEST(CommandLine, ValuesAfterSpaceEqualsOrAttachedAndOperandsInOrder) {
  EXPECT_EQ(Parse({"a.vlm", "-o", "x.mid", "--seed=7", "-q", "--output", "y", "-oz", "b"}),
            (Items{"arg:-1:a.vlm", "opt:0:-o=x.mid", "opt:1:--seed=7", "opt:3:-q", "opt:0:--output=y",
                   "opt:0:-o=z", "arg:-1:b"}));
  // A value may begin with '-' and may be empty; "-" alone is an operand.
  EXPECT_EQ(Parse({"--seed", "-1", "-o", "-", "-", "--output="}),
            (Items{"opt:1:--seed=-1", "opt:0:-o=-", "arg:-1:-", "opt:0:--output="}));
}

TEST(CommandLine, DoubleDashEndsTheOptions) {
  EXPECT_EQ(Parse({"-q", "--", "-o", "--seed", "--"}),
            (Items{"opt:3:-q", "arg:-1:-o", "arg:-1:--seed", "arg:-1:--"}));
}

TEST(CommandLine, PrefixesUnknownMissingAndUnwanted) {
  // A unique prefix names its option; an ambiguous one names none.
  EXPECT_EQ(Parse({"--out=a", "--se", "1"}), (Items{"opt:0:--output=a", "unknown:-1:--se", "arg:-1:1"}));
  EXPECT_EQ(Parse({"--frob=2", "-x"}), (Items{"unknown:-1:--frob", "unknown:-1:-x"}));
  EXPECT_EQ(Parse({"--quiet=yes"}), (Items{"unwanted:3:--quiet"}));
  EXPECT_EQ(Parse({"a", "--seed"}), (Items{"arg:-1:a", "missing:1:--seed"}));
  EXPECT_EQ(Parse({"-o"}), (Items{"missing:0:-o"}));
}

TEST(CommandLine, AnOptionalValueIsTheNextWordUnlessItIsAnOption) {
  EXPECT_EQ(Parse({"--print", "rhythm", "-q"}), (Items{"opt:4:--print=rhythm", "opt:3:-q"}));
  EXPECT_EQ(Parse({"--print", "-q"}), (Items{"opt:4:--print", "opt:3:-q"}));
  EXPECT_EQ(Parse({"--print=source"}), (Items{"opt:4:--print=source"}));
  EXPECT_EQ(Parse({"--print"}), (Items{"opt:4:--print"}));
}

// Each parse starts afresh, whatever the one before left behind.
TEST(CommandLine, RepeatedParsesAgree) {
  const Items first = Parse({"-qo", "x", "y"});
  EXPECT_EQ(first, (Items{"opt:3:-q", "opt:0:-o=x", "arg:-1:y"}));
  Parse({"--seed"});
  EXPECT_EQ(Parse({"-qo", "x", "y"}), first);
}

TEST(CommandLine, DecimalNumbersOnlyInRange) {
  unsigned long long value = 0;
  EXPECT_TRUE(vlm::ParseDecimal("4294967295", 0, 4294967295ULL, value));
  EXPECT_EQ(value, 4294967295ULL);
  for (const char* bad : {"", "-1", "+1", " 1", "1x", "4294967296", "99999999999999999999999"})
    EXPECT_FALSE(vlm::ParseDecimal(bad, 0, 4294967295ULL, value)) << bad;
  EXPECT_FALSE(vlm::ParseDecimal("0", 1, 128, value));
}

}  // namespace
