// Writes the editor files for vlm sources, made from the highlighting rules:
//   OUTDIR/vlm.xml            KSyntaxHighlighting definition
//   OUTDIR/syntax/vlm.vim     Vim syntax file
//   OUTDIR/ftdetect/vlm.vim   Vim file-type detection
//   OUTDIR/vscode/            a VS Code extension with the TextMate grammar
// Usage: mml_syntax_gen OUTDIR

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "common/mml_syntax_files.h"

namespace {

void Write(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: mml_syntax_gen OUTDIR\n";
    return 2;
  }
  try {
    const std::filesystem::path dir = argv[1];
    Write(dir / "vlm.xml", vlm::KateDefinition());
    Write(dir / "syntax" / "vlm.vim", vlm::VimSyntaxFile());
    Write(dir / "ftdetect" / "vlm.vim", vlm::VimFtdetectFile());
    Write(dir / "vscode" / "package.json", vlm::VsCodePackage());
    Write(dir / "vscode" / "language-configuration.json", vlm::VsCodeLanguageConfiguration());
    Write(dir / "vscode" / "syntaxes" / "vlm.tmLanguage.json", vlm::TextMateGrammar());
  } catch (const std::exception& e) {
    std::cerr << "mml_syntax_gen: " << e.what() << "\n";
    return 2;
  }
  return 0;
}
