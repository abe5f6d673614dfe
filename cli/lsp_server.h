#pragma once
// vlmc --lsp: a language server for vlm sources. It shows the compiler's
// errors in an editor's text as it is typed, and answers an outline of the
// document, going to a macro's definition or an included file, hovering
// (what a note or macro made: MIDI notes, track, times) and completion of
// macro and built-in words. JSON-RPC 2.0 over LSP's framing; the documents
// are synchronised whole (each change sends the full text).

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/json_node.h"
#include "compiler/mml_compiler.h"

namespace vlmcli {

// A change is compiled once the editor has been quiet this long, not at
// every keystroke.
constexpr std::chrono::milliseconds kLspCompileDelay{250};

// The protocol's state over one connection: the open documents and what was
// published for them. Handle takes one message and gives the messages to send.
class LspSession {
 public:
  using Clock = std::chrono::steady_clock;

  // Appends the answers and notifications the message calls for to out.
  void Handle(std::string_view body, std::vector<std::string>& out);
  // When the next changed document is due to compile; nothing when none waits.
  std::optional<Clock::time_point> NextCompile() const;
  // Compiles every changed document due by now, appending what it publishes.
  void CompileDue(Clock::time_point now, std::vector<std::string>& out);
  // Set once "exit" has come: 0 after a shutdown request, 1 without one.
  std::optional<int> ExitStatus() const { return exitStatus_; }

 private:
  struct Document {
    std::string Text;                                             // the text as the editor last sent it
    std::map<std::string, std::vector<std::string>> Diagnostics;  // by URI, from the last compile
    std::optional<vlm::SourceMap> Map;                            // the last compile's notes
    bool Changed = false;                                         // Text is newer than the last compile
    Clock::time_point ChangedAt;                                  // when the last change came
  };

  void Notification(const std::string& method, const vlm::JsonNode& params, std::vector<std::string>& out);
  // The result's JSON text for a request on a document; nothing for a method this server does not serve.
  std::optional<std::string> DocumentRequest(const std::string& method, const vlm::JsonNode& params,
                                             std::vector<std::string>& out);
  void Compile(const std::string& uri, std::vector<std::string>& out);
  // Publishes what every open document's last compile found in the file at uri.
  void Publish(const std::string& uri, std::vector<std::string>& out) const;

  std::map<std::string, Document> documents_;  // by URI
  bool initialized_ = false;                   // "initialize" was answered
  bool shutdown_ = false;                      // "shutdown" was answered
  std::optional<int> exitStatus_;
};

// Serves one client on the descriptors until "exit" or the end of input:
// the exit status (0 only for "exit" after "shutdown").
int RunLspServer(int in, int out);

}  // namespace vlmcli
