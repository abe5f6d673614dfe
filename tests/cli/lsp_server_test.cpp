// vlmc --lsp as an editor runs it: a child process spoken to through pipes
// in the protocol's framing. Errors, framing and the session's life.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "common/json_node.h"
#include "tests/cli/lsp_client.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace {

using namespace vlmtest::lsp;

// A diagnostic as "LINE:START-END MESSAGE", its range in UTF-16 units.
std::string Placed(const JsonNode& d) {
  return std::to_string(static_cast<int>(Number(d, {"range", "start", "line"}))) + ":" +
         std::to_string(static_cast<int>(Number(d, {"range", "start", "character"}))) + "-" +
         std::to_string(static_cast<int>(Number(d, {"range", "end", "character"}))) + " " + *d.FindString("message");
}

TEST(VlmcLsp, AnswersRequestsInOrderAndEndsCleanlyAfterShutdown) {
  LspClient client;
  client.Send("{\"jsonrpc\":\"2.0\",\"id\":\"early\",\"method\":\"textDocument/hover\",\"params\":{}}");
  auto early = client.Receive();
  ASSERT_TRUE(early);
  EXPECT_EQ(*early->FindString("id"), "early");
  EXPECT_EQ(Number(*early, {"error", "code"}), -32002) << "nothing but initialize comes first";

  client.Send(Initialize(1));
  const auto init = client.Receive();
  ASSERT_TRUE(init);
  EXPECT_EQ(Number(*init, {"id"}), 1);
  EXPECT_EQ(Number(*init, {"result", "capabilities", "textDocumentSync"}), 1);
  const JsonNode* capabilities = init->Find("result")->Find("capabilities");
  for (const char* provider : {"documentSymbolProvider", "definitionProvider", "hoverProvider"})
    EXPECT_TRUE(capabilities->Find(provider) && capabilities->Find(provider)->Boolean) << provider;
  EXPECT_TRUE(capabilities->Find("completionProvider")) << "completion is served";
  EXPECT_EQ(capabilities->Members.size(), 5u) << "nothing more is announced than is served";
  const JsonNode* server = init->Find("result")->Find("serverInfo");
  ASSERT_TRUE(server);
  EXPECT_EQ(*server->FindString("name"), "vlmc");
  const auto version = vlmtest::RunCommand(".", VLM_BIN_DIR "/vlmc --version");
  EXPECT_NE(version.out.find(" " + *server->FindString("version") + "\n"), std::string::npos) << version.out;

  client.Send(Notify("initialized", "{}"));
  client.Send(Notify("$/cancelRequest", "{\"id\":1}"));  // notifications are never answered
  client.Send("{\"jsonrpc\":\"2.0\",\"id\":\"x\",\"method\":\"textDocument/formatting\",\"params\":{}}");
  client.Send("{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"shutdown\"}");
  client.Send("{\"jsonrpc\":\"2.0\",\"id\":3,\"method\":\"shutdown\"}");
  client.Send(Notify("exit", "null"));
  const auto unknown = client.Receive();
  ASSERT_TRUE(unknown);
  EXPECT_EQ(*unknown->FindString("id"), "x");
  EXPECT_EQ(Number(*unknown, {"error", "code"}), -32601);
  const auto shutdown = client.Receive();
  ASSERT_TRUE(shutdown);
  EXPECT_EQ(Number(*shutdown, {"id"}), 2);
  EXPECT_EQ(shutdown->Find("result")->Type, JsonNode::Kind::Null);
  const auto after = client.Receive();
  ASSERT_TRUE(after);
  EXPECT_EQ(Number(*after, {"error", "code"}), -32600) << "a request after shutdown is refused";
  EXPECT_EQ(client.Wait(), 0);
}

