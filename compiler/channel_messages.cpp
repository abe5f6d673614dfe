// Single MIDI events that are not notes: control change (y), program change
// with bank select (@), pitch bend (p and B), tempo (t), system exclusive
// (EX, EX2) and text meta events. Each is placed a few ticks before the
// track's ptr so that it sorts before the notes at the same position:
// tempo -3, bank select -2, program/control/bend/text -1, exclusive 0.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Every MIDI data byte is clamped to 0..127: a number above 127 (a
// controller, program or bank of 128 or more) or a negative variable would
// otherwise set the top bit and corrupt the file for every reader.
std::uint8_t DataByte(std::int64_t Value) { return static_cast<std::uint8_t>(std::clamp<std::int64_t>(Value, 0, 127)); }

std::uint8_t StatusByte(std::uint8_t Kind, std::int32_t Channel) {
  return static_cast<std::uint8_t>(Kind | (Channel & 0x0F));
}

std::int32_t Before(std::int32_t Ptr, std::int32_t Ticks) {
  return Wrap32(static_cast<std::int64_t>(Ptr) - Ticks);
}

// Number of an argument text from its first character; -1 when unreadable.
std::int32_t ArgNumber(TSmf& smf, const std::string& Text) {
  std::int32_t len = 0;
  return smf.ReadNumber(Text, 1, len);
}

}  // namespace

void TSmf::EmitControl(std::int32_t Time, std::uint8_t Controller, std::uint8_t Value) {
  AddEvent(Before(Time, 1), {StatusByte(0xB0, Track().Channel), DataByte(Controller), DataByte(Value)});
}

void TSmf::EmitBend(std::int32_t Time, std::uint8_t Lsb, std::uint8_t Msb) {
  AddEvent(Before(Time, 1), {StatusByte(0xE0, Track().Channel), DataByte(Lsb), DataByte(Msb)});
}

// y controller, value. A value that cannot be read counts as 0.
void TSmf::ControlCommand() {
  ++Col;
  ReadEqArgs(Line(), Col);
  if (ArgCount != 2) {
    ReportError(4, "y");
    return;
  }
  const std::string valueText = Args[1];
  const std::int32_t controller = ArgNumber(*this, Args[0]);
  const std::int32_t value = ArgNumber(*this, valueText);
  if (controller == -1) {
    ReportError(4, "y");
    return;
  }
  EmitControl(ptr[static_cast<std::size_t>(CurTrack)], DataByte(controller), DataByte(value));
}

// @ program[, bank MSB[, bank LSB]]; the program is written as given (0 first).
void TSmf::ProgramCommand() {
  ++Col;
  ReadEqArgs(Line(), Col);
  const std::int32_t count = ArgCount;
  if (count < 1 || count > 3) {
    ReportError(4, "@");
    return;
  }
  const std::vector<std::string> texts(Args.begin(), Args.begin() + count);
  std::int32_t numbers[3] = {-1, -1, -1};
  for (std::int32_t i = 0; i < count; ++i) numbers[i] = ArgNumber(*this, texts[static_cast<std::size_t>(i)]);
  for (std::int32_t i = 0; i < count; ++i) {
    if (numbers[i] == -1) {
      ReportError(4, "@");
      return;
    }
  }
  const std::int32_t here = ptr[static_cast<std::size_t>(CurTrack)];
  if (count >= 2) EmitControl(Before(here, 1), 0, DataByte(numbers[1]));
  if (count == 3) EmitControl(Before(here, 1), 32, DataByte(numbers[2]));
  AddEvent(Before(here, 1), {StatusByte(0xC0, Track().Channel), DataByte(numbers[0])});
}

// Mode 0, p: "p", an optional "-" and a number, -8192..8191 around the centre.
// Mode 1, B: one signed 7-bit value; a sign makes it relative to the track's
// Bend, which keeps the unclamped sum while the event carries it clamped.
void TSmf::BendCommand(std::int32_t Mode) {
  TrackState& t = Track();
  const std::int32_t here = ptr[static_cast<std::size_t>(CurTrack)];
  if (Mode == 0) {
    ++Col;
    std::int64_t sign = 1;
    if (CharAt(Line(), Col) == '-') {
      ++Col;
      sign = -1;
    }
    std::int32_t len = 0;
    const std::int32_t n = ReadNumber(Line(), Col, len);
    Col += len;
    if (n == -1) {
      ReportError(4, "p");
      return;
    }
    const std::int64_t value = n * sign + 8192;
    if (value < 0 || value > 16383) {
      ReportError(4, "p:-8192~8191");
      return;
    }
    EmitBend(here, static_cast<std::uint8_t>(value & 0x7F), static_cast<std::uint8_t>((value >> 7) & 0x7F));
    return;
  }
  ReadArgs(Line(), Col);
  const std::string text = Args[0];
  const std::int32_t count = ArgCount;
  std::int32_t at = 1;
  std::int32_t status = 0;
  const std::int32_t value = ReadValue(text, at, status);
  if (status == -1 || count != 1) {
    ReportError(4, "B=0~127");
    return;
  }
  const bool relative = CharAt(text, 1) == '+' || CharAt(text, 1) == '-';
  const std::int64_t bend = relative ? static_cast<std::int64_t>(t.Bend) + value : value;
  t.Bend = static_cast<std::int32_t>(std::clamp<std::int64_t>(bend, INT32_MIN, INT32_MAX));
  EmitBend(here, 0, DataByte(t.Bend));
}

