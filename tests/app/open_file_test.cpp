#include <gtest/gtest.h>

#include "tests/app/form_fixture.h"

namespace vlmtest {
namespace {

// A file named on the desktop program's command line: a settings file is
// loaded, any other file is compiled as a source and shown in the message view.
TEST_F(FormTest, OpenFileLoadsSettingsOrCompilesASource) {
  auto& f = Start();
  const std::string settings = Path("other dir/Song.VR3");
  std::filesystem::create_directories(dir + "/other dir");
  WriteFile(settings, "[BasicTab]\r\nテンポ=93\r\n[RythmTab]\r\nRythmPattern=NmN\r\n");
  EXPECT_TRUE(f.OpenFile(settings));
  EXPECT_EQ(f.seTempo.Value(), 93);
  EXPECT_EQ(f.memRythm, "NmN");
  EXPECT_FALSE(messages.Visible);

  // The include is found beside the source, not in the program's folder.
  WriteFile(dir + "/other dir/part.vlm", "e f\n");
  WriteFile(dir + "/other dir/tune.vlm", "t100 c d\n#include \"part.vlm\"\n}\n");
  EXPECT_TRUE(f.OpenFile(dir + "/other dir/tune.vlm"));
  EXPECT_TRUE(messages.Visible);
  EXPECT_EQ(messages.ActivePage, vlm::MsgPage::Message);
  const std::string text = messages.MessageText();
  EXPECT_EQ(text.rfind("Compile Start", 0), 0u) << text;
  EXPECT_NE(text.find("\"}\":解読不能文字です"), std::string::npos) << text;
  EXPECT_EQ(text.find("err("), text.rfind("err(")) << text;  // the one error; the include was read
  EXPECT_FALSE(messages.reDebug.Lines.empty());
  const SmfFile midi = ParseSmf(ReadFileBytes(f.PhraseFileName));
  ASSERT_TRUE(midi.valid) << midi.error;
  int noteOns = 0;
  for (const auto& ev : midi.tracks[0]) noteOns += (ev.bytes[0] & 0xF0) == 0x90 && ev.bytes[2] > 0;
  EXPECT_EQ(noteOns, 4);  // c d from the source, e f from the include

  EXPECT_FALSE(f.OpenFile(Path("missing.vlm")));
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_NE(platform.errors[0].find("missing.vlm"), std::string::npos) << platform.errors[0];
}

}  // namespace
}  // namespace vlmtest
