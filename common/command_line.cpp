#include "common/command_line.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>

#ifndef VLM_VERSION
#error "VLM_VERSION names the program's version (set by the build)"
#endif

namespace vlm {

namespace {

// An unknown option as the user wrote it, for messages: "--frob" of
// "--frob=x", "--se" of an ambiguous prefix, "-x" of an unknown short option.
std::string WrittenOption(const char* word, int shortOption) {
  std::string text = word ? word : "";
  if (text.rfind("--", 0) == 0) return text.substr(0, text.find('='));
  return shortOption ? std::string("-") + static_cast<char>(shortOption) : text;
}

}  // namespace

std::vector<CommandItem> ParseCommandLine(int argc, char* const* argv, std::span<const CommandOption> options) {
  // '-': operands come back in order as option 1 (no permutation); ':': a
  // missing value is reported as ':' rather than '?'.
  std::string shortOptions = "-:";
  std::vector<option> longOptions;
  for (std::size_t i = 0; i < options.size(); ++i) {
    const CommandOption& o = options[i];
    const int hasArg = o.value == CommandOption::Value::Required   ? required_argument
                       : o.value == CommandOption::Value::NextWord ? optional_argument
                                                                   : no_argument;
    // Values from 256 up name table entries, clear of every character.
    longOptions.push_back({o.name, hasArg, nullptr, 256 + static_cast<int>(i)});
    if (o.shortName) {
      shortOptions += o.shortName;
      if (hasArg == required_argument) shortOptions += ':';
      if (hasArg == optional_argument) shortOptions += "::";
    }
  }
  longOptions.push_back({nullptr, 0, nullptr, 0});

  auto indexOfShort = [&](int c) {
    for (std::size_t i = 0; i < options.size(); ++i)
      if (options[i].shortName == c) return static_cast<int>(i);
    return -1;
  };

  std::vector<CommandItem> items;
  opterr = 0;
  optind = 0;  // 0, not 1: glibc then starts afresh, also after an earlier parse
  for (;;) {
    const int before = optind == 0 ? 1 : optind;  // the word the next item starts in
    const int c = getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), nullptr);
    if (c == -1) break;
    // A table entry is named by its long name, however much of it was written.
    auto name = [&](int index, int shortOption) {
      if (shortOption && shortOption < 256) return std::string("-") + static_cast<char>(shortOption);
      return "--" + std::string(options[static_cast<std::size_t>(index)].name);
    };
    if (c == 1) {
      items.push_back({CommandItem::Kind::Operand, -1, optarg, std::nullopt});
    } else if (c == '?' && optopt >= 256) {  // a switch given "=value"
      items.push_back({CommandItem::Kind::UnwantedValue, optopt - 256, name(optopt - 256, 0), std::nullopt});
    } else if (c == '?') {
      items.push_back({CommandItem::Kind::Unknown, -1, WrittenOption(argv[before], optopt), std::nullopt});
    } else if (c == ':') {
      const int index = optopt >= 256 ? optopt - 256 : indexOfShort(optopt);
      items.push_back({CommandItem::Kind::MissingValue, index, name(index, optopt), std::nullopt});
    } else {
      const int index = c >= 256 ? c - 256 : indexOfShort(c);
      CommandItem item{CommandItem::Kind::Option, index, name(index, c),
                       optarg ? std::optional<std::string>(optarg) : std::nullopt};
      if (!item.value && options[static_cast<std::size_t>(index)].value == CommandOption::Value::NextWord &&
          optind < argc && argv[optind][0] != '-')
        item.value = argv[optind++];
      items.push_back(std::move(item));
    }
  }
  for (int i = optind; i < argc; ++i) items.push_back({CommandItem::Kind::Operand, -1, argv[i], std::nullopt});
  return items;
}

bool ParseDecimal(const std::string& text, unsigned long long low, unsigned long long high,
                  unsigned long long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  value = std::strtoull(text.c_str(), nullptr, 10);
  return errno == 0 && value >= low && value <= high;
}

std::string VersionText(const std::string& program) { return program + " (Vorlumi3) " VLM_VERSION "\n"; }

}  // namespace vlm
