// The desktop highlighter: the same colours as Vim gives the example, regions
// carried from line to line while the text changes, and the two panes that
// show vlm text carrying it.
#include "ui/mml_highlighter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <memory>
#include <string>

#include "tests/support/scripted_platform.h"
#include "tests/support/syntax_reading.h"
#include "ui/desktop.h"
#include "ui/main_window.h"
#include "ui/msg_view_window.h"
#include "ui/text_pane_widget.h"

namespace {

using vlm::MmlCategory;
using vlm::ui::MmlHighlighter;

// The category of every character of one block, read from the formats the
// highlighter left on its layout.
std::vector<std::string> BlockCategories(const QTextBlock& block) {
  std::vector<std::string> names(static_cast<std::size_t>(block.length() - 1), "Text");
  for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
    const QVariant property = range.format.property(MmlHighlighter::CategoryProperty);
    if (!property.isValid()) continue;
    const auto& info = vlm::CategoryInfo(static_cast<MmlCategory>(property.toInt()));
    for (int c = range.start; c < range.start + range.length && c < static_cast<int>(names.size()); ++c)
      names[static_cast<std::size_t>(c)] = std::string(info.name);
  }
  return names;
}

vlmtest::CategoryLines DocumentCategories(const QTextDocument& document) {
  vlmtest::CategoryLines lines;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
    lines.push_back(BlockCategories(block));
  return lines;
}

QString ReadExample() {
  QString text;
  for (const std::string& line : vlmtest::ReadLines(vlmtest::HighlightExamplePath()))
    text += QString::fromStdString(line) + QLatin1Char('\n');
  text.chop(1);
  return text;
}

TEST(MmlHighlighter, ColoursTheExampleAsVimDoes) {
  QTextDocument document;
  document.setPlainText(ReadExample());
  MmlHighlighter highlighter(&document);
  QCoreApplication::processEvents();  // a filled document is coloured once events run
  const auto lines = vlmtest::ReadLines(vlmtest::HighlightExamplePath());
  const auto qt = DocumentCategories(document);
  EXPECT_EQ(vlmtest::CheckExpectedSpans(lines, qt), "");
  std::string filetype;
  const auto vim = vlmtest::VimCategories(vlmtest::HighlightExamplePath(), filetype);
  EXPECT_EQ(vlmtest::Differences(lines, qt, vim), "");
}

// In an editor, as the user types: the edit reaches the lines below.
TEST(MmlHighlighter, ABraceCommentFollowsEditsAcrossLines) {
  QPlainTextEdit edit;
  QTextDocument& document = *edit.document();
  new MmlHighlighter(&document);
  edit.setPlainText(QStringLiteral("c {\nd\ne } f"));
  EXPECT_EQ(BlockCategories(document.findBlockByNumber(1)), std::vector<std::string>{"Comment"});
  EXPECT_EQ(BlockCategories(document.findBlockByNumber(2)),
            (std::vector<std::string>{"Comment", "Comment", "Comment", "Text", "Note"}));

  // Deleting the "{" makes the lines below music again.
  QTextCursor cursor(&document);
  cursor.setPosition(2);
  edit.setTextCursor(cursor);
  QTest::keyClick(&edit, Qt::Key_Delete);
  ASSERT_EQ(document.toPlainText(), QStringLiteral("c \nd\ne } f"));
  EXPECT_EQ(BlockCategories(document.findBlockByNumber(0)), (std::vector<std::string>{"Note", "Text"}));
  EXPECT_EQ(BlockCategories(document.findBlockByNumber(1)), std::vector<std::string>{"Note"});
  EXPECT_EQ(BlockCategories(document.findBlockByNumber(2)),
            (std::vector<std::string>{"Note", "Text", "Text", "Text", "Note"}));
}

TEST(MmlHighlighter, LeavesAHugeDocumentPlain) {
  QPlainTextEdit edit;
  new MmlHighlighter(edit.document());
  const QString line = QStringLiteral("c d e f g a b\n");
  edit.setPlainText(line.repeated(MmlHighlighter::MaxCharacters / line.size() + 1));
  EXPECT_TRUE(edit.document()->firstBlock().layout()->formats().isEmpty());
  edit.setPlainText(line);
  EXPECT_EQ(BlockCategories(edit.document()->firstBlock())[0], "Note");
}

TEST(MmlHighlighter, ColoursThePatternBoxAndTheDebugPane) {
  vlm::test::ScriptedPlatform platform;
  vlm::test::RecordingWarnings warnings;
  vlm::SetWarningSink(&warnings);
  {
    vlm::ui::Desktop desktop(platform, nullptr);
    auto* pattern = desktop.Main().findChild<QPlainTextEdit*>(QStringLiteral("memPatten"));
    ASSERT_NE(pattern, nullptr);
    pattern->setPlainText(QStringLiteral("l16c"));
    EXPECT_EQ(BlockCategories(pattern->document()->firstBlock()),
              (std::vector<std::string>{"Setting", "Number", "Number", "Note"}));

    desktop.Messages.SetDebugLines({"o4 c ; end"});
    vlm::ui::TextPaneWidget* debug = desktop.MessageView().DebugPane();
    EXPECT_EQ(BlockCategories(debug->document()->firstBlock()),
              (std::vector<std::string>{"Setting", "Number", "Text", "Note", "Text", "Comment", "Comment", "Comment",
                                        "Comment", "Comment"}));
  }
  vlm::SetWarningSink(nullptr);
}

}  // namespace
