// vlmc --lsp's answers about a document: when changes compile, the outline,
// definitions, hovers and completion. Expected notes and ticks come from
// the language's own rules (o4 c is note 48, o5 c 60; a quarter is 96 ticks).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/json_node.h"
#include "common/mml_syntax.h"
#include "tests/cli/lsp_client.h"
#include "tests/support/compile_harness.h"

namespace {

using namespace vlmtest::lsp;
using namespace std::chrono_literals;

std::string Request(int id, const std::string& method, const std::string& params) {
  return "{\"jsonrpc\":\"2.0\",\"id\":" + std::to_string(id) + ",\"method\":\"" + method +
         "\",\"params\":" + params + "}";
}
std::string At(const std::string& uri, int line, int character) {
  return "{\"textDocument\":{\"uri\":\"" + uri + "\"},\"position\":{\"line\":" + std::to_string(line) +
         ",\"character\":" + std::to_string(character) + "}}";
}
std::string Of(const std::string& uri) { return "{\"textDocument\":{\"uri\":\"" + uri + "\"}}"; }
std::string Change(const std::string& uri, const std::string& text) {
  return Notify("textDocument/didChange",
                "{\"textDocument\":{\"uri\":\"" + uri + "\"},\"contentChanges\":[{\"text\":" + Text(text) + "}]}");
}

// The result of request id; the messages that came before it go to before.
std::optional<JsonNode> Answer(LspClient& client, int id, std::vector<JsonNode>* before = nullptr) {
  while (auto message = client.Receive()) {
    const JsonNode* answered = message->Find("id");
    if (answered && answered->Type == JsonNode::Kind::Number && answered->Number == id) {
      const JsonNode* result = message->Find("result");
      return result ? std::optional<JsonNode>(*result) : std::nullopt;
    }
    if (before) before->push_back(*message);
  }
  return std::nullopt;
}
// Asks and gives the result (a null result for none at all).
JsonNode Ask(LspClient& client, const std::string& method, const std::string& params) {
  static int id = 100;
  client.Send(Request(++id, method, params));
  return Answer(client, id).value_or(JsonNode{});
}

// A range as "L:C-L:C".
std::string Span(const JsonNode* range) {
  if (!range) return "none";
  const auto place = [&](const char* end) {
    return std::to_string(static_cast<int>(Number(*range, {end, "line"}))) + ":" +
           std::to_string(static_cast<int>(Number(*range, {end, "character"})));
  };
  return place("start") + "-" + place("end");
}
std::string HoverText(const JsonNode& hover) {
  const JsonNode* contents = hover.Find("contents");
  return contents && contents->FindString("value") ? *contents->FindString("value") : "null";
}

// An open document in a scratch folder, with the server initialized.
struct Session {
  std::string dir = std::filesystem::canonical(vlmtest::ScratchDir()).string();
  std::string uri = "file://" + dir + "/song.vlm";
  LspClient client;

