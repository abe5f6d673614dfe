#pragma once
// Command lines read the GNU way, through getopt_long: long options with
// "--name value" or "--name=value", short options ("-o FILE", "-oFILE"),
// unambiguous prefixes of long names, "--" ending the options and "-" as an
// operand (standard input or output). Items come back in the order given, so
// that a program reports the first fault the user wrote.

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vlm {

struct CommandOption {
  enum class Value {
    None,       // a switch
    Required,   // the next word, or the text after '='
    NextWord,   // optional: the text after '=', or the next word unless it starts with '-'
  };
  const char* name;  // the long name without "--"
  char shortName;    // 0: no short form
  Value value;
};

struct CommandItem {
  enum class Kind {
    Option,        // option (index into the table) with its value, if any
    Operand,       // a word that is no option, or any word after "--"
    Unknown,       // text names no option (or an ambiguous prefix of several)
    MissingValue,  // option needs a value and the command line ended
    UnwantedValue, // option is a switch but "--name=value" gave it one
  };
  Kind kind;
  int option = -1;                   // index into the table, for Option, MissingValue and UnwantedValue
  std::string text;                  // "--" and the long name, or the short option as written ("-o"),
                                     // an unknown option as written, or the operand
  std::optional<std::string> value;  // the option's value, when it has one
};

// Every item of argv[1..argc), in order. Never prints; not for two threads at
// once (getopt_long keeps its state in globals).
std::vector<CommandItem> ParseCommandLine(int argc, char* const* argv, std::span<const CommandOption> options);

// Whether text is a whole decimal number from low to high (no sign, no space).
bool ParseDecimal(const std::string& text, unsigned long long low, unsigned long long high,
                  unsigned long long& value);

// "PROGRAM (Vorlumi3) VERSION" and the licence lines that --version prints.
std::string VersionText(const std::string& program);

}  // namespace vlm
