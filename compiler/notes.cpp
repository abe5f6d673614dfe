// Notes, rests, ties and lengths: the note letters a..g and n, the rest r,
// and the length syntax every command that takes a note length shares.

#include <algorithm>
#include <cstdint>
#include <string>

#include "common/random.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Semitone of each note letter within its octave, indexed from 'a'.
constexpr std::int32_t NoteLetterTable[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g

constexpr std::int32_t ChordCapacity = 32;  // entries of ChordNotes

std::int32_t ClampTo(std::int64_t v, std::int64_t lo, std::int64_t hi) {
  return static_cast<std::int32_t>(std::clamp(v, lo, hi));
}

// Lengths saturate at the int32 limit and never go below zero, so that a
// long chain of ties cannot overflow or wrap into the failure value -1.
std::int32_t ClampLength(std::int64_t ticks) { return ClampTo(ticks, 0, INT32_MAX); }

// Status byte of a channel message; the channel is masked so that the status
// can never turn into another kind of message.
std::uint8_t StatusByte(std::uint8_t kind, std::int32_t channel) {
  return static_cast<std::uint8_t>(kind | (channel & 0x0F));
}

// One draw of a random range: -Range .. Range-1. The draw is made even for a
// range of 0, since the order of draws fixes the output for a given seed.
std::int64_t DrawRange(RandomGenerator& Rng, std::int32_t Range) {
  const auto draw = static_cast<std::uint32_t>(Rng.Random(Wrap32(2 * static_cast<std::int64_t>(Range))));
  return static_cast<std::int64_t>(draw) - Range;
}

// One part of a length: "%" and a tick count, a note value, or nothing (the
// track's Length), followed by dots. Returns its ticks, or -1 after a
// reported failure; ExplicitZero is set for a written 0 (no dots are read).
std::int32_t ReadLengthPart(TSmf& smf, TextRef S, std::int32_t& At, bool& ExplicitZero) {
  ExplicitZero = false;
  std::int32_t len = 0;
  std::int64_t ticks;
  if (CharAt(S, At) == '%') {
    ++At;
    const std::int32_t n = smf.ReadNumber(S, At, len);
    At += len;
    if (n <= 0) {
      smf.ReportError(4, "%");
      return -1;
    }
    ticks = n;
  } else {
    // Most notes give no length or a few digits: neither needs ReadNumber.
    const int c = CharAt(S, At);
    std::int32_t value = -1;
    if (!ReadPlainNumber(S.View(), At, value, len) && ((c >= '0' && c <= '9') || c == '$' || c == '~'))
      value = smf.ReadNumber(S, At, len);
    At += len;
    if (value == 0) {
      ExplicitZero = true;
      return 0;
    }
    if (value == -1) {
      ticks = smf.Track().Length;
    } else if (value < 0) {
      // Only a variable or a hexadecimal number with its top bit set gets
      // here; a negative length would put note-offs before their note-ons.
      smf.ReportError(4, "音長");
      return -1;
    } else {
      ticks = NoteValueTicks(value, smf.Timebase);
    }
  }
  // Each dot adds half of the length reached so far: "4." 144, "4.." 216.
  while (CharAt(S, At) == '.') {
    ++At;
    ticks = ClampLength(ticks + HalfTicks(ticks));
  }
  return static_cast<std::int32_t>(ticks);
}

// One per-note parameter text: "+n" or "-n" relative to Current, a plain
// number absolute (below 1, or empty, keeps Current). Returns false when a
// relative number cannot be read. AtLeastOne bounds a relative result (gate).
bool ReadNoteParam(TSmf& smf, const std::string& Text, std::int32_t Current, bool AtLeastOne,
                   std::int32_t& Result) {
  const int sign = CharAt(Text, 1);
  std::int32_t len = 0;
  if (sign == '+' || sign == '-') {
    const std::int32_t n = smf.ReadNumber(Text, 2, len);
    if (n == -1) return false;
    std::int64_t r = sign == '+' ? static_cast<std::int64_t>(Current) + n : static_cast<std::int64_t>(Current) - n;
    if (AtLeastOne) r = std::max<std::int64_t>(1, r);
    Result = ClampTo(r, INT32_MIN, INT32_MAX);
    return true;
  }
  const std::int32_t n = smf.ReadNumber(Text, 1, len);
  Result = n >= 1 ? n : Current;
  return true;
}

// A note without parameters takes the velocity step; with mode 1 the step
// changes sign once the stepped velocity leaves 0..127 (the sounding
// velocity is clamped later).
inline void StepVelocity(TrackState& t) {
  const std::int64_t stepped = static_cast<std::int64_t>(t.Velocity) + t.VelStep;
  if ((stepped < 0 || stepped > 127) && t.VelStepMode == 1) t.VelStep = Wrap32(-static_cast<std::int64_t>(t.VelStep));
  t.Velocity = ClampTo(stepped, INT32_MIN, INT32_MAX);
}

// Takes the first entry of a per-note sequence. Returns false when the list
// is empty or the entry holds no value (the entry is consumed either way);
// Relative tells whether the entry was written with a sign.
bool TakeFirstEntry(TSmf& smf, NoteSequence& List, std::int32_t& Value, bool& Relative) {
  const std::string entry = std::move(List.front());
  List.pop_front();
  std::int32_t at = 1;
  std::int32_t status = 0;
  Value = smf.ReadValue(entry, at, status);
  Relative = CharAt(entry, 1) == '+' || CharAt(entry, 1) == '-';
  return status != -1;
}

// Most notes have no sequence to take from: that test stays in the caller.
inline bool TakeSequenceEntry(TSmf& smf, NoteSequence& List, std::int32_t& Value, bool& Relative) {
  return !List.empty() && TakeFirstEntry(smf, List, Value, Relative);
}

// The commonest form of a note, read in one pass over the line as it
// stands: a letter a..g, accidentals, a length of plain digits or none, and
// dots, not followed by a tie or a bar line (which ReadLength would read on).
// It gives what ReadNoteNumber and ReadLength give for that form. Any other
// form, and any case that reports an error or drops the note, returns false
// having changed nothing, and the general readers then start afresh.
bool ReadPlainNote(TSmf& smf, std::int32_t& Number, std::int32_t& Length) {
  const TextView text = smf.Line().View();
  std::int32_t at = smf.Col;
  const int letter = text.At(at);
  if (letter < 'a' || letter > 'g') return false;
  std::int64_t number = NoteLetterTable[letter - 'a'] + 12 * static_cast<std::int64_t>(smf.Track().Octave);
  for (int c; (c = text.At(++at)) == '+' || c == '-';) number += c == '+' ? 1 : -1;
  if (number == -1) return false;  // reported as a bad note number
  std::int32_t value = -1;
  std::int32_t len = 0;
  if (!ReadPlainNumber(text, at, value, len)) {
    const int c = text.At(at);
    if ((c >= '0' && c <= '9') || c == '$' || c == '~' || c == '%') return false;
  }
  at += len;
  if (value == 0) {  // a chord note: no dots, ties or bar lines are read
    Number = ClampTo(number, INT32_MIN, INT32_MAX);
    Length = 0;
    smf.Col = at;
    return true;
  }
  std::int64_t ticks = value == -1 ? smf.Track().Length : NoteValueTicks(value, smf.Timebase);
  while (text.At(at) == '.') {
    ++at;
    ticks = ClampLength(ticks + HalfTicks(ticks));
  }
  const int next = text.At(at);
  if (static_cast<std::int32_t>(ticks) < 0 || next == '^' || next == '|') return false;
  Number = ClampTo(number, INT32_MIN, INT32_MAX);
  Length = static_cast<std::int32_t>(ticks);
  smf.Col = at;
  return true;
}

}  // namespace