  explicit Session(const std::string& text) {
    client.Send(Initialize());
    client.Receive();
    client.Send(DidOpen(uri, text));
    client.Diagnostics(uri);
  }
  ~Session() { std::filesystem::remove_all(dir); }
};

// A burst of changes compiles once, for the last text, once the editor has
// been quiet for 250 ms: the first publication after it is the last text's,
// and nothing else comes before the answer to a later request.
TEST(VlmcLspRequests, ABurstOfChangesPublishesOnceForTheLastText) {
  Session session("c\n");
  LspClient& client = session.client;
  for (int i = 0; i < 20; ++i) client.Send(Change(session.uri, std::string(static_cast<std::size_t>(i), ' ') + "x\n"));
  const auto sent = Clock::now();  // before the server can have read the last change
  client.Send(Change(session.uri, "c\n  x\n"));
  const auto shown = client.Diagnostics(session.uri);
  ASSERT_TRUE(shown) << "the last change is compiled without any further message";
  EXPECT_GE(Clock::now() - sent, 250ms) << "not compiled before the editor was quiet";
  ASSERT_EQ(shown->Items.size(), 1u);
  EXPECT_EQ(Span(shown->Items[0].Find("range")), "1:2-1:3");
  std::vector<JsonNode> before;
  client.Send(Request(7, "textDocument/documentSymbol", Of(session.uri)));
  ASSERT_TRUE(Answer(client, 7, &before));
  EXPECT_TRUE(before.empty()) << "published " << before.size() << " more times";
}

// A hover compiles a waiting change first: the compile's publication comes
// before the answer, and the answer is about the new text.
TEST(VlmcLspRequests, HoverRightAfterAChangeAnswersFromTheNewText) {
  Session session("e\n");
  LspClient& client = session.client;
  client.Send(Change(session.uri, "_tr(1) [4 c8.] o5 e n60 {\xf0\x9d\x84\x9e} d\n"));
  client.Send(Request(1, "textDocument/hover", At(session.uri, 0, 10)));
  std::vector<JsonNode> before;
  const auto hover = Answer(client, 1, &before);
  ASSERT_TRUE(hover);
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(*before[0].FindString("method"), "textDocument/publishDiagnostics");
  EXPECT_EQ(HoverText(*hover), "note 48 (C4) · track 1 · sounds 4 times, first at tick 0");
  EXPECT_EQ(Span(hover->Find("range")), "0:10-0:11");
  // Its length and dot belong to the note; the loop's bracket and count do not.
  EXPECT_EQ(HoverText(Ask(client, "textDocument/hover", At(session.uri, 0, 12))), HoverText(*hover));
  EXPECT_EQ(Ask(client, "textDocument/hover", At(session.uri, 0, 7)).Type, JsonNode::Kind::Null);
  EXPECT_EQ(Ask(client, "textDocument/hover", At(session.uri, 0, 8)).Type, JsonNode::Kind::Null);
  // Four dotted eighths (72 ticks each) come first, then quarters (96).
  // Octaves are named as the o command counts them: o5 c, note 60, is C5.
  EXPECT_EQ(HoverText(Ask(client, "textDocument/hover", At(session.uri, 0, 18))),
            "note 64 (E5) · track 1 · sounds once, at tick 288");
  EXPECT_EQ(HoverText(Ask(client, "textDocument/hover", At(session.uri, 0, 21))),
            "note 60 (C5) · track 1 · sounds once, at tick 384");
  // After U+1D11E (two UTF-16 units) in a comment, the d stands at unit 29.
  EXPECT_EQ(HoverText(Ask(client, "textDocument/hover", At(session.uri, 0, 29))),
            "note 62 (D5) · track 1 · sounds once, at tick 480");
}

// A macro word lists the notes its value made there (a few, then a count);
// a macro that made none shows its definition.
TEST(VlmcLspRequests, HoverOnAMacroListsItsNotesOrShowsItsDefinition) {
  Session session("_m(ARP, \"c e g e\") _m(UP, \"c d e f g a b\") _m(REST, r)\n_tr(2) ARP UP REST\n");
  LspClient& client = session.client;
  EXPECT_EQ(HoverText(Ask(client, "textDocument/hover", At(session.uri, 1, 8))),
            "4 notes:\n"
            "- note 48 (C4) · track 2 · sounds once, at tick 0\n"
            "- note 52 (E4) · track 2 · sounds 2 times, first at tick 96\n"
            "- note 55 (G4) · track 2 · sounds once, at tick 192\n");
  const std::string up = HoverText(Ask(client, "textDocument/hover", At(session.uri, 1, 11)));
  EXPECT_EQ(up.substr(0, up.find('\n')), "7 notes:");
  EXPECT_EQ(std::count(up.begin(), up.end(), '\n'), 8) << up;
  EXPECT_NE(up.find("- and 1 more\n"), std::string::npos) << up;
  EXPECT_EQ(HoverText(Ask(client, "textDocument/hover", At(session.uri, 1, 14))), "```vlm\n_m(REST, r)\n```");
  EXPECT_EQ(HoverText(Ask(client, "textDocument/hover", At(session.uri, 0, 4))), "```vlm\n_m(ARP, \"c e g e\")\n```");
}

// Positions in UTF-16 units: U+1D11E is two, あ one. What comments hold is
// no symbol.
TEST(VlmcLspRequests, DocumentSymbolsListMacrosTracksAndIncludes) {
  Session session(
      "#include \"inc.vlm\" ; _m(NOTE, c)\n"
      "{\xf0\x9d\x84\x9e _tr(9)} \xe3\x81\x82_m(RIFF, \"c e g\")\n"
      "_m(SONG, \"RIFF\" +\n"
      "  \"RIFF\")\n"
      "_tr(1,2) SONG _tr(3) { a comment\n"
      "over lines _m(HIDDEN, c) _tr(4) }\n");
  const JsonNode symbols = Ask(session.client, "textDocument/documentSymbol", Of(session.uri));
  std::vector<std::string> listed;
  for (const JsonNode& symbol : symbols.Items)
    listed.push_back(*symbol.FindString("name") + " " + std::to_string(static_cast<int>(Number(symbol, {"kind"}))) +
                     " " + Span(symbol.Find("range")) + " " + Span(symbol.Find("selectionRange")));
  EXPECT_EQ(listed, (std::vector<std::string>{
                        "inc.vlm 1 0:0-0:18 0:9-0:18",
                        "RIFF 12 1:13-1:30 1:16-1:20",
                        "SONG 12 2:0-3:9 2:3-2:7",
                        "tracks 1,2 3 4:0-4:8 4:0-4:8",
                        "track 3 3 4:14-4:20 4:14-4:20",
                    }));
}

// A use means the latest definition before it, in the document or in a
// file it includes; an include's name leads to that file.
TEST(VlmcLspRequests, DefinitionOfAMacroWordAndOfAnIncludedFile) {
  Session session("#include \"inc.vlm\"\n_m(A, c) A _m(A, d)\nA BASS c\n");
  std::ofstream(session.dir + "/inc.vlm") << "; bass\n_m(BASS, \"o3 c g\")\n";
  LspClient& client = session.client;
  const std::string included = "file://" + session.dir + "/inc.vlm";
  const auto where = [&](int line, int character) {
    const JsonNode found = Ask(client, "textDocument/definition", At(session.uri, line, character));
    return found.Type == JsonNode::Kind::Null ? "null" : *found.FindString("uri") + " " + Span(found.Find("range"));
  };
  EXPECT_EQ(where(1, 9), session.uri + " 1:3-1:4") << "between the two definitions";
  EXPECT_EQ(where(2, 0), session.uri + " 1:14-1:15") << "after the second";
  EXPECT_EQ(where(1, 14), session.uri + " 1:14-1:15") << "a definition's own name";
  EXPECT_EQ(where(2, 4), included + " 1:3-1:7");
  EXPECT_EQ(where(0, 12), included + " 0:0-0:0");
  EXPECT_EQ(where(2, 7), "null") << "a note";
  std::ofstream(session.dir + "/inc.vlm", std::ios::trunc) << "c\n";
  EXPECT_EQ(where(2, 4), "null") << "no longer defined";
}

// Macros of the document and its includes, then every built-in word; a
// name is offered once, a redefined built-in word as the macro it now is.
TEST(VlmcLspRequests, CompletionOffersMacrosAndBuiltinWords) {
  Session session("_m(RIFF, c e g) _m(REV, c)\n#include \"inc.vlm\"\n");
  std::ofstream(session.dir + "/inc.vlm") << "_m(BASS, \"o3 c g\") _m(RIFF, d)\n";
  const JsonNode items = Ask(session.client, "textDocument/completion", At(session.uri, 1, 0));
  std::map<std::string, int> kinds;
  for (const JsonNode& item : items.Items) {
    EXPECT_EQ(kinds.count(*item.FindString("label")), 0u) << *item.FindString("label");
    kinds[*item.FindString("label")] = static_cast<int>(Number(item, {"kind"}));
  }
  EXPECT_EQ(kinds["RIFF"], 3);
  EXPECT_EQ(kinds["BASS"], 3);
  EXPECT_EQ(kinds["REV"], 3);
  EXPECT_EQ(kinds["PTR"], 14);
  for (const std::string_view word : vlm::MmlBuiltinWords()) EXPECT_EQ(kinds.count(std::string(word)), 1u) << word;
  EXPECT_EQ(kinds.size(), vlm::MmlBuiltinWords().size() + 2);
}

// Whatever a request points at outside the text is answered with null.
TEST(VlmcLspRequests, RequestsOutsideTheTextAreAnsweredWithNull) {
  Session session("c d\n\xf0\x9d\x84\x9e\n");
  LspClient& client = session.client;
  for (const char* method : {"textDocument/hover", "textDocument/definition"}) {
    for (const std::string& position :
         {At(session.uri, 9, 0), At(session.uri, 0, 3), At(session.uri, 0, 999), At(session.uri, -1, 0),
          At(session.uri, 1, 2), At("file:///nowhere/else.vlm", 0, 0),
          "{\"textDocument\":{\"uri\":\"" + session.uri + "\"},\"position\":{\"line\":0.5,\"character\":\"0\"}}",
          std::string("{}"), std::string("[]")})
      EXPECT_EQ(Ask(client, method, position).Type, JsonNode::Kind::Null) << method << " " << position;
  }
  EXPECT_EQ(Ask(client, "textDocument/documentSymbol", Of("file:///nowhere/else.vlm")).Type, JsonNode::Kind::Null);
  client.Send(Change(session.uri, ""));
  const JsonNode none = Ask(client, "textDocument/documentSymbol", Of(session.uri));
  EXPECT_EQ(none.Type, JsonNode::Kind::Array);
  EXPECT_TRUE(none.Items.empty());
  // An outline stops at ten thousand entries.
  std::string many;
  for (int i = 0; i < 10'001; ++i) many += "_tr(1) c ";
  client.Send(Change(session.uri, many));
  const JsonNode outline = Ask(client, "textDocument/documentSymbol", Of(session.uri));
  ASSERT_EQ(outline.Items.size(), 10'000u);
  EXPECT_EQ(Span(outline.Items.back().Find("range")), "0:89991-0:89997");
}

}  // namespace