TEST(VlmcLsp, ExitWithoutShutdownOrEndOfInputGivesStatusOne) {
  LspClient exited;
  exited.Send(Initialize());
  exited.Send(Notify("exit", "{}"));
  EXPECT_EQ(exited.Wait(), 1);
  LspClient ended;
  ended.Send(Initialize());
  ASSERT_TRUE(ended.Receive());
  ended.CloseInput();
  EXPECT_EQ(ended.Wait(), 1);
  const auto withSource = vlmtest::RunCommand(".", VLM_BIN_DIR "/vlmc --lsp song.vlm < /dev/null");
  EXPECT_EQ(withSource.status, 2);
  const auto withOption = vlmtest::RunCommand(".", VLM_BIN_DIR "/vlmc -q --lsp < /dev/null");
  EXPECT_EQ(withOption.status, 2);
}

// Positions count UTF-16 units from 0: あ is one unit, U+1D11E two. An error
// the compiler places past a line's last character gets an empty range there.
TEST(VlmcLsp, ErrorsArePlacedInUtf16UnitsAndAFixClearsThem) {
  const std::string dir = vlmtest::ScratchDir();
  const std::string uri = "file://" + dir + "/song.vlm";
  LspClient client;
  client.Send(Initialize());
  client.Send(DidOpen(uri, "o4 c \xe3\x81\x82 x\nc \xf0\x9d\x84\x9e ]\n"));
  const auto shown = client.Diagnostics(uri);
  ASSERT_TRUE(shown);
  std::vector<std::string> placed;
  for (const JsonNode& d : shown->Items) {
    placed.push_back(Placed(d));
    EXPECT_EQ(Number(d, {"severity"}), 1);
    EXPECT_EQ(*d.FindString("source"), "vlmc");
  }
  // The bytes of a character the compiler cannot read are each an error,
  // their detail a byte that is no UTF-8 on its own: the message then holds
  // U+FFFD, or the answer would not have been read as JSON at all.
  const std::string unreadable = "解読不能文字です (\xef\xbf\xbd)";
  EXPECT_EQ(placed, (std::vector<std::string>{
                        "0:5-6 " + unreadable, "0:5-6 " + unreadable, "0:5-6 " + unreadable,
                        "0:7-8 解読不能文字です (x)",
                        "1:2-4 " + unreadable, "1:2-4 " + unreadable, "1:2-4 " + unreadable, "1:2-4 " + unreadable,
                        "1:6-6 文法のエラー (]が多い)"}));
  client.Send(Notify("textDocument/didChange", "{\"textDocument\":{\"uri\":\"" + uri +
                                                   "\",\"version\":2},\"contentChanges\":[{\"text\":\"x\"},"
                                                   "{\"text\":\"o4 c d\\n\"}]}"));
  const auto fixed = client.Diagnostics(uri);
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->Type, JsonNode::Kind::Array);
  EXPECT_TRUE(fixed->Items.empty()) << "the last change counts";
  // A compile that fails keeps the errors found before it and shows why at the top.
  client.Send(Notify("textDocument/didChange", "{\"textDocument\":{\"uri\":\"" + uri +
                                                   "\"},\"contentChanges\":[{\"text\":\"c x\\nc99999999999\\n\"}]}"));
  const auto failed = client.Diagnostics(uri);
  ASSERT_TRUE(failed);
  placed.clear();
  for (const JsonNode& d : failed->Items) placed.push_back(Placed(d));
  EXPECT_EQ(placed, (std::vector<std::string>{"0:2-3 解読不能文字です (x)", "0:0-0 数値が大きすぎます: 99999999999"}));
  std::filesystem::remove_all(dir);
}

