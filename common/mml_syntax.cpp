#include "common/mml_syntax.h"

#include <array>
#include <vector>

namespace vlm {

namespace {

// ORDER MML CATEGORY
constexpr std::array<MmlCategoryInfo, 15> Categories = {{
    {MmlCategory::Text, "Text", "dsNormal", "Normal", ""},
    {MmlCategory::Comment, "Comment", "dsComment", "Comment", "comment.vlm"},
    {MmlCategory::Directive, "Directive", "dsPreprocessor", "PreProc", "keyword.control.directive.vlm"},
    {MmlCategory::String, "String", "dsString", "String", "string.quoted.vlm"},
    {MmlCategory::MacroDefinition, "MacroDefinition", "dsFunction", "Function", "entity.name.function.vlm"},
    {MmlCategory::Builtin, "Builtin", "dsKeyword", "Keyword", "support.function.builtin.vlm"},
    {MmlCategory::Macro, "Macro", "dsPreprocessor", "Macro", "entity.name.function.macro.vlm"},
    {MmlCategory::Underscore, "Underscore", "dsBuiltIn", "Statement", "keyword.other.vlm"},
    {MmlCategory::SystemCommand, "SystemCommand", "dsSpecialChar", "Special", "constant.character.escape.vlm"},
    {MmlCategory::Note, "Note", "dsDataType", "Type", "storage.type.note.vlm"},
    {MmlCategory::Setting, "Setting", "dsAttribute", "Operator", "keyword.operator.setting.vlm"},
    {MmlCategory::Channel, "Channel", "dsExtension", "Function", "support.type.channel.vlm"},
    {MmlCategory::Loop, "Loop", "dsControlFlow", "Conditional", "keyword.control.loop.vlm"},
    {MmlCategory::Variable, "Variable", "dsVariable", "Identifier", "variable.other.vlm"},
    {MmlCategory::Number, "Number", "dsDecVal", "Number", "constant.numeric.vlm"},
}};

// ORDER BUILTIN: the same words as the compiler's table of built-in commands, in its
// order (tests/common/mml_syntax_test.cpp compares the two).
constexpr std::array<std::string_view, 83> BuiltinWords = {
    "EX", "EX2", "NRPN", "RPN", "T", "CH", "PTR", "Q", "CD_DELAY", "DLY", "DIV", "CD_", "SEL", "RV", "RQ",
    "RN", "SWITCH", "IF", "RV_CLEAR", "RQ_CLEAR", "RN_CLEAR", "TRN", "TRNL", "GHOST_ON", "GHOST_OFF", "BACK",
    "TRIM", "TR", "LAST_PTR", "TRL", "PLAY", "PRT", "ACTIVE_CC", "ACTIVE_PB", "B", "RNDV", "RNDN", "RNDB",
    "REV", "CHO", "M", "P", "E", "V", "D", "ACB", "ACP", "ACE", "ACV", "ACM", "ACD", "ACREV", "ACCHO",
    "ACCUT", "ACRES", "BEND_RANGE", "BR", "PORT_ON", "PORT_OFF", "PORT", "RESET_XG", "RESET_GS", "RESET_GM",
    "RESET_CTRL", "CUT", "RES", "VIB_RATE", "VIB_DEPTH", "VIB_DELAY", "ATT", "DEC", "REL", "DR_CUT",
    "DR_RES", "DR_ATT", "DR_DEC", "DR_PITCH", "DR_PITCHFINE", "DR_LEVEL", "DR_PAN", "DR_REV", "DR_CHO",
    "DR_VAR",
};

// A built-in word only where the compiler's word reader would stop after it:
// it reads upper-case letters, digits, "_" and "`".
std::string BuiltinPattern() {
  std::string alternatives;
  for (std::string_view word : BuiltinWords) {
    if (!alternatives.empty()) alternatives += '|';
    alternatives += word;
  }
  return "(?:" + alternatives + ")(?![A-Z0-9_`])";
}

// A number as the readers take it: decimal or "$" and hexadecimal digits.
constexpr std::string_view Value = R"((?:[0-9]+|\$[0-9A-Fa-f]+))";

std::vector<MmlRule> MakeRules() {
  const std::string value(Value);
  // "~" (repeated for indirection), blanks, the number; then an operator, or
  // "=" with a named quantity, a variable, or a value with its binary
  // operator. A value standing alone after "=" is left to the number rule.
  const std::string variable =
      "~+ *" + value + "?(?:=(?:ptr|dly|trk|acv|bas|REV|CHO|nno|rnd|len|[MPVEDBvloqQ]|" + value +
      R"([+\-*/%><:RL^&|]|~+ *)" + value + "[+\\-*/%><:RL^&|]?)?|[+\\-*/%RL|^&])?";
  return {
      {MmlCategory::Comment, R"(\{)", R"(\})", "", MmlCategory::Text},  // braces do not nest
      {MmlCategory::Comment, ";.*", "", "", MmlCategory::Text},
      {MmlCategory::Directive, "#include", "", R"("[^"]*")", MmlCategory::String},
      {MmlCategory::Directive, "#[a-z_]*", "", "", MmlCategory::Text},
      {MmlCategory::Underscore, "_(?:print|INST_NAME|COPYRIGHT|TITLE)", "", R"(\([^)]*\))", MmlCategory::String},
      {MmlCategory::MacroDefinition, R"(_m\( *[A-Za-z][A-Z0-9_`]*)", "", "", MmlCategory::Text},
      {MmlCategory::Underscore, "_(?:smon|smoff|skipon|skipoff|ac|tr|m)?", "", "", MmlCategory::Text},
      {MmlCategory::Builtin, BuiltinPattern(), "", "", MmlCategory::Text},
      {MmlCategory::Macro, "[A-Z][A-Z0-9_`]*", "", "", MmlCategory::Text},
      {MmlCategory::SystemCommand, R"(\\[0-9]*)", "", "", MmlCategory::Text},
      {MmlCategory::Variable, variable, "", "", MmlCategory::Text},
      {MmlCategory::Note, R"([a-gr][+\-]*%?[0-9]*\.*)", "", "", MmlCategory::Text},
      {MmlCategory::Note, "n[0-9]*", "", "", MmlCategory::Text},
      {MmlCategory::Note, R"(\^%?[0-9]*\.*|&)", "", "", MmlCategory::Text},
      {MmlCategory::Setting, "[olqv<>!]", "", "", MmlCategory::Text},
      {MmlCategory::Channel, "[@ypt]", "", "", MmlCategory::Text},
      {MmlCategory::Loop, R"([\[\]:/])", "", "", MmlCategory::Text},
      {MmlCategory::Number, R"([+\-]?)" + value, "", "", MmlCategory::Text},
  };
}

}  // namespace

std::span<const MmlCategoryInfo> MmlCategories() { return Categories; }

const MmlCategoryInfo& CategoryInfo(MmlCategory category) { return Categories[static_cast<std::size_t>(category)]; }

std::span<const MmlRule> MmlRules() {
  static const std::vector<MmlRule> rules = MakeRules();
  return rules;
}

std::span<const std::string_view> MmlBuiltinWords() { return BuiltinWords; }

}  // namespace vlm
