#include "ui/translation.h"

#include <QCoreApplication>

namespace vlm::ui {

bool PrefersJapanese(const QStringList& uiLanguages) {
  if (uiLanguages.isEmpty()) return false;
  // "ja", "ja-JP", "ja_JP.UTF-8": the language is what comes before the region.
  return QLocale(uiLanguages.constFirst()).language() == QLocale::Japanese;
}

std::unique_ptr<QTranslator> InstallTranslation(const QStringList& uiLanguages) {
  if (PrefersJapanese(uiLanguages)) return nullptr;
  auto translator = std::make_unique<QTranslator>();
  // Built into the program from vorlumi3_en.ts; a build without it shows the originals.
  if (!translator->load(QStringLiteral(":/translations/vorlumi3_en.qm"))) return nullptr;
  QCoreApplication::installTranslator(translator.get());
  return translator;
}

}  // namespace vlm::ui
