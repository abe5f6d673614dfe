// Builds the fuzzer's seed corpus: vlm_fuzz_seeds OUTDIR FILE...
// A C++ source contributes each of its string literals (adjacent literals
// joined, escapes decoded), since the tests write their MML sources inline;
// any other file is copied whole. Every seed becomes one file in OUTDIR.

#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <string>

namespace {

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes one literal whose opening quote is at text[i]; leaves i after the closing quote.
std::string Literal(const std::string& text, std::size_t& i) {
  std::string value;
  for (++i; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      value += text[i];
      continue;
    }
    const char e = text[++i];
    switch (e) {
      case 'n': value += '\n'; break;
      case 't': value += '\t'; break;
      case 'r': value += '\r'; break;
      case '0': value += '\0'; break;
      case 'x': {
        int v = 0;
        while (i + 1 < text.size() && HexDigit(text[i + 1]) >= 0) v = v * 16 + HexDigit(text[++i]);
        value += static_cast<char>(v);
        break;
      }
      default: value += e; break;  // \" \\ \'
    }
  }
  ++i;
  return value;
}

// The string literals of a C++ source, skipping comments and character literals.
std::set<std::string> Literals(const std::string& text) {
  std::set<std::string> found;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, 2, "//") == 0) {
      i = text.find('\n', i);
      if (i == std::string::npos) break;
    } else if (text.compare(i, 2, "/*") == 0) {
      i = text.find("*/", i);
      if (i == std::string::npos) break;
      i += 2;
    } else if (text[i] == '\'') {
      i += text.compare(i, 2, "'\\") == 0 ? 4 : 3;
    } else if (text[i] == '"') {
      std::string value = Literal(text, i);
      for (;;) {  // "a" "b" is one literal
        std::size_t next = i;
        while (next < text.size() && (text[next] == ' ' || text[next] == '\n')) ++next;
        if (next >= text.size() || text[next] != '"') break;
        i = next;
        value += Literal(text, i);
      }
      if (!value.empty()) found.insert(value);
    } else {
      ++i;
    }
  }
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: vlm_fuzz_seeds OUTDIR FILE...\n";
    return 2;
  }
  const std::string outDir = argv[1];
  std::set<std::string> seeds;
  for (int a = 2; a < argc; ++a) {
    const std::string name = argv[a];
    const std::string text = ReadFile(name);
    if (EndsWith(name, ".cpp") || EndsWith(name, ".h")) {
      const auto literals = Literals(text);
      seeds.insert(literals.begin(), literals.end());
    } else {
      seeds.insert(text);
    }
  }
  int n = 0;
  for (const std::string& seed : seeds) {
    std::ofstream out(outDir + "/seed-" + std::to_string(n++), std::ios::binary);
    out << seed;
    if (!out) {
      std::cerr << "cannot write " << outDir << "\n";
      return 1;
    }
  }
  std::cout << n << " seeds\n";
  return 0;
}
