#pragma once
// A language client for the tests of vlmc --lsp: the server as an editor
// runs it, a child process spoken to through pipes in the protocol's framing.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "common/json_node.h"

namespace vlmtest::lsp {

using vlm::JsonNode;
using Clock = std::chrono::steady_clock;

// A language client: writes framed messages to vlmc --lsp and reads the
// framed answers, each within a timeout, so that a server that hangs fails
// the test instead of stopping it.
class LspClient {
 public:
  LspClient() {
    ::signal(SIGPIPE, SIG_IGN);  // a server that ended shows as a failed write
    int toServer[2], fromServer[2];
    if (::pipe2(toServer, O_CLOEXEC) != 0 || ::pipe2(fromServer, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(toServer[0], STDIN_FILENO);
      ::dup2(fromServer[1], STDOUT_FILENO);
      ::execl(VLM_BIN_DIR "/vlmc", "vlmc", "--lsp", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(toServer[0]);
    ::close(fromServer[1]);
    in_ = toServer[1];
    out_ = fromServer[0];
  }
  ~LspClient() {
    CloseInput();
    if (out_ >= 0) ::close(out_);
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  bool SendRaw(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t written = ::write(in_, bytes.data(), bytes.size());
      if (written <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
  }
  bool Send(const std::string& body) {
    return SendRaw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  }
  void CloseInput() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
  }

  // The next message, read by our own JSON reader; nothing after ten
  // seconds, at the end of output, or for a message that is not JSON.
  std::optional<JsonNode> Receive() {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    std::size_t headerEnd;
    while ((headerEnd = buffer_.find("\r\n\r\n")) == std::string::npos)
      if (!Fill(deadline)) return std::nullopt;
    const std::string header = buffer_.substr(0, headerEnd);
    const std::size_t at = header.find("Content-Length: ");
    if (at == std::string::npos) return std::nullopt;
    const std::size_t length = std::stoul(header.substr(at + 16));
    buffer_.erase(0, headerEnd + 4);
    while (buffer_.size() < length)
      if (!Fill(deadline)) return std::nullopt;
    const auto message = vlm::ParseJson(std::string_view(buffer_).substr(0, length));
    buffer_.erase(0, length);
    return message;
  }
  // The next publishDiagnostics for uri, skipping any other message.
  std::optional<JsonNode> Diagnostics(const std::string& uri) {
    while (auto message = Receive()) {
      const JsonNode* params = message->Find("params");
      const std::string* method = message->FindString("method");
      const std::string* about = params ? params->FindString("uri") : nullptr;
      if (method && about && *method == "textDocument/publishDiagnostics" && *about == uri)
        return *params->Find("diagnostics");
    }
    return std::nullopt;
  }

  // The server's exit status once it ends (within ten seconds), else -1.
  int Wait() {
    for (auto deadline = Clock::now() + std::chrono::seconds(10); Clock::now() < deadline;) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return *status_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }

 private:
  bool Fill(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd ready{out_, POLLIN, 0};
    if (left <= 0 || ::poll(&ready, 1, static_cast<int>(left)) <= 0) return false;
    char chunk[65536];
    const ssize_t got = ::read(out_, chunk, sizeof chunk);
    if (got <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string buffer_;
  std::optional<int> status_;
};

inline std::string Text(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) out += c == '\n' ? std::string("\\n") : c == '"' ? std::string("\\\"") : std::string(1, c);
  return out + "\"";
}
inline std::string Initialize(int id = 1) {
  return "{\"jsonrpc\":\"2.0\",\"id\":" + std::to_string(id) + ",\"method\":\"initialize\",\"params\":{}}";
}
inline std::string DidOpen(const std::string& uri, const std::string& text) {
  return "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":{\"uri\":\"" + uri +
         "\",\"languageId\":\"vlm\",\"version\":1,\"text\":" + Text(text) + "}}}";
}
inline std::string Notify(const std::string& method, const std::string& params) {
  return "{\"jsonrpc\":\"2.0\",\"method\":\"" + method + "\",\"params\":" + params + "}";
}

inline double Number(const JsonNode& node, std::initializer_list<const char*> path) {
  const JsonNode* at = &node;
  for (const char* key : path) at = at ? at->Find(key) : nullptr;
  return at ? at->Number : -1;
}
}  // namespace vlmtest::lsp
