#include <algorithm>
#include <filesystem>

#include "common/random.h"
#include "common/text_file.h"
#include "compiler/line_edit.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Keywords are matched case-sensitively as prefixes at column At; nothing
// checks what follows them.
bool KeywordAt(const LineBuffer& Text, std::int32_t At, std::string_view Keyword) {
  if (At < 1 || static_cast<std::size_t>(At - 1) + Keyword.size() > Text.size()) return false;
  for (std::size_t k = 0; k < Keyword.size(); ++k)
    if (Text[static_cast<std::size_t>(At - 1) + k] != Keyword[k]) return false;
  return true;
}

}  // namespace

// ";" to the end of the line; "{" to the next "}", across lines. The lines a
// brace comment passes over are neither compiled nor written back.
void TSmf::SkipComment() {
  if (CharAt(Line(), Col) == ';') {
    Col = static_cast<std::int32_t>(Line().size()) + 1;
    return;
  }
  std::size_t from = static_cast<std::size_t>(Col - 1);
  for (;;) {
    const std::size_t close = Line().find('}', from);
    if (close != std::string::npos) {
      Col = static_cast<std::int32_t>(close) + 2;
      return;
    }
    if (LineNo() + 1 >= LineCount()) {
      Col = static_cast<std::int32_t>(Line().size()) + 1;
      ReportError(5, "}がない");
      return;
    }
    MoveTo(LineNo() + 1, 1, Leaving::Keep);
    from = 0;
  }
}

// "_" and a keyword. The first group (print, smon, smoff, skipon, skipoff,
// INST_NAME) and then the second (COPYRIGHT, TITLE, ac, tr, m) are tried, so
// one underscore may carry one command of each group. Without a keyword only
// the "_" is consumed.
void TSmf::UnderscoreCommand() {
  ++Col;
  if (KeywordAt(Line(), Col, "print")) {  // _print(text or ~n, ...)
    Col += 5;
    ReadArgs(Line(), Col);
    if (ArgCount == 0) {
      ReportError(4, "_print");
      return;
    }
    std::string text;
    for (std::int32_t i = 0; i < ArgCount; ++i) {
      const std::string& arg = Args[static_cast<std::size_t>(i)];
      std::int32_t len = 0;
      text += CharAt(arg, 1) == '~' ? std::to_string(ReadNumber(arg, 1, len)) : arg;
    }
    AddMessage(text);
  } else if (KeywordAt(Line(), Col, "smon")) {  // one-letter macros on for this track
    Track().OneLetterMacros = 1;
    Col += 4;
  } else if (KeywordAt(Line(), Col, "smoff")) {  // one-letter macros off
    Track().OneLetterMacros = 0;
    Col += 5;
  } else if (KeywordAt(Line(), Col, "skipon")) {  // compile only "_;{}#" from here
    SkipMode = 1;
    Col += 6;
  } else if (KeywordAt(Line(), Col, "skipoff")) {  // compile everything again
    SkipMode = 0;
    Col += 7;
  } else if (KeywordAt(Line(), Col, "INST_NAME")) {  // instrument-name meta event
    Col += 9;
    MetaText(4);
  }

  if (KeywordAt(Line(), Col, "COPYRIGHT")) {  // copyright meta event
    Col += 9;
    MetaText(2);
  } else if (KeywordAt(Line(), Col, "TITLE")) {  // sequence or track name meta event
    Col += 5;
    MetaText(3);
  } else if (KeywordAt(Line(), Col, "ac")) {  // _ac(length): controller-curve step
    Col += 2;
    ReadArgs(Line(), Col);
    if (ArgCount != 1) {
      ReportError(4, "_ac");
      return;
    }
    const std::string lengthText = Args[0];
    std::int32_t at = 1;
    const std::int32_t step = ReadLength(lengthText, at);
    if (step == -1) {
      ReportError(4, "_ac");
      return;
    }
    CurveStep[static_cast<std::size_t>(CurTrack)] = std::clamp(step, 1, 2 * Timebase);
  } else if (KeywordAt(Line(), Col, "tr")) {  // track selection and multi-track sections
    TrackSelect();
  } else if (KeywordAt(Line(), Col, "m")) {  // macro definition
    DefineMacro();
  }
}