// The document's folder (its URI percent-decoded) is where includes are
// read from; their errors are published under their own URI.
TEST(VlmcLsp, AnIncludedFilesErrorsArePublishedUnderItsUri) {
  const std::string scratch = std::filesystem::canonical(vlmtest::ScratchDir()).string();
  const std::string dir = scratch + "/my songs";
  std::filesystem::create_directory(dir);
  std::ofstream(dir + "/inc.vlm") << "c\nd x\n";
  const std::string main = "file://" + scratch + "/my%20songs/main.vlm";
  const std::string included = "file://" + scratch + "/my%20songs/inc.vlm";
  LspClient client;
  client.Send(Initialize());
  ASSERT_TRUE(client.Receive());
  client.Send(DidOpen(main, "#include \"inc.vlm\"\nc\n"));
  std::map<std::string, JsonNode> published;  // the two lists, in either order
  for (int i = 0; i < 2; ++i) {
    const auto message = client.Receive();
    ASSERT_TRUE(message && message->Find("params") && message->Find("params")->FindString("uri"));
    published[*message->Find("params")->FindString("uri")] = *message->Find("params")->Find("diagnostics");
  }
  ASSERT_EQ(published.count(main), 1u);
  EXPECT_TRUE(published[main].Items.empty());
  ASSERT_EQ(published.count(included), 1u);
  ASSERT_EQ(published[included].Items.size(), 1u);
  EXPECT_EQ(Placed(published[included].Items[0]), "1:2-3 解読不能文字です (x)");

  // Fixed and saved: the included file's list empties.
  std::ofstream(dir + "/inc.vlm", std::ios::trunc) << "c\nd e\n";
  client.Send(Notify("textDocument/didSave", "{\"textDocument\":{\"uri\":\"" + included + "\"}}"));
  const auto cleared = client.Diagnostics(included);
  ASSERT_TRUE(cleared);
  EXPECT_TRUE(cleared->Items.empty());
  client.Send(Notify("textDocument/didClose", "{\"textDocument\":{\"uri\":\"" + main + "\"}}"));
  const auto closed = client.Diagnostics(main);
  ASSERT_TRUE(closed);
  EXPECT_TRUE(closed->Items.empty());
  std::filesystem::remove_all(scratch);
}

// Nothing a client sends ends the server: what cannot be read is answered
// as a parse error (id null) and the next message is served.
TEST(VlmcLsp, GarbageGetsParseErrorsAndTheServerGoesOn) {
  LspClient client;
  const auto code = [&](const char* what) {
    const auto answer = client.Receive();
    EXPECT_TRUE(answer) << what;
    if (!answer) return 0;
    EXPECT_EQ(answer->Find("id")->Type, JsonNode::Kind::Null) << what;
    return static_cast<int>(Number(*answer, {"error", "code"}));
  };
  // After a header it cannot read the server looks for the next
  // Content-Length, so each bad header here is followed by a framed message.
  client.SendRaw("Content-Type: x\r\n\r\n");
  EXPECT_EQ(code("no length"), -32700);
  client.Send("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":");
  EXPECT_EQ(code("JSON cut short"), -32700);
  client.SendRaw("hello there\r\n\r\n");
  EXPECT_EQ(code("a line that is no header"), -32700);
  client.Send(std::string(100'000, '[') + std::string(100'000, ']'));
  EXPECT_EQ(code("nesting too deep"), -32700);
  client.SendRaw("Content-Length: many\r\n\r\n{}");
  EXPECT_EQ(code("a bad length"), -32700);
  client.Send("[1,2]");
  EXPECT_EQ(code("no request object"), -32600);
  client.SendRaw("Content-Length: " + std::string(100'000, '7'));
  EXPECT_EQ(code("a header line beyond its bound"), -32700);
  client.Send("{\"jsonrpc\":\"2.0\",\"id\":null,\"result\":1}");  // an answer: not answered
  client.Send("{\"jsonrpc\":\"2.0\",\"method\":5}");
  EXPECT_EQ(code("a method that is no string"), -32600);
  // One byte beyond 64 MiB: skipped unread, with the framing kept.
  const std::size_t huge = (64u << 20) + 1;
  std::thread writer([&] { client.SendRaw("Content-Length: " + std::to_string(huge) + "\r\n\r\n" + std::string(huge, ' ')); });
  EXPECT_EQ(code("a message beyond 64 MiB"), -32700);
  writer.join();
  client.Send(Initialize(9));
  const auto init = client.Receive();
  ASSERT_TRUE(init);
  EXPECT_EQ(Number(*init, {"id"}), 9);
  client.CloseInput();
  EXPECT_EQ(client.Wait(), 1);
}

}  // namespace
