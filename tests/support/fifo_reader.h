#pragma once
// A reader on the far end of a FIFO, so that a test can write into the pipe
// from its own thread: opening a FIFO for writing waits for a reader.

#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace vlmtest {

class FifoReader {
 public:
  // Reads the FIFO at Path whole, until the writer closes it.
  explicit FifoReader(const std::string& Path)
      : Thread([this, Path] {
          std::ifstream in(Path, std::ios::binary);
          std::ostringstream all;
          all << in.rdbuf();
          Received = all.str();
        }) {}
  // Waits for the writer to close the pipe; the bytes it wrote.
  const std::string& Join() {
    Thread.join();
    return Received;
  }

 private:
  std::string Received;
  std::thread Thread;
};

}  // namespace vlmtest
