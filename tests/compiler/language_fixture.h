#pragma once
// A compiler kept across one test, so that a test can compile sources and
// then look at the compiler's state and at its event stores, where times
// before 0 are still visible (the file moves them to 0).

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/compile_harness.h"

namespace vlmtest {

class LanguageTest : public ::testing::Test {
 protected:
  std::vector<std::string> sink;
  vlm::TSmf smf{[this](const std::string& t) { sink.push_back(t); }};
  CompileResult last;

  const CompileResult& Compile(const std::string& source, std::uint32_t seed = 0) {
    last = CompileWith(smf, sink, source, seed);
    EXPECT_TRUE(last.smf.valid) << last.smf.error;
    return last;
  }
  std::vector<std::string> Errors() const { return last.Errors(); }
  std::int32_t Var(int n) const { return smf.Vars[static_cast<std::size_t>(n)]; }

  // The events of one track's store as "time: XX XX XX", in store order
  // (sorted by time after a compile).
  std::vector<std::string> Store(int track) const {
    std::vector<std::string> lines;
    const vlm::Tivent& store = smf.TrackEvents[static_cast<std::size_t>(track)];
    std::uint8_t buffer[vlm::Tivent::MaxEventBytes];
    for (std::int32_t i = 0; i < store.Count(); ++i) {
      std::int32_t time = 0;
      std::int32_t len = 0;
      store.GetEvent(i, time, buffer, len);
      std::string line = std::to_string(time) + ":";
      char hex[4];
      for (std::int32_t b = 0; b < len; ++b) {
        std::snprintf(hex, sizeof hex, " %02X", buffer[b]);
        line += hex;
      }
      lines.push_back(line);
    }
    return lines;
  }

  // The note-on events of one track as "time: note", in store order.
  std::vector<std::string> NoteOns(int track) const {
    std::vector<std::string> notes;
    for (const std::string& e : Store(track)) {
      const auto colon = e.find(':');
      if (e.compare(colon + 2, 1, "9") == 0)
        notes.push_back(e.substr(0, colon) + ": " +
                        std::to_string(std::stoi(e.substr(colon + 5, 2), nullptr, 16)));
    }
    return notes;
  }
};

// The error line ReportError writes for track 0.
inline std::string ErrorLine(int line, const std::string& detail, const std::string& text,
                             int track = 0, int ptr = 0, int position = 0) {
  return "err(" + std::to_string(line) + ")\"" + detail + "\":" + text + "\"> _tr<" +
         std::to_string(track) + "> ptr=" + std::to_string(ptr) + "<" + std::to_string(position) +
         ">小節目";
}

inline const std::string BadArgument = "引数が不正です";
inline const std::string SyntaxError = "文法のエラー";
inline const std::string MissingArgument = "必要な引数が足りません";
inline const std::string UnknownError = "原因不明のエラー";

}  // namespace vlmtest
