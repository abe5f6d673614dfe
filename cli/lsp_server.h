#pragma once
// vlmc --lsp: a language server that shows the compiler's errors in an
// editor's text as it is typed. JSON-RPC 2.0 over LSP's framing; the
// documents are synchronised whole (each change sends the full text).

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/json_node.h"

namespace vlmcli {

// The protocol's state over one connection: the open documents and what was
// published for them. Handle takes one message and gives the messages to send.
class LspSession {
 public:
  // Appends the answers and notifications the message calls for to out.
  void Handle(std::string_view body, std::vector<std::string>& out);
  // Set once "exit" has come: 0 after a shutdown request, 1 without one.
  std::optional<int> ExitStatus() const { return exitStatus_; }

 private:
  struct Document {
    std::string Text;                                             // the text as the editor last sent it
    std::map<std::string, std::vector<std::string>> Diagnostics;  // by URI, from the last compile
  };

  void Notification(const std::string& method, const vlm::JsonNode& params, std::vector<std::string>& out);
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
