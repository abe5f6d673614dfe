#pragma once
// The origins of the line being compiled, kept beside its text while a
// source map is made. Origins are kept as runs: text copied from the user's
// line steps one column per byte, text a command generated shares one
// origin, so a run stands for a whole stretch and an edit costs its runs,
// not the bytes of the line.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/source_origin.h"

namespace vlm {

// Bytes Start.. up to the next run's start: byte Start + K has the origin
// First with Column + Step * K.
struct OriginRun {
  std::size_t Start;   // byte offset of the run's first byte
  SourceOrigin First;  // origin of that byte
  std::int32_t Step;   // 0 or 1: columns added per byte
};

// The origins of a stretch of text, from byte 0.
class OriginRuns {
 public:
  std::size_t size() const { return Bytes; }
  bool empty() const { return Bytes == 0; }
  void reserve(std::size_t Runs) { Items.reserve(Runs); }
  // Empties it, keeping its memory for the next use.
  void clear() {
    Items.clear();
    Bytes = 0;
  }
  // The origin of byte I (below size()).
  SourceOrigin At(std::size_t I) const;
  const std::vector<OriginRun>& Runs() const { return Items; }

  // One more byte of origin O, joined to the last run where it continues it
  // (a run of one byte takes the step, 0 or 1, that the second byte gives it).
  // Inline: generated text is matched byte by byte.
  void Push(const SourceOrigin& O) {
    if (!Items.empty()) {
      OriginRun& last = Items.back();
      if (last.First.File == O.File && last.First.Line == O.Line) {
        const std::size_t length = Bytes - last.Start;
        const auto lastColumn = static_cast<std::int32_t>(
            last.First.Column + static_cast<std::int64_t>(last.Step) * static_cast<std::int64_t>(length - 1));
        const std::int64_t step = static_cast<std::int64_t>(O.Column) - lastColumn;
        if (length == 1 && (step == 0 || step == 1)) {
          last.Step = static_cast<std::int32_t>(step);
          ++Bytes;
          return;
        }
        if (length > 1 && step == last.Step) {
          ++Bytes;
          return;
        }
      }
    }
    Items.push_back({Bytes, O, 0});
    ++Bytes;
  }
  // Length more bytes from O on, each Step columns after the one before.
  void PushRun(const SourceOrigin& O, std::int32_t Step, std::size_t Length);
  // Appends Other's bytes.
  void Append(const OriginRuns& Other);

  // Replaces the runs by those OriginBuffer::Pack packed.
  void Unpack(std::string_view Packed);

 private:
  friend class OriginBuffer;
  friend void InheritOrigins(std::string_view Region, const OriginRuns& RegionOrigins, const SourceOrigin& Fallback,
                             std::string_view New, OriginRuns& Out);

  std::vector<OriginRun> Items;  // by Start, each at least one byte long
  std::size_t Bytes = 0;         // bytes covered
};

// The origins of a line as written, into Out: byte I of Text is on code
// point 1 + (lead bytes before it) (a continuation byte at the very start is
// on 1), continuation bytes share their lead's column, and End (the end of
// the line) is one column after the last.
void WrittenOrigins(std::int32_t File, std::int32_t Line, std::string_view Text, OriginRuns& Out, SourceOrigin& End);

// The origins of the line being compiled and of its end, in a gap buffer of
// runs like the line's own buffer, so that edits of a long line cost their
// own runs rather than the rest of the line. Runs before the gap keep their
// start from the line's start, runs after it their distance from the line's
// end, so that an edit changes neither.
class OriginBuffer {
 public:
  std::size_t size() const { return Bytes; }
  // The origin of byte I; I at or past size() is the end of the line. The
  // stretch of the run the last lookup found is tried first, inline and
  // with one comparison: every note looks up its letter, mostly in that run.
  SourceOrigin At(std::size_t I) const {
    if (I - FoundStart < FoundEnd - FoundStart)
      return {Found.File, Found.Line,
              static_cast<std::int32_t>(Found.Column + static_cast<std::int64_t>(FoundStep) *
                                                           static_cast<std::int64_t>(I - FoundStart))};
    return Search(I);
  }

  void Assign(const OriginRuns& From, const SourceOrigin& End);
  // Replaces Count bytes from At (clamped to the line) by New.
  void Replace(std::size_t At, std::size_t Count, const OriginRuns& New);
  // Replaces Out by the origins of bytes From..To-1 (clamped to the line).
  void CopyTo(std::size_t From, std::size_t To, OriginRuns& Out) const;
  // The line's runs packed into Out (OriginRuns::Unpack reads them). A
  // rewritten line is stored with its origins at every line's end, mostly
  // never to be read again; as runs (24 bytes each, about one per byte a
  // macro generated) they took more memory than the song's text, packed they
  // take some three bytes each.
  void Pack(std::string& Out) const;
  const SourceOrigin& EndOrigin() const { return End; }

 private:
  std::size_t RunCount() const { return Items.size() - GapSize; }
  const OriginRun& Run(std::size_t R) const { return R < GapAt ? Items[R] : Items[R + GapSize]; }
  std::size_t StartOf(std::size_t R) const { return R < GapAt ? Items[R].Start : Bytes - Items[R + GapSize].Start; }
  std::size_t EndOf(std::size_t R) const { return R + 1 < RunCount() ? StartOf(R + 1) : Bytes; }
  // The run that holds byte I (below size()).
  std::size_t RunOf(std::size_t I) const;
  SourceOrigin Search(std::size_t I) const;
  void MoveGap(std::size_t To);
  void Reserve(std::size_t Runs);

  std::vector<OriginRun> Items;  // the runs with the gap inside
  std::size_t GapAt = 0;         // index of the gap's first entry
  std::size_t GapSize = 0;       // entries of Items that belong to no run
  std::size_t Bytes = 0;         // bytes of the line
  SourceOrigin End;              // the origin past the last byte
  // The run the last lookup found: notes are looked up as the compile moves
  // forward through the line, so the next lookup is usually in it or just after.
  mutable std::size_t Hint = 0;
  // The bytes of the run the last lookup found, FoundStart up to FoundEnd
  // (none once the line is edited), its origin at FoundStart and its step.
  mutable std::size_t FoundStart = 0;
  mutable std::size_t FoundEnd = 0;
  mutable SourceOrigin Found;
  mutable std::int32_t FoundStep = 0;
};

// The origins of New, text that replaces Region (whose bytes have
// RegionOrigins), into Out: a greedy in-order match gives each byte of New that can be
// found further on in Region that byte's origin, so that text copied from an
// argument keeps the user's positions; every other byte gets Fallback (the
// command that generated it).
void InheritOrigins(std::string_view Region, const OriginRuns& RegionOrigins, const SourceOrigin& Fallback,
                    std::string_view New, OriginRuns& Out);

}  // namespace vlm
