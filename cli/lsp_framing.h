#pragma once
// The framing of the language server protocol on a byte stream: header
// lines ("Content-Length: N"), an empty line, then N bytes of JSON.

#include <cstddef>
#include <string>
#include <string_view>

namespace vlmcli {

// Bounds that keep a bad or hostile client from exhausting memory.
constexpr std::size_t kMaxLspMessageBytes = 64u << 20;  // a message's body
constexpr std::size_t kMaxLspHeaderBytes = 64u << 10;   // the header lines before it

struct LspFrame {
  enum class Kind {
    Message,     // Body holds one message
    BadHeader,   // no Content-Length, a bad one, or headers beyond their bound
    TooLarge,    // a body beyond kMaxLspMessageBytes, skipped unread
    EndOfInput,  // the stream ended (a message it cut short is dropped)
  };
  Kind Type = Kind::EndOfInput;
  std::string Body;
};

// Reads frames from a file descriptor it does not own.
class LspReader {
 public:
  explicit LspReader(int fd) : fd_(fd) {}
  // The next frame. After a BadHeader the reader skips ahead to the next
  // "Content-Length:" it finds, so that one bad message costs only itself.
  LspFrame Next();
  // Bytes were read and are still to be taken: Next may not wait for input. (A
  // message cut short by the pipe still waits there for the rest.)
  bool HasBufferedBytes() const { return !buffer_.empty(); }

 private:
  bool Fill();  // reads more bytes into buffer_; false at end of input
  bool Skip(std::size_t count);  // drops count bytes of input; false at end of input

  int fd_;
  std::string buffer_;     // bytes read but not taken
  bool resync_ = false;    // after a bad header: looking for the next Content-Length
};

// The message framed for sending.
std::string FrameLspMessage(std::string_view body);

}  // namespace vlmcli