// t bpm, 20..999: microseconds per quarter note, three bytes, at ptr - 3.
void TSmf::TempoCommand() {
  ++Col;
  std::int32_t len = 0;
  const std::int32_t bpm = ReadNumber(Line(), Col, len);
  Col += len;
  if (bpm < 20 || bpm > 999) {
    ReportError(4, "t");
    return;
  }
  const std::uint32_t micros = 60000000u / static_cast<std::uint32_t>(bpm);
  AddEvent(Before(ptr[static_cast<std::size_t>(CurTrack)], 3),
           {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros >> 16), static_cast<std::uint8_t>(micros >> 8),
            static_cast<std::uint8_t>(micros)});
}

// EX (mode 0) writes the values as given after F0 or F7 and the length; the
// source supplies the closing F7. EX2 (mode 1) replaces the last value by the
// Roland checksum of the four bytes before it and appends F7. In an F0
// message every data byte but a closing F7 is clamped to 0..127; an F7
// message carries raw bytes, so its values keep their low 8 bits. EX2 needs
// six values, so that the four summed bytes are all data bytes.
void TSmf::ExclusiveCommand(std::int32_t Mode) {
  ReadEqArgs(Line(), Col);
  const std::int32_t count = ArgCount;
  if (count < 3 || (Mode == 1 && count < 6)) {
    ReportError(3, "EX");
    return;
  }
  const std::vector<std::string> texts(Args.begin(), Args.begin() + count);
  const std::int32_t first = ArgNumber(*this, texts[0]);
  if (first != 0xF0 && first != 0xF7) {
    ReportError(4, "EX");
    return;
  }
  std::vector<std::uint8_t> data;
  for (std::int32_t i = 1; i < count; ++i) {
    const std::int32_t n = ArgNumber(*this, texts[static_cast<std::size_t>(i)]);
    const auto low8 = static_cast<std::uint8_t>(n & 0xFF);
    const bool closing = Mode == 0 && i == count - 1 && low8 == 0xF7;
    data.push_back(first == 0xF7 || closing ? low8 : DataByte(n));
  }
  if (Mode == 1) {
    std::uint32_t sum = 0;
    for (std::size_t i = data.size() - 5; i < data.size() - 1; ++i) sum += data[i];
    data.back() = static_cast<std::uint8_t>((128 - sum % 128) % 128);
    data.push_back(0xF7);
  }
  std::vector<std::uint8_t> message{static_cast<std::uint8_t>(first)};
  const std::int32_t lengthBytes = PutVarLen(static_cast<std::uint32_t>(count - 1 + Mode));
  message.insert(message.end(), NumBuf.begin(), NumBuf.begin() + lengthBytes);
  message.insert(message.end(), data.begin(), data.end());
  TrackEvents[static_cast<std::size_t>(CurTrack)].Add(ptr[static_cast<std::size_t>(CurTrack)], message.data(),
                                                      static_cast<std::int32_t>(message.size()));
}

// One argument, written as it stands (quotes included), at most 127 bytes.
void TSmf::MetaText(std::uint8_t Type) {
  ReadArgs(Line(), Col);
  if (ArgCount != 1) {
    ReportError(4, "_");
    return;
  }
  const std::string text = Args[0].substr(0, 127);
  std::vector<std::uint8_t> event{0xFF, Type, static_cast<std::uint8_t>(text.size())};
  event.insert(event.end(), text.begin(), text.end());
  TrackEvents[static_cast<std::size_t>(CurTrack)].Add(Before(ptr[static_cast<std::size_t>(CurTrack)], 1),
                                                      event.data(), static_cast<std::int32_t>(event.size()));
}

}  // namespace vlm
