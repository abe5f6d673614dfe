#pragma once
// Every text the phrase workshop (history, kept phrases, seeds) shows, in
// one place: Japanese is the program's own language. Each is marked for
// translation under the context "Workshop"; WorkshopText returns the
// translated text.

#include <QCoreApplication>
#include <QString>

namespace vlm::ui {

namespace workshop_text {

inline constexpr const char* HistoryMenu = QT_TRANSLATE_NOOP("Workshop", "履歴(&Y)");
inline constexpr const char* Back = QT_TRANSLATE_NOOP("Workshop", "前のフレーズ");
inline constexpr const char* BackHint =
    QT_TRANSLATE_NOOP("Workshop", "履歴を一つ戻り、前のリズムとパターンを出します。");
inline constexpr const char* Forward = QT_TRANSLATE_NOOP("Workshop", "次のフレーズ");
inline constexpr const char* ForwardHint =
    QT_TRANSLATE_NOOP("Workshop", "履歴を一つ進み、次のリズムとパターンを出します。");
inline constexpr const char* PlayOnMove = QT_TRANSLATE_NOOP("Workshop", "戻る・進むで演奏する");
inline constexpr const char* RestoreSettings = QT_TRANSLATE_NOOP("Workshop", "この履歴の設定を復元");
inline constexpr const char* Keep = QT_TRANSLATE_NOOP("Workshop", "キープ");
inline constexpr const char* KeepHint =
    QT_TRANSLATE_NOOP("Workshop", "今のフレーズをキープします（キープしたフレーズは消えません）。");
inline constexpr const char* LockSeed = QT_TRANSLATE_NOOP("Workshop", "シードを固定");
inline constexpr const char* LockSeedHint =
    QT_TRANSLATE_NOOP("Workshop", "F5・F3 で同じシードを使い、設定の違いを同じフレーズで聴けます。");
inline constexpr const char* CopySeed = QT_TRANSLATE_NOOP("Workshop", "シードをコピー");
inline constexpr const char* KeptList = QT_TRANSLATE_NOOP("Workshop", "キープしたフレーズ...");
inline constexpr const char* KeptTitle = QT_TRANSLATE_NOOP("Workshop", "キープしたフレーズ");
inline constexpr const char* KeptRestore = QT_TRANSLATE_NOOP("Workshop", "呼び出す");
inline constexpr const char* KeptToSlot = QT_TRANSLATE_NOOP("Workshop", "ソングへ");
inline constexpr const char* KeptToSlotHint =
    QT_TRANSLATE_NOOP("Workshop", "Song ページの「今編集中のパターンを N 番に」の番号へコピーします。");
inline constexpr const char* KeptMidi = QT_TRANSLATE_NOOP("Workshop", "MIDI 保存");
inline constexpr const char* KeptMml = QT_TRANSLATE_NOOP("Workshop", "MML 保存");
inline constexpr const char* KeptName = QT_TRANSLATE_NOOP("Workshop", "名前...");
inline constexpr const char* KeptNameHint =
    QT_TRANSLATE_NOOP("Workshop", "選んだフレーズに名前を付けます (F2)。書き出すファイルの名前にもなります。");
inline constexpr const char* KeptNamePrompt = QT_TRANSLATE_NOOP("Workshop", "フレーズの名前:");
inline constexpr const char* ShowAllHistory = QT_TRANSLATE_NOOP("Workshop", "キープしていないフレーズも表示 (新しい順)");
inline constexpr const char* KeptUnkeep = QT_TRANSLATE_NOOP("Workshop", "キープを外す");
inline constexpr const char* KeptExportAll = QT_TRANSLATE_NOOP("Workshop", "すべて書き出す...");
inline constexpr const char* KeptExportAllHint =
    QT_TRANSLATE_NOOP("Workshop", "キープしたフレーズをすべて、MIDI ファイルと MML ファイルにしてフォルダーに書き出します。");
inline constexpr const char* KeptListHint = QT_TRANSLATE_NOOP(
    "Workshop", "ダブルクリックで呼び出します。シーケンサーやファイルマネージャーへドラッグすると MIDI ファイルになります。");
inline constexpr const char* KeptExportFolder = QT_TRANSLATE_NOOP("Workshop", "書き出すフォルダー");
inline constexpr const char* KeptExported = QT_TRANSLATE_NOOP("Workshop", "%1 個のフレーズを %2 に書き出しました");
inline constexpr const char* SeedLabel = QT_TRANSLATE_NOOP("Workshop", "シード: %1");
inline constexpr const char* SeedNone = QT_TRANSLATE_NOOP("Workshop", "シード: なし");
inline constexpr const char* CompileSeedLabel = QT_TRANSLATE_NOOP("Workshop", "（コンパイル: %1）");
inline constexpr const char* SeedCopyHint = QT_TRANSLATE_NOOP("Workshop", "クリックでシードをコピーします。");
inline constexpr const char* NoSeed = QT_TRANSLATE_NOOP("Workshop", "なし");

}  // namespace workshop_text

inline QString WorkshopText(const char* text) { return QCoreApplication::translate("Workshop", text); }

}  // namespace vlm::ui
