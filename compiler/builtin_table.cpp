#include "compiler/builtin_table.h"

#include <cstdint>

namespace vlm {

// ORDER BUILTIN: the macro table lists the words in this order, and so does
// the highlighting word list in common/mml_syntax.cpp.
constexpr std::array<BuiltinCommand, BuiltinWordCount + 1> BuiltinCommands = {{
    {"EX", "\\0"},  // 0
    {"EX2", "\\5"},  // 1
    {"NRPN", "\\1"},  // 2
    {"RPN", "\\2"},  // 3
    {"T", "\\3"},  // 4
    {"CH", "\\4"},  // 5
    {"PTR", "\\6"},  // 6
    {"Q", "\\23"},  // 7
    {"CD_DELAY", "\\24"},  // 8
    {"DLY", "\\24"},  // 9
    {"DIV", "\\25"},  // 10
    {"CD_", "\\26"},  // 11
    {"SEL", "\\27"},  // 12
    {"RV", "\\28"},  // 13
    {"RQ", "\\29"},  // 14
    {"RN", "\\30"},  // 15
    {"SWITCH", "\\27"},  // 16
    {"IF", "\\31"},  // 17
    {"RV_CLEAR", "\\32"},  // 18
    {"RQ_CLEAR", "\\33"},  // 19
    {"RN_CLEAR", "\\34"},  // 20
    {"TRN", "_tr(0)\\35"},  // 21
    {"TRNL", "_tr(0)\\36"},  // 22
    {"GHOST_ON", "\\37"},  // 23
    {"GHOST_OFF", "\\38"},  // 24
    {"BACK", "~507=ptr ? PTR=~507"},  // 25
    {"TRIM", "\\37 ~508=ptr|?1 |~509=ptr\\38 ~510=~509-~508 ~508-~510 PTR=~508 ?1"},  // 26
    {"TR", "_tr(0)\\7"},  // 27
    {"LAST_PTR", "\\8"},  // 28
    {"TRL", "_tr(0)\\9"},  // 29
    {"PLAY", "_tr(0)\\9"},  // 30
    {"PRT", "\\39"},  // 31
    {"ACTIVE_CC", "\\10"},  // 32
    {"ACTIVE_PB", "\\11"},  // 33
    {"B", "\\12"},  // 34
    {"RNDV", "\\13"},  // 35
    {"RNDN", "\\14"},  // 36
    {"RNDB", "\\22"},  // 37
    {"REV", "\\15"},  // 38
    {"CHO", "\\16"},  // 39
    {"M", "\\17"},  // 40
    {"P", "\\18"},  // 41
    {"E", "\\19"},  // 42
    {"V", "\\20"},  // 43
    {"D", "\\21"},  // 44
    {"ACB", "\\11"},  // 45
    {"ACP", "\\10(10,?1,?2,?3,?4,?5,?6,?7)"},  // 46
    {"ACE", "\\10(11,?1,?2,?3,?4,?5,?6,?7)"},  // 47
    {"ACV", "\\10(7,?1,?2,?3,?4,?5,?6,?7)"},  // 48
    {"ACM", "\\10(1,?1,?2,?3,?4,?5,?6,?7)"},  // 49
    {"ACD", "\\10(6,?1,?2,?3,?4,?5,?6,?7)"},  // 50
    {"ACREV", "\\10(91,?1,?2,?3,?4,?5,?6,?7)"},  // 51
    {"ACCHO", "\\10(93,?1,?2,?3,?4,?5,?6,?7)"},  // 52
    {"ACCUT", "CUT=?1 \\10(6,?1,?2,?3,?4,?5,?6,?7)"},  // 53
    {"ACRES", "RES=?1 \\10(6,?1,?2,?3,?4,?5,?6,?7)"},  // 54
    {"BEND_RANGE", "\\2=0,0,?"},  // 55
    {"BR", "\\2=0,0,?"},  // 56
    {"PORT_ON", "y65,127"},  // 57
    {"PORT_OFF", "y65,0"},  // 58
    {"PORT", "y5,?"},  // 59
    {"RESET_XG", "\\0=$f0,$43,$10,$4c,0,0,$7e,0,$f7"},  // 60
    {"RESET_GS", "\\0=$F0,$41,$10,$42,$12,$40,0,$7F,0,$41,$F7"},  // 61
    {"RESET_GM", "\\0=$F0,$7E,$7F,$09,$01,$F7"},  // 62
    {"RESET_CTRL", "y$79,0"},  // 63
    {"CUT", "\\1=1,$20,?"},  // 64
    {"RES", "\\1=1,$21,?"},  // 65
    {"VIB_RATE", "\\1=1,8,?"},  // 66
    {"VIB_DEPTH", "\\1=1,9,?"},  // 67
    {"VIB_DELAY", "\\1=1,10,?"},  // 68
    {"ATT", "\\1=1,$63,?"},  // 69
    {"DEC", "\\1=1,$64,?"},  // 70
    {"REL", "\\1=1,$66,?"},  // 71
    {"DR_CUT", "\\1=$14,?1,?2"},  // 72
    {"DR_RES", "\\1=$15,?1,?2"},  // 73
    {"DR_ATT", "\\1=$16,?1,?2"},  // 74
    {"DR_DEC", "\\1=$17,?1,?2"},  // 75
    {"DR_PITCH", "\\1=$18,?1,?2"},  // 76
    {"DR_PITCHFINE", "\\1=$19,?1,?2"},  // 77
    {"DR_LEVEL", "\\1=$1a,?1,?2"},  // 78
    {"DR_PAN", "\\1=$1c,?1,?2"},  // 79
    {"DR_REV", "\\1=$1d,?1,?2"},  // 80
    {"DR_CHO", "\\1=$1e,?1,?2"},  // 81
    {"DR_VAR", "\\1=$1f,?1,?2"},  // 82
    {"*", ""},  // end of the table, no word
}};

namespace {

static_assert(BuiltinCommands[BuiltinWordCount].Name == "*", "the table ends with its terminating row");

// FNV-1a over the name's bytes.
constexpr std::uint32_t NameHash(std::string_view Name) {
  std::uint32_t hash = 2166136261u;
  for (const char c : Name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// An open-addressing table of the words, made when the program is built, so
// that no start-up or reset fills one. Three times as many slots as words
// keep the probes short. Each slot holds its word's row + 1, 0 when empty.
constexpr std::size_t SlotCount = 256;
static_assert(SlotCount >= 3 * BuiltinWordCount && (SlotCount & (SlotCount - 1)) == 0);

constexpr std::array<std::uint8_t, SlotCount> Slots = [] {
  std::array<std::uint8_t, SlotCount> slots{};
  for (std::size_t row = 0; row < BuiltinWordCount; ++row) {
    std::size_t at = NameHash(BuiltinCommands[row].Name) & (SlotCount - 1);
    while (slots[at] != 0) at = (at + 1) & (SlotCount - 1);
    slots[at] = static_cast<std::uint8_t>(row + 1);
  }
  return slots;
}();

constexpr int LookUp(std::string_view Name) {
  for (std::size_t at = NameHash(Name) & (SlotCount - 1);; at = (at + 1) & (SlotCount - 1)) {
    const std::uint8_t slot = Slots[at];
    if (slot == 0) return -1;
    if (BuiltinCommands[slot - 1u].Name == Name) return slot - 1;
  }
}

// Each word is found at its own row: a name given twice would find the
// first of its rows only.
static_assert([] {
  for (std::size_t row = 0; row < BuiltinWordCount; ++row)
    if (LookUp(BuiltinCommands[row].Name) != static_cast<int>(row)) return false;
  return true;
}(), "every built-in word has a name of its own");

}  // namespace

int FindBuiltin(std::string_view Name) { return LookUp(Name); }

}  // namespace vlm
