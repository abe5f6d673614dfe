#pragma once
// Waiting in a test for something another process does (a file written, a
// message received), polling every 20 ms.

#include <chrono>
#include <functional>
#include <thread>

namespace vlmtest {

// True as soon as cond holds; false when it still does not after 10 s.
inline bool WaitFor(const std::function<bool()>& cond) {
  for (int waited = 0; waited < 10000; waited += 20) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return cond();
}

}  // namespace vlmtest
