#include "audio/fluid_log.h"

#include <mutex>

#include "audio/fluid_library.h"

namespace vlm {

namespace {

std::mutex logMutex;
std::string logText;  // guarded by logMutex

// Keeps the buffer small when nobody takes it: only the latest messages matter.
constexpr std::size_t MaxLogChars = 2000;

void Collect(int, const char* message, void*) {
  std::lock_guard<std::mutex> lock(logMutex);
  if (!logText.empty()) logText += "; ";
  logText += message;
  if (logText.size() > MaxLogChars) logText.erase(0, logText.size() - MaxLogChars);
}

void Drop(int, const char*, void*) {}

}  // namespace

void CaptureFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    const FluidLibrary& fluid = Fluid();
    fluid.fluid_set_log_function(FLUID_PANIC, Collect, nullptr);
    fluid.fluid_set_log_function(FLUID_ERR, Collect, nullptr);
    fluid.fluid_set_log_function(FLUID_WARN, Collect, nullptr);
    fluid.fluid_set_log_function(FLUID_INFO, Drop, nullptr);
    fluid.fluid_set_log_function(FLUID_DBG, Drop, nullptr);
  });
}

std::string TakeFluidLog() {
  std::lock_guard<std::mutex> lock(logMutex);
  std::string text;
  text.swap(logText);
  return text;
}

}  // namespace vlm
