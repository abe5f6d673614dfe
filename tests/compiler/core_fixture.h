#pragma once
// A compiler for the tests of macros, loops and system commands: compiles a
// source after defining macros as a source's "_m(" would, keeps the compiler
// for a look at its state, and runs single handlers on a line of text.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "compiler/tsmf.h"
#include "tests/support/compile_harness.h"

namespace vlmtest {

using MacroList = std::vector<std::pair<std::string, std::string>>;

class CoreTest : public ::testing::Test {
 protected:
  std::vector<std::string> messages;
  vlm::TSmf smf{[this](const std::string& t) { messages.push_back(t); }};

  // Reset, seed 0, the given macros, Lines from Source (split at '\n'), then
  // the driver's line loop. No file is written; Events() writes one.
  void Compile(const std::string& Source, const MacroList& Macros = {}) {
    messages.clear();
    smf.Reset();
    smf.Rng.Seed = 0;
    for (const auto& [name, value] : Macros) smf.Macros.Add(name, value);
    std::istringstream in(Source);
    for (std::string line; std::getline(in, line);) smf.Lines.push_back(line);
    smf.CompileLines();
  }

  // Puts Text on line 0 as the line being compiled, Col on its first character.
  void OnLine(const std::string& Text) {
    messages.clear();
    smf.Lines = {Text};
    smf.Begin(smf.Lines);
  }

  std::vector<std::string> Errors() const {
    std::vector<std::string> errors;
    for (const auto& m : messages)
      if (m.rfind("err(", 0) == 0) errors.push_back(m);
    return errors;
  }

  // The detail texts of the error lines, in order.
  std::vector<std::string> ErrorDetails() const {
    std::vector<std::string> details;
    for (const auto& e : Errors()) {
      const auto open = e.find(")\"") + 2;
      details.push_back(e.substr(open, e.find("\":", open) - open));
    }
    return details;
  }

  std::int32_t Ptr(int Track = 0) const { return smf.ptr[static_cast<std::size_t>(Track)]; }

  // Note-ons of one chunk as "time:letter" ("+" after the letter for the
  // black keys, the octave left out), in file order.
  std::vector<std::string> NoteOns(std::size_t Chunk = 0) {
    static const char* const names[] = {"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};
    std::vector<std::string> notes;
    for (const auto& line : Events(Chunk)) {
      const auto colon = line.find(": 9");
      if (colon == std::string::npos) continue;
      const int number = std::stoi(line.substr(colon + 5, 2), nullptr, 16);
      notes.push_back(line.substr(0, colon) + ":" + names[number % 12]);
    }
    return notes;
  }

  // The letters of the note-ons of one chunk, separated by blanks.
  std::string Played(std::size_t Chunk = 0) {
    std::string letters;
    for (const auto& note : NoteOns(Chunk)) {
      if (!letters.empty()) letters += ' ';
      letters += note.substr(note.find(':') + 1);
    }
    return letters;
  }

  // Event lines of one chunk of the file the compiler writes now.
  std::vector<std::string> Events(std::size_t Chunk = 0) {
    const std::string dir = ScratchDir();
    const std::string file = dir + "/out.mid";
    smf.WriteSmf(file);
    const SmfFile parsed = ParseSmf(ReadFileBytes(file));
    std::filesystem::remove_all(dir);
    EXPECT_TRUE(parsed.valid) << parsed.error;
    return EventLines(parsed, Chunk);
  }
};

}  // namespace vlmtest
