#include <algorithm>

#include "compiler/tsmf.h"

namespace vlm {

// RPN=msb,lsb[,data[,dataLsb]] and NRPN=...: the parameter-number pair two
// ticks before a base time, data entry one tick before it. Writes at one
// position of one track step the base back by two ticks each, so that in the
// file the later write comes first and every select pair precedes its data.
void TSmf::ParamWrite(std::uint8_t MsbCc, std::uint8_t LsbCc) {
  ReadEqArgs(Line(), Col);
  if (ArgCount < 2 || ArgCount > 4) {
    ReportError(4, "RPN or NRPN");
    return;
  }
  std::int32_t len = 0;
  const std::int32_t p1 = ReadNumber(Args[0], 1, len);
  const std::int32_t p2 = ReadNumber(Args[1], 1, len);
  const std::int32_t v1 = ArgCount >= 3 ? std::clamp(ReadNumber(Args[2], 1, len), 0, 127) : 0;
  const std::int32_t v2 = ArgCount >= 4 ? std::clamp(ReadNumber(Args[3], 1, len), 0, 127) : 0;
  if (p1 == -1 || p2 == -1) {
    ReportError(4, "NRPN or RPN");
    return;
  }

  const std::int32_t here = ptr[static_cast<std::size_t>(CurTrack)];
  std::int32_t base;
  if (here == LastRpnPtr && CurTrack == LastRpnTrack) {
    LastRpnTime = Wrap32(static_cast<std::int64_t>(LastRpnTime) - 2);
    base = LastRpnTime;
  } else {
    LastRpnPtr = here;
    LastRpnTime = here;
    base = here;
  }
  LastRpnTrack = CurTrack;

  const auto status = static_cast<std::uint8_t>(0xB0 + Track().Channel);
  const std::int32_t selectTime = Wrap32(static_cast<std::int64_t>(base) - 2);
  const std::int32_t dataTime = Wrap32(static_cast<std::int64_t>(base) - 1);
  // Parameter numbers have no range of their own; only their low seven bits
  // are written, since a data byte with the top bit set would corrupt the file.
  AddEvent(selectTime, {status, MsbCc, static_cast<std::uint8_t>(p1 & 0x7F)});
  AddEvent(selectTime, {status, LsbCc, static_cast<std::uint8_t>(p2 & 0x7F)});
  if (ArgCount >= 3) AddEvent(dataTime, {status, 6, static_cast<std::uint8_t>(v1)});
  if (ArgCount >= 4) AddEvent(dataTime, {status, 38, static_cast<std::uint8_t>(v2)});
}

}  // namespace vlm
