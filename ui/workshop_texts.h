#pragma once
// Every text the phrase workshop (history, kept phrases, seeds) shows, in
// one place: Japanese is the program's own language.

namespace vlm::ui::workshop_text {

inline constexpr const char* HistoryMenu = "履歴(&Y)";
inline constexpr const char* Back = "前のフレーズ";
inline constexpr const char* BackHint = "履歴を一つ戻り、前のリズムとパターンを出します。";
inline constexpr const char* Forward = "次のフレーズ";
inline constexpr const char* ForwardHint = "履歴を一つ進み、次のリズムとパターンを出します。";
inline constexpr const char* PlayOnMove = "戻る・進むで演奏する";
inline constexpr const char* RestoreSettings = "この履歴の設定を復元";
inline constexpr const char* Keep = "キープ";
inline constexpr const char* KeepHint = "今のフレーズをキープします（キープしたフレーズは消えません）。";
inline constexpr const char* LockSeed = "シードを固定";
inline constexpr const char* LockSeedHint = "F5・F3 で同じシードを使い、設定の違いを同じフレーズで聴けます。";
inline constexpr const char* CopySeed = "シードをコピー";
inline constexpr const char* KeptList = "キープしたフレーズ...";
inline constexpr const char* KeptTitle = "キープしたフレーズ";
inline constexpr const char* KeptRestore = "呼び出す";
inline constexpr const char* KeptToSlot = "ソングへ";
inline constexpr const char* KeptToSlotHint = "Song ページの「今編集中のパターンを N 番に」の番号へコピーします。";
inline constexpr const char* KeptMidi = "MIDI 保存";
inline constexpr const char* KeptMml = "MML 保存";
inline constexpr const char* KeptUnkeep = "キープを外す";
inline constexpr const char* SeedLabel = "シード: %1";
inline constexpr const char* SeedNone = "シード: なし";
inline constexpr const char* CompileSeedLabel = "（コンパイル: %1）";
inline constexpr const char* SeedCopyHint = "クリックでシードをコピーします。";
inline constexpr const char* NoSeed = "なし";

}  // namespace vlm::ui::workshop_text
