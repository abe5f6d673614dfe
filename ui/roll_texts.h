#pragma once
// Every text the piano roll and the MML file window show, in one place, in
// the program's own Japanese wording. Each is marked for translation under
// the context "Roll"; RollText returns the translated text.

#include <QCoreApplication>
#include <QString>

namespace vlm::ui {

namespace roll_texts {
inline constexpr const char* PaneMenu = QT_TRANSLATE_NOOP("Roll", "ピアノロール(&R)");
inline constexpr const char* OpenMmlMenu = QT_TRANSLATE_NOOP("Roll", "MMLファイルを開く(&M)...");
inline constexpr const char* OpenMmlTitle = QT_TRANSLATE_NOOP("Roll", "MMLファイルを開く");
inline constexpr const char* EditAsMmlMenu = QT_TRANSLATE_NOOP("Roll", "フレーズを MML で編集(&E)...");
inline constexpr const char* EditAsMmlTitle = QT_TRANSLATE_NOOP("Roll", "フレーズの MML の保存先");
inline constexpr const char* MmlFilter = QT_TRANSLATE_NOOP("Roll", "MMLファイル (*.vlm);;すべてのファイル (*)");
inline constexpr const char* Recompile = QT_TRANSLATE_NOOP("Roll", "再コンパイル");
inline constexpr const char* NoErrors = QT_TRANSLATE_NOOP("Roll", "エラーはありません。");
inline constexpr const char* CannotRead = QT_TRANSLATE_NOOP("Roll", "ファイルを読み込めません: %1");
inline constexpr const char* CompileFailed = QT_TRANSLATE_NOOP("Roll", "コンパイルできませんでした: %1");
inline constexpr const char* NotMidi = QT_TRANSLATE_NOOP("Roll", "ピアノロールを描けません: %1");
inline constexpr const char* Save = QT_TRANSLATE_NOOP("Roll", "保存");
inline constexpr const char* Play = QT_TRANSLATE_NOOP("Roll", "再生");
inline constexpr const char* Stop = QT_TRANSLATE_NOOP("Roll", "停止");
inline constexpr const char* PlayFromCaret = QT_TRANSLATE_NOOP("Roll", "カーソルから再生");
inline constexpr const char* SaveFailed = QT_TRANSLATE_NOOP("Roll", "保存できませんでした: %1");
inline constexpr const char* AskSave = QT_TRANSLATE_NOOP("Roll", "%1 は変更されています。保存しますか？");
inline constexpr const char* RestoreEdits =
    QT_TRANSLATE_NOOP("Roll", "%1 には前回保存されなかった変更が残っています。復元しますか？");
inline constexpr const char* ChangedOnDisk =
    QT_TRANSLATE_NOOP("Roll", "%1 がほかのプログラムで変更されました。読み込み直しますか？ここでの変更は失われます。");
inline constexpr const char* FindTitle = QT_TRANSLATE_NOOP("Roll", "検索");
inline constexpr const char* FindPrompt = QT_TRANSLATE_NOOP("Roll", "検索する文字列:");
inline constexpr const char* NotFound = QT_TRANSLATE_NOOP("Roll", "「%1」は見つかりません。");
inline constexpr const char* GoToLineTitle = QT_TRANSLATE_NOOP("Roll", "指定行へ移動");
inline constexpr const char* GoToLinePrompt = QT_TRANSLATE_NOOP("Roll", "行番号 (1～%1):");
// Names a screen reader gives the roll, the MML text and the error list.
inline constexpr const char* RollName = QT_TRANSLATE_NOOP("Roll", "ピアノロール");
inline constexpr const char* SourceName = QT_TRANSLATE_NOOP("Roll", "MML テキスト");
inline constexpr const char* ErrorsName = QT_TRANSLATE_NOOP("Roll", "エラー");
}  // namespace roll_texts

inline QString RollText(const char* text) { return QCoreApplication::translate("Roll", text); }

}  // namespace vlm::ui
