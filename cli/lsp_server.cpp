#include "cli/lsp_server.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "cli/lsp_diagnostics.h"
#include "cli/lsp_framing.h"
#include "common/json_string.h"

namespace vlmcli {

namespace {

using vlm::JsonNode;

// JSON-RPC and LSP error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kServerNotInitialized = -32002;

std::string Result(const std::string& id, const std::string& result) {
  return "{\"jsonrpc\":\"2.0\",\"id\":" + id + ",\"result\":" + result + "}";
}

std::string Error(const std::string& id, int code, const std::string& message) {
  std::string out = "{\"jsonrpc\":\"2.0\",\"id\":" + id + ",\"error\":{\"code\":" + std::to_string(code) +
                    ",\"message\":";
  vlm::AppendJsonString(out, message);
  return out + "}}";
}

const JsonNode kNothing;  // what a missing member reads as

const JsonNode& Member(const JsonNode& object, std::string_view key) {
  const JsonNode* value = object.Find(key);
  return value ? *value : kNothing;
}

// A publishDiagnostics notification; each diagnostic is one JSON object's text.
std::string Publication(const std::string& uri, const std::vector<const std::string*>& diagnostics) {
  std::string message = "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"uri\":";
  vlm::AppendJsonString(message, uri);
  message += ",\"diagnostics\":[";
  for (std::size_t i = 0; i < diagnostics.size(); ++i) message += (i ? "," : "") + *diagnostics[i];
  return message + "]}}";
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

void LspSession::Handle(std::string_view body, std::vector<std::string>& out) {
  const std::optional<JsonNode> message = vlm::ParseJson(body);
  if (!message) {
    out.push_back(Error("null", kParseError, "Parse error"));
    return;
  }
  const JsonNode* methodNode = message->Find("method");
  const std::string* method = message->FindString("method");
  const JsonNode* id = message->Find("id");
  const bool validId = id && (id->Type == JsonNode::Kind::Number || id->Type == JsonNode::Kind::String);
  if (!methodNode && id) return;  // an answer from the client: this server asks nothing
  if (!method) {  // no object, or a method that is no string
    out.push_back(Error(validId ? vlm::WriteJson(*id) : "null", kInvalidRequest, "Invalid Request"));
    return;
  }
  if (!id) {
    Notification(*method, Member(*message, "params"), out);
    return;
  }
  const std::string idText = validId ? vlm::WriteJson(*id) : "null";
  if (!validId) {
    out.push_back(Error(idText, kInvalidRequest, "Invalid Request: the id is neither a number nor a string"));
  } else if (shutdown_) {
    out.push_back(Error(idText, kInvalidRequest, "the server is shut down"));
  } else if (*method == "initialize") {
    initialized_ = true;
    out.push_back(Result(idText, "{\"capabilities\":{\"textDocumentSync\":1,\"documentSymbolProvider\":true,"
                                 "\"definitionProvider\":true,\"hoverProvider\":true,\"completionProvider\":{}},"
                                 "\"serverInfo\":{\"name\":\"vlmc\",\"version\":\"" VLM_VERSION "\"}}"));
  } else if (!initialized_) {
    out.push_back(Error(idText, kServerNotInitialized, "initialize comes first"));
  } else if (*method == "shutdown") {
    shutdown_ = true;
    out.push_back(Result(idText, "null"));
  } else if (const auto result = DocumentRequest(*method, Member(*message, "params"), out)) {
    out.push_back(Result(idText, *result));
  } else {
    out.push_back(Error(idText, kMethodNotFound, "Method not found: " + *method));
  }
}

// Notifications missing what they need are dropped, as LSP asks of a server.
void LspSession::Notification(const std::string& method, const JsonNode& params, std::vector<std::string>& out) {
  if (method == "exit") {
    exitStatus_ = shutdown_ ? 0 : 1;
    return;
  }
  if (!initialized_ || shutdown_) return;
  const JsonNode& document = Member(params, "textDocument");
  const std::string* uri = document.FindString("uri");
  if (!uri) return;
  if (method == "textDocument/didOpen") {  // didOpen: the text as the editor holds it
    const std::string* text = document.FindString("text");
    if (!text) return;
    documents_[*uri].Text = *text;
    Compile(*uri, out);
  } else if (method == "textDocument/didChange") {  // didChange: whole texts, the last one counts
    const auto found = documents_.find(*uri);
    const JsonNode& changes = Member(params, "contentChanges");
    if (found == documents_.end() || changes.Items.empty()) return;
    const std::string* text = changes.Items.back().FindString("text");
    if (!text) return;
    // Compiled when the editor has been quiet for a while (CompileDue), or
    // first thing for a request that reads the compile.
    found->second.Text = *text;
    found->second.Changed = true;
    found->second.ChangedAt = Clock::now();
  } else if (method == "textDocument/didSave") {
    // A saved file may be included by any open document: all compile again.
    std::vector<std::string> uris;
    for (const auto& [open, unused] : documents_) uris.push_back(open);
    for (const std::string& open : uris) Compile(open, out);
  } else if (method == "textDocument/didClose") {
    const auto found = documents_.find(*uri);
    if (found == documents_.end()) return;
    const auto shown = std::move(found->second.Diagnostics);
    documents_.erase(found);
    // A closed file shows nothing, even where an open one includes it.
    out.push_back(Publication(*uri, {}));
    for (const auto& [where, unused] : shown)
      if (where != *uri) Publish(where, out);
  }
}

void LspSession::Compile(const std::string& uri, std::vector<std::string>& out) {
  std::map<std::string, std::string> openUris;  // by path, so that an included open file keeps its URI
  for (const auto& [open, unused] : documents_)
    if (const auto path = PathOfFileUri(open)) openUris.emplace(NormalPath(*path), open);
  Document& document = documents_[uri];
  DocumentCompile compiled = CompileDocument(uri, document.Text, openUris);
  std::swap(document.Diagnostics, compiled.Diagnostics);  // compiled keeps the earlier ones
  document.Map = std::move(compiled.Map);
  document.Changed = false;
  // Files that had errors and have none now are published too, with none.
  for (const auto& [where, unused] : compiled.Diagnostics) document.Diagnostics.try_emplace(where);
  for (const auto& [where, unused] : document.Diagnostics) Publish(where, out);
  std::erase_if(document.Diagnostics, [](const auto& entry) { return entry.second.empty(); });
}

// After a shutdown request nothing more is compiled or published.
std::optional<LspSession::Clock::time_point> LspSession::NextCompile() const {
  std::optional<Clock::time_point> next;
  if (shutdown_) return next;
  for (const auto& [unused, document] : documents_)
    if (document.Changed && (!next || document.ChangedAt + kLspCompileDelay < *next))
      next = document.ChangedAt + kLspCompileDelay;
  return next;
}

void LspSession::CompileDue(Clock::time_point now, std::vector<std::string>& out) {
  std::vector<std::string> due;
  if (shutdown_) return;
  for (const auto& [uri, document] : documents_)
    if (document.Changed && document.ChangedAt + kLspCompileDelay <= now) due.push_back(uri);
  for (const std::string& uri : due) Compile(uri, out);
}

void LspSession::Publish(const std::string& uri, std::vector<std::string>& out) const {
  // Two documents that include one file both find its errors: each is shown
  // once. One compile's own repeats (an error per byte of a character) stay.
  std::vector<const std::string*> shown;
  for (const auto& [unused, document] : documents_) {
    const auto found = document.Diagnostics.find(uri);
    if (found == document.Diagnostics.end()) continue;
    const auto earlier = static_cast<std::ptrdiff_t>(shown.size());
    for (const std::string& diagnostic : found->second)
      if (std::none_of(shown.begin(), shown.begin() + earlier, [&](const std::string* s) { return *s == diagnostic; }))
        shown.push_back(&diagnostic);
  }
  out.push_back(Publication(uri, shown));
}

int RunLspServer(int in, int out) {
  // A client gone away shows as a failed write, not as a fatal signal.
  ::signal(SIGPIPE, SIG_IGN);
  LspReader reader(in);
  LspSession session;
  for (;;) {
    std::vector<std::string> answers;
    // With a change waiting to compile, the input is watched only until it
    // is due: a quiet editor still gets its diagnostics.
    const auto due = session.NextCompile();
    if (due && !reader.HasBufferedBytes()) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - LspSession::Clock::now());
      pollfd input{in, POLLIN, 0};
      const int ready = ::poll(&input, 1, static_cast<int>(std::max<std::int64_t>(0, wait.count())));
      if (ready < 0 && errno == EINTR) continue;
      if (ready == 0) {
        session.CompileDue(LspSession::Clock::now(), answers);
        for (const std::string& answer : answers)
          if (!WriteAll(out, FrameLspMessage(answer))) return 1;
        continue;
      }
    }
    LspFrame frame = reader.Next();
    switch (frame.Type) {
      case LspFrame::Kind::EndOfInput:
        return 1;
      case LspFrame::Kind::BadHeader:  // the message cannot be read: answered as unparsable
      case LspFrame::Kind::TooLarge:
        answers.push_back(Error("null", kParseError,
                                frame.Type == LspFrame::Kind::TooLarge ? "Parse error: the message is larger than 64 MiB"
                                                                       : "Parse error: bad message header"));
        break;
      case LspFrame::Kind::Message:
        session.Handle(frame.Body, answers);
        break;
    }
    for (const std::string& answer : answers)
      if (!WriteAll(out, FrameLspMessage(answer))) return 1;
    if (session.ExitStatus()) return *session.ExitStatus();
  }
}

}  // namespace vlmcli