// Ties are read in a loop instead of by recursion, so a note with any number
// of ties runs in constant stack. A tied part that fails (a bad "%") fails
// the whole length, so the note or rest is dropped as for any "%" failure.
// A written 0 ends the length at once only as its first part.
std::int32_t TSmf::ReadLength(TextRef S, std::int32_t& At) {
  std::int64_t total = 0;
  bool first = true;
  for (;;) {
    bool explicitZero = false;
    const std::int32_t part = ReadLengthPart(*this, S, At, explicitZero);
    if (part < 0) return -1;
    if (explicitZero && first) return 0;
    first = false;
    total = ClampLength(total + part);
    for (;;) {
      const int c = CharAt(S, At);
      if (c == '^') {  // a tied part follows
        ++At;
        break;
      }
      if (c != '|') return static_cast<std::int32_t>(total);
      ++At;  // bar lines between tied parts
    }
  }
}

// A missing "n" number fails at once, before any accidentals: "n+" is not
// note 0 but an error, and the "+" is compiled as a command of its own.
std::int32_t TSmf::ReadNoteNumber(TextRef S, std::int32_t& At) {
  const int c = CharAt(S, At);
  std::int64_t number;
  if (c == 'n') {
    ++At;
    std::int32_t len = 0;
    number = ReadNumber(S, At, len);
    At += len;
    if (CharAt(S, At) == ',') ++At;
    if (number == -1) return -1;
  } else if (c >= 'a' && c <= 'g') {
    number = NoteLetterTable[c - 'a'] + 12 * static_cast<std::int64_t>(Track().Octave);
    ++At;
  } else {
    ++At;
    return -1;
  }
  for (;;) {
    const int accidental = CharAt(S, At);
    if (accidental == '+') {
      ++number;
    } else if (accidental == '-') {
      --number;
    } else {
      break;
    }
    ++At;
  }
  return ClampTo(number, INT32_MIN, INT32_MAX);
}

