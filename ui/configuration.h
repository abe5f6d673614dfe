#pragma once
// The program's own configuration file, in the user's XDG config folder
// (~/.config/vorlumi3/vorlumi3.conf): what belongs to the user's machine
// rather than to a settings file, such as the output and the recent files.

#include <QSettings>

namespace vlm::ui {

inline QSettings Configuration() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vorlumi3"),
                   QStringLiteral("vorlumi3"));
}

}  // namespace vlm::ui