// "#" and a keyword: timebase, octave_up_down, end, randomize, include.
// Without a keyword only the "#" is consumed.
void TSmf::Directive() {
  ++Col;
  std::int32_t len = 0;
  if (KeywordAt(Line(), Col, "timebase")) {  // #timebase 13..1536
    Col += 8;
    SkipBlanks(Line(), Col);
    const std::int32_t value = ReadNumber(Line(), Col, len);
    Col += len;
    if (value >= 13 && value <= 1536)
      Timebase = value;
    else
      ReportError(4, "timebase");
  } else if (KeywordAt(Line(), Col, "octave_up_down")) {  // #octave_up_down 0|1
    Col += 14;
    SkipBlanks(Line(), Col);
    const std::int32_t value = ReadNumber(Line(), Col, len);
    Col += len;
    if (value == 0 || value == 1)
      OctaveSwap = value;
    else
      ReportError(4, "octave_up_down");
  } else if (KeywordAt(Line(), Col, "end")) {  // nothing after it is compiled
    throw CompileStop{};
  } else if (KeywordAt(Line(), Col, "randomize")) {  // #randomize seed (0: draw one)
    Col += 9;
    SkipBlanks(Line(), Col);
    std::int32_t status = 0;
    std::int32_t seed = ReadValue(Line(), Col, status);
    if (status == -1) {
      ReportError(5, "randomize");
      return;
    }
    if (seed == 0) seed = Rng.Random(2147483647);
    Rng.Seed = static_cast<std::uint32_t>(seed);
    AddMessage("#randomize = " + std::to_string(seed));
  } else if (KeywordAt(Line(), Col, "include")) {  // #include "file"
    Col += 7;
    IncludeFile();
  }
}

// Inserts the lines of a file after the current line; they are compiled next,
// after the rest of this line. The directive then becomes a comment, so that
// a loop or a section that replays this line compiles the inserted lines
// again instead of inserting the file once more on every pass. A file that is
// already being included here (it includes itself, directly or through
// others) is refused, as is anything but a regular file (a device or a pipe
// could be read without end).
void TSmf::IncludeFile() {
  const std::int32_t directiveCol = Col - 8;  // the "#" of "#include"
  SkipBlanks(Line(), Col);
  if (CharAt(Line(), Col) != '"') {
    ReportError(5, "include");
    return;
  }
  const std::size_t close = Line().find('"', static_cast<std::size_t>(Col));
  if (close == std::string::npos) {
    ReportError(5, "include が \" で終わっていない");
    return;
  }
  const std::string name = Line().substr(static_cast<std::size_t>(Col), close - static_cast<std::size_t>(Col));
  Col = static_cast<std::int32_t>(close) + 2;

  // A file is looked up and read once per compile under the name it is
  // written with: including it again costs its lines, not system calls
  // (the canonical name alone takes one per directory of the path).
  auto known = IncludedFiles.find(name);
  if (known == IncludedFiles.end()) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path = fs::path(IncludeDirectory) / name;  // an absolute name stays itself
    if (name.empty() || !fs::is_regular_file(path, ec)) {
      ReportError(0, "指定されたファイル\"" + name + "\"が開けません");
      return;
    }
    std::string canonical = fs::weakly_canonical(path, ec).string();
    // Read as the program reads any MML file: Shift-JIS text is decoded to UTF-8.
    const std::optional<std::string> text = ReadTextFile(path.string());
    if (!text) throw CompileFailure("include: " + name + " を読めません");
    known = IncludedFiles.emplace(name, IncludedFile{ec ? path.string() : std::move(canonical), SplitLines(*text)}).first;
  }
  const std::string& file = known->second.File;
  // Inclusions that the compile has left are closed: only the ones still
  // holding this line stay, so the check and the shift cost the nesting
  // depth, not the number of includes so far.
  while (!Inclusions.empty() && !(Inclusions.back().First <= LineNo() && LineNo() < Inclusions.back().End))
    Inclusions.pop_back();
  for (const Inclusion& open : Inclusions) {
    if (open.File == file) {
      ReportError(0, "指定されたファイル\"" + name + "\"は既にインクルードされています");
      return;
    }
  }

  std::vector<std::string> inserted = known->second.Lines;
  // Included lines count against the work bound: a tree of files that
  // include each other twice would otherwise grow the source without end.
  ChargeSteps(static_cast<std::int64_t>(inserted.size()));
  AddMessage("include = " + name);
  const auto count = static_cast<std::int32_t>(inserted.size());
  InsertAfter(std::move(inserted), name);
  for (Inclusion& open : Inclusions) open.End += count;
  Inclusions.push_back({file, LineNo() + 1, LineNo() + 1 + count});

  const std::string directive =
      Line().substr(static_cast<std::size_t>(directiveCol - 1), static_cast<std::size_t>(Col - directiveCol));
  const std::string done = directive.find('}') == std::string::npos ? "{" + directive + "}" : "{#include}";
  EraseColumns(*this, directiveCol, Col);
  InsertAt(*this, directiveCol, done);
  Col = directiveCol + static_cast<std::int32_t>(done.size());
}

}  // namespace vlm
