#pragma once
// Editor files made from the highlighting rules of mml_syntax.h: a
// KSyntaxHighlighting definition (Kate, KWrite, Qt Creator), a Vim syntax
// file with its file-type detection, and a TextMate grammar with the
// extension files VS Code loads it from.

#include <stdexcept>
#include <string>
#include <string_view>

namespace vlm {

// The language's name in the Kate definition (what `kate-syntax-highlighter -s` takes).
inline constexpr std::string_view KateLanguageName = "Vorlumi3 MML";

std::string KateDefinition();
std::string VimSyntaxFile();
std::string VimFtdetectFile();
std::string TextMateGrammar();
// A VS Code extension's package.json and language configuration (comments
// and brackets), naming the grammar as syntaxes/vlm.tmLanguage.json.
std::string VsCodePackage();
std::string VsCodeLanguageConfiguration();

// A rule pattern in Vim's "magic" syntax. Throws std::invalid_argument for
// anything outside the subset the rules may use, so that a new rule cannot
// slip into the Vim file with a different meaning.
std::string VimPattern(std::string_view pattern);

}  // namespace vlm
