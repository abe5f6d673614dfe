#include "voice/voice_editor.h"

#include "common/random.h"

namespace vlm {

namespace {
// Member tables in row order, so rows are reached by number like the tags of
// the window's controls.  ORDER ROWS
constexpr bool VoiceEditor::*SwitchFields[] = {
    &VoiceEditor::chk1, &VoiceEditor::chk2, &VoiceEditor::chk3,  &VoiceEditor::chk4,
    &VoiceEditor::chk5, &VoiceEditor::chk6, &VoiceEditor::chk7,  &VoiceEditor::chk8,
    &VoiceEditor::chk9, &VoiceEditor::chk10, &VoiceEditor::chk11, &VoiceEditor::chk12};
constexpr std::string VoiceEditor::*BoxFields[] = {
    &VoiceEditor::e1, &VoiceEditor::e2, &VoiceEditor::e3, &VoiceEditor::e4, &VoiceEditor::e5,
    &VoiceEditor::e6, &VoiceEditor::e7, &VoiceEditor::e8, &VoiceEditor::e9, &VoiceEditor::e10};
constexpr ScrollBar VoiceEditor::*BarFields[] = {
    &VoiceEditor::s1, &VoiceEditor::s2, &VoiceEditor::s3, &VoiceEditor::s4, &VoiceEditor::s5,
    &VoiceEditor::s6, &VoiceEditor::s7, &VoiceEditor::s8, &VoiceEditor::s9, &VoiceEditor::s10};

int RowIndex(int n, int count) { return (n >= 1 && n <= count) ? n - 1 : 0; }
}  // namespace

VoiceEditor::VoiceEditor(Platform& platform) : platform_(platform) {
  for (int row = 1; row <= RowCount; ++row) S(row).OnChange = [this, row] { s1Change(row); };
}

// A row number out of range falls back to row 1 rather than reading outside the tables.
bool& VoiceEditor::Chk(int n) { return this->*SwitchFields[RowIndex(n, 12)]; }
std::string& VoiceEditor::E(int n) { return this->*BoxFields[RowIndex(n, RowCount)]; }
ScrollBar& VoiceEditor::S(int n) { return this->*BarFields[RowIndex(n, RowCount)]; }

void VoiceEditor::s1Change(int row) {
  E(row) = std::to_string(S(row).Position());
  if (row == 1 && chk1 && Host.SetVoiceText) Host.SetVoiceText(e1);
}

void VoiceEditor::r1Click(int row) { S(row).SetPosition(Random(128)); }

void VoiceEditor::RandomizeRows(std::initializer_list<int> rows) {
  for (int row : rows) S(row).SetPosition(Random(128));
}

void VoiceEditor::btnAllRndClick() { RandomizeRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}); }
void VoiceEditor::btnVibRndClick() { RandomizeRows({3, 4, 5}); }
void VoiceEditor::btnFilterRndClick() { RandomizeRows({6, 7}); }
void VoiceEditor::btnEGRndClick() { RandomizeRows({8, 9, 10}); }

void VoiceEditor::btnPlayClick() {
  if (Host.CompilePlay) Host.CompilePlay();
}

void VoiceEditor::btnStopClick() {
  if (Host.Stop) Host.Stop();
}

void VoiceEditor::btnOKClick() { Visible = false; }

void VoiceEditor::AllCHeck1Click() {
  for (int row = 1; row <= RowCount; ++row) Chk(row) = true;
}

void VoiceEditor::N1Click() {
  for (int row = 1; row <= RowCount; ++row) Chk(row) = false;
}

}  // namespace vlm
