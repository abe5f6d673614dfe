#include "compiler/tables.h"

namespace vlm {

const std::array<std::string_view, 7> ErrorTexts = {
    "原因不明のエラー",
    "指定されたファイルを開けません",
    "解読不能文字です",
    "必要な引数が足りません",
    "引数が不正です",
    "文法のエラー",
    "",
};

}  // namespace vlm
