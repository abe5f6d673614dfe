#pragma once
// The language of the windows. The texts in the sources are the Japanese
// (and a few English) originals and stay the default for a Japanese locale;
// any other locale gets the English wording of resources/translations.

#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <memory>

namespace vlm::ui {

// Whether the first of the user's interface languages (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG, as Qt reads them) is Japanese.
bool PrefersJapanese(const QStringList& uiLanguages);

// Installs the English wording on the running application unless the user
// prefers Japanese. The translator stays installed while the returned object
// lives; null when nothing was installed.
std::unique_ptr<QTranslator> InstallTranslation(const QStringList& uiLanguages = QLocale::system().uiLanguages());

}  // namespace vlm::ui
