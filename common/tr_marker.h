#pragma once
// Marks a text of a toolkit-free model that the user reads, so that Qt's
// lupdate finds it: QT_TRANSLATE_NOOP(context, text) is the text itself.
// The models mark their texts with the context "Messages" and hand them to
// Platform::Translate, which the desktop program answers with Qt's
// translator; elsewhere the text stays as written.

#include <string>
#include <string_view>

#ifndef QT_TRANSLATE_NOOP
// Spelt exactly as Qt spells it, so that both definitions may meet in one file.
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace vlm {

// `text` with its first "%1" replaced by `argument` (a translated sentence
// may put the argument anywhere). The argument is inserted once and never
// scanned again, so a "%1" inside it stays as it is.
inline std::string WithArgument(std::string text, std::string_view argument) {
  const std::size_t at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

}  // namespace vlm
