#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/lsp_framing.h"
#include "cli/lsp_server.h"
#include "common/json_node.h"
#include "fuzz/checks.h"

namespace vlmfuzz {

namespace {

// The bytes as a stream the reader can take, as an editor's pipe would give them.
int StreamOf(const std::string& bytes) {
  const int fd = ::memfd_create("lsp-input", MFD_CLOEXEC);
  if (fd < 0) return -1;
  for (std::size_t at = 0; at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
    if (n <= 0) {
      ::close(fd);
      return -1;
    }
    at += static_cast<std::size_t>(n);
  }
  ::lseek(fd, 0, SEEK_SET);
  return fd;
}

// A value written out and read back is the same value.
std::string CheckRoundTrip(const std::string& body) {
  const auto node = vlm::ParseJson(body);
  if (!node) return {};
  const std::string written = vlm::WriteJson(*node);
  const auto again = vlm::ParseJson(written);
  if (!again || vlm::WriteJson(*again) != written) return "a JSON value written out reads back otherwise: " + written.substr(0, 200);
  return {};
}

}  // namespace

// The session is opened first, so that document notifications reach the compiler.
std::string CheckLspStream(const std::string& bytes) {
  const int fd = StreamOf(bytes);
  if (fd < 0) return "the input could not be made into a stream";
  vlmcli::LspSession session;
  std::vector<std::string> out;
  session.Handle(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})", out);
  vlmcli::LspReader reader(fd);
  std::string broken;
  for (vlmcli::LspFrame frame = reader.Next(); frame.Type != vlmcli::LspFrame::Kind::EndOfInput && broken.empty();
       frame = reader.Next()) {
    if (frame.Type != vlmcli::LspFrame::Kind::Message) continue;
    broken = CheckRoundTrip(frame.Body);
    session.Handle(frame.Body, out);
  }
  ::close(fd);
  // Changes still waiting for a quiet moment are compiled, as the timer would.
  session.CompileDue(vlmcli::LspSession::Clock::time_point::max(), out);
  for (const std::string& message : out) {
    if (!broken.empty()) break;
    const auto node = vlm::ParseJson(message);
    const std::string* version = node ? node->FindString("jsonrpc") : nullptr;
    if (!version || *version != "2.0") broken = "a message sent is no JSON-RPC 2.0 message: " + message.substr(0, 200);
  }
  return broken;
}

}  // namespace vlmfuzz
