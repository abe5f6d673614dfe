#include "common/instr.h"

#include <algorithm>
#include <string_view>

namespace vlm {

namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

std::int32_t InStr(const std::string& Src, const std::string& Sub, std::int32_t From,
                   bool IgnoreCase) {
  if (From < 1) From = 1;
  if (static_cast<std::size_t>(From) > Src.size() + 1) return 0;
  if (!IgnoreCase) {
    const auto found = std::string_view(Src).find(Sub, static_cast<std::size_t>(From - 1));
    return found == std::string_view::npos ? 0 : static_cast<std::int32_t>(found) + 1;
  }
  auto equal = [](char a, char b) {
    return LowerAscii(a) == LowerAscii(b);
  };
  const auto begin = Src.begin() + (From - 1);
  const auto found = std::search(begin, Src.end(), Sub.begin(), Sub.end(), equal);
  if (found == Src.end() && !Sub.empty()) return 0;
  return static_cast<std::int32_t>(found - Src.begin()) + 1;
}

}  // namespace vlm