std::int32_t TSmf::ReadNoteParams(TextRef S, std::int32_t& At) {
  TrackState& t = Track();
  if (CharAt(S, At) != ',') {
    StepVelocity(t);
    return 0;
  }
  ++At;
  ReadEqArgs(S, At);
  std::int32_t gate = t.Gate;
  std::int32_t velocity = t.Velocity;
  if (ArgCount >= 2 && !ReadNoteParam(*this, Args[1], t.Gate, true, gate)) return -1;
  if (ArgCount >= 1 && !ReadNoteParam(*this, Args[0], t.Velocity, false, velocity)) return -1;
  t.Gate = gate;
  t.Velocity = velocity;
  return 0;
}

// More than 31 pending chord notes would overrun ChordNotes (the sounding
// note takes the last entry): a further note of length 0 is reported as
// error 5 and dropped. A velocity step carries over from note to note (a
// crescendo, or with mode 1 a sweep); the one-note changes of the sequences
// and of the per-note parameters are undone after the note.
void TSmf::NoteCommand() {
  const auto letter = static_cast<char>(CharAt(Line(), Col));
  const SourceOrigin origin = MapsOrigins() ? OriginAt(Col) : SourceOrigin{};
  std::int32_t number = 0;
  std::int32_t length = 0;
  if (!ReadPlainNote(*this, number, length)) {
    number = ReadNoteNumber(Line(), Col);
    if (number == -1) {
      ReportError(5, "ノートナンバー指定");
      return;
    }
    length = ReadLength(Line(), Col);
  }
  const std::size_t track = static_cast<std::size_t>(CurTrack);
  const std::int32_t note = ClampTo(static_cast<std::int64_t>(number) + Transpose[track], 0, 127);
  if (length == -1) return;
  if (length == 0) {
    if (ChordCount >= ChordCapacity - 1) {
      ReportError(5, "和音の音が多すぎます");
      return;
    }
    ChordOrigins[static_cast<std::size_t>(ChordCount)] = origin;
    ChordNotes[static_cast<std::size_t>(ChordCount++)] = note;
    return;
  }

  TrackState& t = Track();
  const std::int32_t savedVelocity = t.Velocity;
  const std::int32_t savedGate = t.Gate;
  auto restore = [&](std::int32_t velocityStep) {
    t.Gate = savedGate;
    t.Velocity = velocityStep == 0 ? savedVelocity
                                   : ClampTo(static_cast<std::int64_t>(savedVelocity) + velocityStep, 0, 127);
  };

  std::int32_t value = 0;
  bool relative = false;
  const std::int64_t delay = TakeSequenceEntry(*this, t.RnList, value, relative) ? value : 0;
  if (TakeSequenceEntry(*this, t.RvList, value, relative))
    t.Velocity = relative ? ClampTo(static_cast<std::int64_t>(t.Velocity) + value, INT32_MIN, INT32_MAX) : value;
  if (TakeSequenceEntry(*this, t.RqList, value, relative))
    t.Gate = relative ? ClampTo(static_cast<std::int64_t>(t.Gate) + value, INT32_MIN, INT32_MAX) : value;

  const bool hasParameters = CharAt(Line(), Col) == ',';
  const std::int32_t step = hasParameters ? 0 : t.VelStep;  // applied only without parameters
  if (!hasParameters) {
    StepVelocity(t);  // what ReadNoteParams does here, without the call
  } else if (ReadNoteParams(Line(), Col) == -1) {
    ReportError(4, std::string(1, letter));
    restore(0);
    return;
  }
  std::int64_t velocity = t.Velocity;
  std::int32_t gate = t.Gate;
  velocity += DrawRange(Rng, RandVel[track]);
  if (NextVelMode != -1) {
    velocity = NextVelMode == 0 ? NextVelValue : velocity + NextVelValue;
    NextVelMode = -1;
  }
  const auto noteVelocity = static_cast<std::uint8_t>(std::clamp<std::int64_t>(velocity, 0, 127));

  // Nothing from here to a tied length changes the line: one snapshot reads it.
  TextView text = Line().View();
  while (text.At(Col) == ' ') ++Col;
  if (text.At(Col) == '&') {  // sounds for the whole length
    gate = 16;
    ++Col;
  }
  // Ties after blanks and bar lines; without a "^" the look-ahead is undone.
  // A tied part that fails drops the note, as a failing length does.
  for (;; text = Line().View()) {
    std::int32_t at = Col;
    while (text.At(at) == ' ' || text.At(at) == '|') ++at;
    if (text.At(at) != '^') break;
    Col = at + 1;
    const std::int32_t tied = ReadLength(Line(), Col);
    if (tied == -1) {
      restore(0);
      return;
    }
    length = ClampLength(static_cast<std::int64_t>(length) + tied);
  }
  const std::int64_t timing = DrawRange(Rng, RandTime[track]);

  ChordNotes[static_cast<std::size_t>(ChordCount)] = note;
  ChordOrigins[static_cast<std::size_t>(ChordCount)] = origin;
  const std::int64_t start = static_cast<std::int64_t>(ptr[track]) + timing;
  if (NoOutput == 0) {
    const std::int32_t sounding = GateTicks(length, gate, t.GateOffset);
    // The note-off lies one tick before the sounding end, but always at least
    // one tick after its note-on: at the same time the store's unstable sort
    // could put it first and leave the note hanging (a very short note, a
    // small gate, or a negative gate offset).
    const std::int64_t offDelay = std::max<std::int64_t>(static_cast<std::int64_t>(sounding) - 1, 1);
    // Note-on and note-off bodies without the key: three bytes, the velocity last.
    const std::uint32_t velocityByte = static_cast<std::uint32_t>(noteVelocity) << 24 | 3;
    const std::uint32_t onBody = velocityByte | static_cast<std::uint32_t>(StatusByte(0x90, t.Channel)) << 8;
    const std::uint32_t offBody = velocityByte | static_cast<std::uint32_t>(StatusByte(0x80, t.Channel)) << 8;
    std::int64_t strum = 0;
    for (std::int32_t i = 0; i <= ChordCount; ++i) {
      const std::int64_t bend = DrawRange(Rng, RandBend[track]);
      if (bend != 0) {
        const std::int32_t value = ClampTo(static_cast<std::int64_t>(t.Bend) + bend, 0, 128) * 127;
        EmitBend(Wrap32(start - 1), static_cast<std::uint8_t>(value & 0x7F), static_cast<std::uint8_t>(value >> 7));
      }
      const auto key = static_cast<std::uint32_t>(ChordNotes[static_cast<std::size_t>(i)]);
      const std::int64_t on = start + strum + delay;
      Tivent& store = TrackEvents[track];
      const std::int32_t serial = TrackEvents[track].Count();
      store.AddInline(Wrap32(on), onBody | key << 16);
      if (MapsOrigins() && TrackEvents[track].Count() > serial)
        NoteMap.Add(track, serial, ChordOrigins[static_cast<std::size_t>(i)]);
      store.AddInline(Wrap32(on + offDelay), offBody | key << 16);
      strum += t.StrumStep;
    }
  }
  ChordCount = 0;
  ptr[track] = Wrap32(static_cast<std::int64_t>(ptr[track]) + length);
  restore(step);
}

void TSmf::RestCommand() {
  ++Col;
  const std::int32_t length = ReadLength(Line(), Col);
  if (length == 0) {
    ReportError(5, "r");
  } else if (length > 0) {
    const std::size_t track = static_cast<std::size_t>(CurTrack);
    ptr[track] = Wrap32(static_cast<std::int64_t>(ptr[track]) + length);
  }
}

}  // namespace vlm
