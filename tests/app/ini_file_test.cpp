#include <gtest/gtest.h>

#include "app/comma_text.h"
#include "app/ini_file.h"

namespace {

TEST(IniFile, NamesCompareWithoutCaseAndValuesAreTrimmedAndUnquoted) {
  const vlm::IniFile ini(
      "; comment\r\n[basictab]\r\nVELOCITY = 90 \r\nquoted=\"  a b \"\r\nsingle='x'\r\n"
      "half=\"open\r\n[Other]\r\nvelocity=1\r\n");
  EXPECT_EQ(ini.ReadString("BasicTab", "Velocity"), "90");
  EXPECT_EQ(ini.ReadString("BASICTAB", "quoted"), "  a b ");
  EXPECT_EQ(ini.ReadString("BasicTab", "single"), "x");
  EXPECT_EQ(ini.ReadString("BasicTab", "half"), "\"open");
  EXPECT_EQ(ini.ReadString("Other", "Velocity"), "1");
  EXPECT_FALSE(ini.ReadString("BasicTab", "missing").has_value());
  EXPECT_FALSE(ini.ReadString("Missing", "Velocity").has_value());
}

TEST(IniFile, IntegersReadDecimalAndHexOrFallBack) {
  const vlm::IniFile ini("[S]\nd=-12\nx=0x1F\nbig=0X10\nshort=0x\ndollar=$20\nword=abc\nempty=\n");
  EXPECT_EQ(ini.ReadInteger("S", "d", 5), -12);
  EXPECT_EQ(ini.ReadInteger("S", "x", 5), 31);
  EXPECT_EQ(ini.ReadInteger("s", "BIG", 5), 16);
  EXPECT_EQ(ini.ReadInteger("S", "short", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "dollar", 5), 32);
  EXPECT_EQ(ini.ReadInteger("S", "word", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "empty", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "none", 5), 5);
  EXPECT_TRUE(ini.ReadBool("S", "d", false));
  EXPECT_FALSE(vlm::IniFile("[S]\nb=0\n").ReadBool("S", "b", true));
  EXPECT_TRUE(ini.ReadBool("S", "word", true));
}

TEST(IniFile, WritingUpdatesInPlaceAndKeepsEverythingElse) {
  vlm::IniFile ini("; mine\r\n[A]\r\nk1=old\r\nforeign=keep\r\n\r\n[B]\r\nx=1\r\n");
  ini.WriteString("a", "K1", "new");
  ini.WriteString("A", "k2", "added");
  ini.WriteString("C", "z", "3");
  ini.WriteInteger("B", "y", -4);
  EXPECT_EQ(ini.Text(),
            "; mine\r\n[A]\r\nK1=new\r\nforeign=keep\r\nk2=added\r\n\r\n[B]\r\nx=1\r\ny=-4\r\n[C]\r\nz=3\r\n");
}

TEST(IniFile, ValuesReadBackAsWritten) {
  vlm::IniFile ini;
  const std::vector<std::string> values = {
      "plain", "  padded  ", "\"quoted\"", "'single'", "line1\nline2\r\nline3", "a=b", std::string(5000, 'c'),
      "", "\"", "日本語"};
  for (std::size_t i = 0; i < values.size(); ++i) ini.WriteString("S", "k" + std::to_string(i), values[i]);
  const vlm::IniFile back(ini.Text());
  EXPECT_EQ(back.ReadString("S", "k4"), "line1\nline2\nline3");
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i != 4) {
      EXPECT_EQ(back.ReadString("S", "k" + std::to_string(i)), values[i]) << i;
    }
  }
  // A multi-line value cannot smuggle a key or section into the file.
  vlm::IniFile sneaky;
  sneaky.WriteString("S", "option", "x\n[S]\nMML1=evil");
  EXPECT_FALSE(vlm::IniFile(sneaky.Text()).ReadString("S", "MML1").has_value());
}

TEST(CommaText, QuotesWhatNeedsIt) {
  EXPECT_EQ(vlm::CommaText({}), "");
  EXPECT_EQ(vlm::CommaText({""}), "\"\"");
  EXPECT_EQ(vlm::CommaText({"1", "03", "12"}), "1,03,12");
  EXPECT_EQ(vlm::CommaText({"a b", "c,d", "say \"hi\"", "", "x"}), "\"a b\",\"c,d\",\"say \"\"hi\"\"\",,x");
  // A trailing comma reads as no entry: an empty last entry must be quoted.
  EXPECT_EQ(vlm::CommaText({"", ""}), ",\"\"");
  EXPECT_EQ(vlm::SplitCommaText(vlm::CommaText({"1", ""})), (std::vector<std::string>{"1", ""}));
}

TEST(CommaText, SplitsAtCommasAndBlanksAndUndoesQuotes) {
  using V = std::vector<std::string>;
  EXPECT_EQ(vlm::SplitCommaText(""), V{});
  EXPECT_EQ(vlm::SplitCommaText("\"\""), V{""});
  EXPECT_EQ(vlm::SplitCommaText("1,03,12"), (V{"1", "03", "12"}));
  EXPECT_EQ(vlm::SplitCommaText(" 1  2,,3, "), (V{"1", "2", "", "3"}));
  EXPECT_EQ(vlm::SplitCommaText("\"a b\",\"c,d\",\"say \"\"hi\"\"\",,x"), (V{"a b", "c,d", "say \"hi\"", "", "x"}));
  EXPECT_EQ(vlm::SplitCommaText("\"open"), V{"open"});
  EXPECT_EQ(vlm::SplitCommaText(std::string("1,2\0,3", 6)), (V{"1", "2"}));
}

}  // namespace
