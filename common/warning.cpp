#include "common/warning.h"

#include <cstdio>

namespace vlm {

namespace {

class StderrWarnings : public WarningSink {
 public:
  void ShowWarning(const std::string& text) override {
    std::fprintf(stderr, "警告: %s\n", text.c_str());
  }
  void Beep() override { std::fputc('\a', stderr); }
};

StderrWarnings& DefaultSink() {
  static StderrWarnings sink;
  return sink;
}

WarningSink* current = nullptr;

}  // namespace

void SetWarningSink(WarningSink* sink) { current = sink; }

WarningSink& Warnings() { return current ? *current : DefaultSink(); }

}  // namespace vlm
