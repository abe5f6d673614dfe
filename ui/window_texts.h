#pragma once
// The texts the windows add for play state and "Undo Open", in one place so
// that they are marked for translation together. The Japanese wording is the
// source text (the default); the English wording beside each is what the
// translation gives.

#include <QCoreApplication>
#include <QString>

namespace vlm::ui {

// Each source text, with its English wording in the comment.
inline constexpr const char* kUndoOpenCaption =
    QT_TRANSLATE_NOOP("WindowTexts", "開く前の設定に戻す(&U)");  // "&Undo Open"
inline constexpr const char* kUndoOpenHint =
    QT_TRANSLATE_NOOP("WindowTexts", "設定ファイルを開く前の設定に戻します。");  // "Bring back the settings from before the file was opened."
inline constexpr const char* kPlayingStatus =
    QT_TRANSLATE_NOOP("WindowTexts", "演奏中 %1 / %2");  // "Playing %1 / %2" (elapsed, total)

// The text in the user's language (the source text when no translation is installed).
inline QString WindowText(const char* source) { return QCoreApplication::translate("WindowTexts", source); }

}  // namespace vlm::ui
