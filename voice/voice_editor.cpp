#include "voice/voice_editor.h"

namespace vlm {

namespace {
// Member tables in row order, so rows are reached by number like the tags of
// the window's controls.  ORDER ROWS
constexpr bool TfrmVEdit::*SwitchFields[] = {
    &TfrmVEdit::chk1, &TfrmVEdit::chk2, &TfrmVEdit::chk3,  &TfrmVEdit::chk4,
    &TfrmVEdit::chk5, &TfrmVEdit::chk6, &TfrmVEdit::chk7,  &TfrmVEdit::chk8,
    &TfrmVEdit::chk9, &TfrmVEdit::chk10, &TfrmVEdit::chk11, &TfrmVEdit::chk12};
constexpr std::string TfrmVEdit::*BoxFields[] = {
    &TfrmVEdit::e1, &TfrmVEdit::e2, &TfrmVEdit::e3, &TfrmVEdit::e4, &TfrmVEdit::e5,
    &TfrmVEdit::e6, &TfrmVEdit::e7, &TfrmVEdit::e8, &TfrmVEdit::e9, &TfrmVEdit::e10};
constexpr ScrollBar TfrmVEdit::*BarFields[] = {
    &TfrmVEdit::s1, &TfrmVEdit::s2, &TfrmVEdit::s3, &TfrmVEdit::s4, &TfrmVEdit::s5,
    &TfrmVEdit::s6, &TfrmVEdit::s7, &TfrmVEdit::s8, &TfrmVEdit::s9, &TfrmVEdit::s10};

int RowIndex(int n, int count) { return (n >= 1 && n <= count) ? n - 1 : 0; }
}  // namespace

TfrmVEdit::TfrmVEdit(Platform& platform, RandomGenerator& rng) : Rng(rng), platform_(platform) {
  for (int row = 1; row <= RowCount; ++row) S(row).OnChange = [this, row] { s1Change(row); };
}

// A row number out of range falls back to row 1 rather than reading outside the tables.
bool& TfrmVEdit::Chk(int n) { return this->*SwitchFields[RowIndex(n, 12)]; }
std::string& TfrmVEdit::E(int n) { return this->*BoxFields[RowIndex(n, RowCount)]; }
ScrollBar& TfrmVEdit::S(int n) { return this->*BarFields[RowIndex(n, RowCount)]; }

void TfrmVEdit::s1Change(int row) {
  E(row) = std::to_string(S(row).Position());
  if (row == 1 && chk1 && Host.SetVoiceText) Host.SetVoiceText(e1);
}

void TfrmVEdit::r1Click(int row) { S(row).SetPosition(Rng.Random(128)); }

void TfrmVEdit::RandomizeRows(std::initializer_list<int> rows) {
  for (int row : rows) S(row).SetPosition(Rng.Random(128));
}

void TfrmVEdit::btnAllRndClick() { RandomizeRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}); }
void TfrmVEdit::btnVibRndClick() { RandomizeRows({3, 4, 5}); }
void TfrmVEdit::btnFilterRndClick() { RandomizeRows({6, 7}); }
void TfrmVEdit::btnEGRndClick() { RandomizeRows({8, 9, 10}); }

void TfrmVEdit::btnPlayClick() {
  if (Host.CompilePlay) Host.CompilePlay();
}

void TfrmVEdit::btnStopClick() {
  if (Host.Stop) Host.Stop();
}

void TfrmVEdit::btnOKClick() { Visible = false; }

void TfrmVEdit::AllCHeck1Click() {
  for (int row = 1; row <= RowCount; ++row) Chk(row) = true;
}

void TfrmVEdit::N1Click() {
  for (int row = 1; row <= RowCount; ++row) Chk(row) = false;
}

}  // namespace vlm
