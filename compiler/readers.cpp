#include <cstdint>
#include <string>

#include "compiler/tsmf.h"

namespace vlm {

namespace {

bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(int c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(int c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// Decimal digits From..From+count-1; above 2147483647 the compile ends.
std::int32_t DecimalValue(TextRef Src, std::int32_t From, std::int32_t count) {
  const TextView text = Src.View();
  std::int64_t value = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    value = value * 10 + (text.At(From + i) - '0');
    if (value > INT32_MAX) throw CompileFailure("数値が大きすぎます: " + Src.substr(From - 1, count));
  }
  return static_cast<std::int32_t>(value);
}

// Hexadecimal digits as a 32-bit two's complement value; more than eight
// significant digits end the compile.
std::int32_t HexadecimalValue(TextRef Src, std::int32_t From, std::int32_t count) {
  const TextView text = Src.View();
  std::uint32_t value = 0;
  int significant = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const int digit = HexValue(text.At(From + i));
    if (significant > 0 || digit != 0) ++significant;
    if (significant > 8) throw CompileFailure("数値が大きすぎます: $" + Src.substr(From - 1, count));
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return static_cast<std::int32_t>(value);
}

template <class Test>
std::int32_t CountWhile(TextRef Src, std::int32_t From, Test test) {
  const TextView text = Src.View();
  std::int32_t n = 0;
  while (test(text.At(From + n))) ++n;
  return n;
}

void SkipBlanks(TextRef Src, std::int32_t& At) {
  const TextView text = Src.View();
  while (text.At(At) == ' ') ++At;
}

constexpr std::int32_t MaxArgCount = ArgSlots - 1;

}  // namespace

// A chain of "~" is resolved from the innermost index outward, iteratively,
// so a long run of tildes cannot exhaust the stack. Each failing level reports
// error 4 "~" as the recursive definition does, until the compile is stopped.
//
// Most calls find a few plain digits, or no number at all (a command written
// without one): both are settled from one view of the text.
std::int32_t TSmf::ReadNumber(TextRef Src, std::int32_t From, std::int32_t& Len) {
  const TextView text = Src.View();
  const int first = text.At(From);
  if (first != '~') {
    std::int32_t value = 0;
    if (ReadPlainNumber(text, From, value, Len)) return value;
    if (first != '$' && !IsDigit(first)) {
      Len = 0;
      return -1;
    }
  }
  std::int32_t tildes = 0;
  while (CharAt(Src, From + tildes) == '~') ++tildes;
  const std::int32_t at = From + tildes;
  std::int32_t value;
  std::int32_t length;
  if (CharAt(Src, at) == '$') {
    const std::int32_t digits = CountWhile(Src, at + 1, IsHexDigit);
    length = 1 + digits;
    value = digits == 0 ? -1 : HexadecimalValue(Src, at + 1, digits);
  } else {
    length = CountWhile(Src, at, IsDigit);
    value = length == 0 ? -1 : DecimalValue(Src, at, length);
  }
  if (tildes == 0) {
    Len = length;
    return value;
  }
  bool failed = false;
  for (std::int32_t level = 0; level < tildes; ++level) {
    if (failed || value < 0 || value >= VarCount) {
      failed = true;
      value = -1;
      ReportError(4, "~");
    } else {
      value = Vars[static_cast<std::size_t>(value)];
    }
  }
  if (!failed) Len = length + tildes;
  return value;
}

std::int32_t TSmf::ReadValue(TextRef Src, std::int32_t& At, std::int32_t& Status) {
  Status = 0;
  auto readVariable = [&]() -> std::int32_t {
    ++At;
    std::int32_t len = 0;
    const std::int32_t index = ReadNumber(Src, At, len);
    At += len;
    if (index < 0 || index >= VarCount) {
      ReportError(4, "~");
      Status = -1;
      return 0;
    }
    return Vars[static_cast<std::size_t>(index)];
  };
  if (CharAt(Src, At) == '~') return readVariable();
  std::int32_t sign = 1;
  if (CharAt(Src, At) == '-') {
    ++At;
    sign = -1;
  } else if (CharAt(Src, At) == '+') {
    ++At;
  }
  if (CharAt(Src, At) == '~') {
    // A sign before a variable is consumed; the variable's value is used unchanged.
    const std::int32_t value = readVariable();
    if (Status == -1) {
      Status = 0;
      return -1;
    }
    return value;
  }
  if (CharAt(Src, At) == '$') {
    const std::int32_t digits = CountWhile(Src, At + 1, IsHexDigit);
    if (digits == 0) {
      Status = -1;
      return 0;
    }
    const std::int32_t value = HexadecimalValue(Src, At + 1, digits);
    At += 1 + digits;
    return Wrap32(static_cast<std::int64_t>(value) * sign);
  }
  const std::int32_t digits = CountWhile(Src, At, IsDigit);
  if (digits == 0) {
    Status = -1;
    return 0;
  }
  const std::int32_t value = DecimalValue(Src, At, digits);
  At += digits;
  return value * sign;
}

// Arguments past the 127th are read to the closing parenthesis and dropped,
// with one error 4, so that no write lands outside Args. Nothing in the list
// changes the text (an error ends the reading): one view of it serves.
void TSmf::ReadArgs(TextRef Src, std::int32_t& At) {
  ArgCount = 0;
  Args[0].clear();
  bool inQuote = false;
  bool overflow = false;
  const int first = CharAt(Src, At);
  if (first == '=' || first == '+' || first == '-') {
    ReadEqArgs(Src, At);
    return;
  }
  if (first != '(') return;
  const TextView text = Src.View();
  auto skipBlanks = [&text, &At]() {
    while (text.At(At) == ' ') ++At;
  };
  ++At;
  int depth = 1;
  skipBlanks();
  auto append = [&](char c) {
    if (!overflow) Args[static_cast<std::size_t>(ArgCount)] += c;
  };
  for (;;) {
    const int c = text.At(At);
    if (c < 0) {
      ReportError(4, ")が見つかりません");
      return;
    }
    if (c == '"') {
      inQuote = !inQuote;
      append('"');
      ++At;
    } else if (c == '(') {
      ++depth;
      append('(');
      ++At;
    } else if (c == ')') {
      --depth;
      if (depth == 0 && !inQuote) {
        ++At;
        ++ArgCount;
        if (overflow) ReportError(4, "引数が多すぎます");
        Args[static_cast<std::size_t>(ArgCount)].clear();
        return;
      }
      append(')');
      ++At;
    } else if (c == ',') {
      // A comma inside a nested pair of parentheses belongs to the argument,
      // so that x(1,2) stays one argument.
      if (inQuote || depth > 1) {
        append(',');
      } else if (ArgCount + 1 >= MaxArgCount) {
        overflow = true;
      } else {
        ++ArgCount;
        Args[static_cast<std::size_t>(ArgCount)].clear();
      }
      ++At;
      skipBlanks();
    } else {
      // The characters up to the next one the list gives a meaning to go in
      // as one piece.
      std::int32_t end = At + 1;
      for (int d; (d = text.At(end)) >= 0 && d != '"' && d != '(' && d != ')' && d != ',';) ++end;
      if (!overflow) text.AppendTo(Args[static_cast<std::size_t>(ArgCount)], At, end);
      At = end;
    }
  }
}

// A tenth error inside a value stops the compile and replaces Line, which Src
// usually is: the list then ends with no arguments and Src is not read again.
void TSmf::ReadEqArgs(TextRef Src, std::int32_t& At) {
  if (CharAt(Src, At) == '=') ++At;
  SkipBlanks(Src, At);
  ArgCount = 0;
  const std::int32_t start = At;
  const int firstChar = CharAt(Src, At);
  std::int32_t status = 0;
  ReadValue(Src, At, status);
  if (status == -1 && firstChar != ',') return;
  Args[0] = Src.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(At - start));
  ArgCount = 1;
  SkipBlanks(Src, At);
  while (CharAt(Src, At) == ',') {
    ++At;
    const std::int32_t from = At;
    ReadValue(Src, At, status);
    if (status == -1) return;
    if (ArgCount >= MaxArgCount) {
      ReportError(4, "引数が多すぎます");
      return;
    }
    Args[static_cast<std::size_t>(ArgCount)] =
        Src.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(At - from));
    ++ArgCount;
    SkipBlanks(Src, At);
  }
}

std::string StripQuotes(const std::string& Src) {
  std::string s = Src;
  if (!s.empty() && s.front() == '"') s.erase(0, 1);
  if (!s.empty() && s.back() == '"') s.pop_back();
  return s;
}

}  // namespace vlm
