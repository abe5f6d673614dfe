#include "compiler/system_rewrites.h"

#include <string>
#include <vector>

#include "common/random.h"
#include "compiler/line_edit.h"

namespace vlm {

// The command text is removed from the backslash on, whatever form its number
// was written in, and the arguments with it; the generated text takes their
// place: "l%" and a share of the total length before each item, then the
// track's default length again. The first total mod n items get one tick more.
void DivideLength(TSmf& smf, std::int32_t CommandStart) {
  EraseColumns(smf, CommandStart, smf.Col);
  smf.Col = CommandStart;
  const std::int32_t start = smf.Col;
  smf.ReadArgs(smf.Line(), smf.Col);
  if (smf.ArgCount < 2) {
    smf.ReportError(4, "DIV");
    return;
  }
  const std::vector<std::string> args(smf.Args.begin(), smf.Args.begin() + smf.ArgCount);
  std::int64_t total = 0;
  SkipBlanks(smf.Line(), smf.Col);
  while (CharAt(smf.Line(), smf.Col) == '^') {
    ++smf.Col;
    const std::int32_t part = smf.ReadLength(smf.Line(), smf.Col);
    if (part > 0) total += part;  // a failed part has been reported and adds nothing
  }
  EraseColumns(smf, start, smf.Col);
  smf.Col = start;
  std::string first = args[0];
  std::int32_t at = 1;
  const std::int32_t length = smf.ReadLength(first, at);
  if (length > 0) total += length;
  if (total < 1 || total > INT32_MAX) {
    smf.ReportError(4, "DIV");
    return;
  }
  const auto items = static_cast<std::int64_t>(args.size()) - 1;
  const std::int64_t share = total / items;
  const std::int64_t longer = total % items;
  std::string text;
  for (std::int64_t i = 1; i <= items; ++i) {
    text += "l%" + std::to_string(i <= longer ? share + 1 : share);
    text += StripQuotes(args[static_cast<std::size_t>(i)]);
  }
  text += "l%" + std::to_string(smf.Track().Length);
  InsertAt(smf, smf.Col, text);
  smf.CheckLineLength();
}

// The chosen text and the end marker "\27(=>\27)" are inserted after the
// command; the marker, once reached, takes both out again, so a replay of
// the line chooses afresh. A selector outside 1..count is refused rather
// than taking whatever an unused argument slot holds.
void SelectText(TSmf& smf) {
  smf.ReadArgs(smf.Line(), smf.Col);
  if (smf.ArgCount == 1 && smf.Args[0] == "=>\\27") {
    if (smf.SelDepth == 0) return;
    --smf.SelDepth;
    const std::int32_t start = smf.SelCols[static_cast<std::size_t>(smf.SelDepth)];
    EraseColumns(smf, start, smf.Col);
    if (start < smf.Col) smf.Col = start;
    return;
  }
  if (smf.ArgCount < 2) {
    smf.ReportError(4, "SWITCH or SEL");
    return;
  }
  std::int32_t len = 0;
  std::int32_t choice = smf.ReadNumber(smf.Args[0], 1, len);
  if (choice == -1) choice = smf.Rng.Random(smf.ArgCount - 1) + 1;  // "?" or no number: at random
  if (choice < 1 || choice >= smf.ArgCount) {
    smf.ReportError(4, "SWITCH or SEL");
    return;
  }
  if (smf.SelDepth >= StackSlots) {
    // Only a chosen text that holds a selection can nest this deep;
    // refusing it ends the recursion.
    smf.ReportError(5, "SELのネストが深すぎます。");
    return;
  }
  smf.SelCols[static_cast<std::size_t>(smf.SelDepth)] = smf.Col;
  ++smf.SelDepth;
  InsertAt(smf, smf.Col, StripQuotes(smf.Args[static_cast<std::size_t>(choice)]) + "\\27(=>\\27)");
  smf.CheckLineLength();
}

// The generated text keeps the octave in ~502, takes the two note numbers
// (~505 from, ~504 to), sets the bend range to their distance (at most 24),
// lays a bend curve from the centre to the full bend towards the target over
// the note, plays the first note and returns bend and octave. ~502..~505 are
// overwritten.
void Glide(TSmf& smf, std::int32_t CommandStart) {
  smf.ReadArgs(smf.Line(), smf.Col);
  if (smf.ArgCount < 3) {
    smf.ReportError(4, "PRT");
    return;
  }
  EraseColumns(smf, CommandStart, smf.Col);
  smf.Col = CommandStart;
  const std::string& length = smf.Args[0];
  std::string text = "~502=o~505=nno(" + smf.Args[1] + ")~504=nno(" + smf.Args[2] + ")";
  text += "~503=~504-~505IF(~503<0,~503*-1)IF(~503>24,~503=24)BR(~503)IF(~505>~504,~503=0,~503=127)";
  if (smf.ArgCount == 3)
    text += "ACB(64,~503," + length + ",0,1,0)n~505," + length;
  else
    text += "ACB(64,~503," + length + "," + smf.Args[3] + ",1,0)n~505," + length;
  text += "B=64o=~502";
  InsertAt(smf, smf.Col, text);
  smf.CheckLineLength();
}

}  // namespace vlm
