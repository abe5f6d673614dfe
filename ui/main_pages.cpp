// The four pages of the main window: every control bound to its field of
// the model under the control's own name.
#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ui/keyboard_scroll_bar.h"
#include "ui/main_window.h"
#include "ui/mml_highlighter.h"
#include "ui/numeric_edit.h"

namespace vlm::ui {

namespace {

// A label that runs a handler when clicked ("音色" draws a random voice).
class ClickableLabel : public QLabel {
 public:
  ClickableLabel(const QString& text, std::function<void()> clicked)
      : QLabel(text), clicked_(std::move(clicked)) {
    setCursor(Qt::PointingHandCursor);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && clicked_) clicked_();
    QLabel::mouseReleaseEvent(event);
  }

 private:
  std::function<void()> clicked_;
};

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QPushButton* NamedButton(const QString& caption, const char* name) {
  auto* button = Named(new QPushButton(caption), name);
  button->setAutoDefault(false);
  return button;
}

// Data (numbers, note names, rhythm symbols) as written; words come through tr().
QLabel* Label(const char* text) { return new QLabel(QString::fromUtf8(text)); }
QLabel* Label(const QString& text) { return new QLabel(text); }

// A text box that asks for room for `lines` lines; one that grows takes the
// page's spare height, the others keep that height.
class LinesEdit : public QPlainTextEdit {
 public:
  LinesEdit(int lines, bool grows) : lines_(lines) {
    setSizePolicy(QSizePolicy::Expanding, grows ? QSizePolicy::Expanding : QSizePolicy::Fixed);
  }
  QSize sizeHint() const override { return {QPlainTextEdit::sizeHint().width(), LinesHeight()}; }
  QSize minimumSizeHint() const override { return {QPlainTextEdit::minimumSizeHint().width(), LinesHeight()}; }

 private:
  int lines_;
  int LinesHeight() const { return fontMetrics().lineSpacing() * lines_ + 2 * frameWidth() + 8; }
};

// Tab leaves the box, as in every other field of the page: none of these
// texts has a use for a tab character, and a box that keeps Tab would trap
// whoever works by keyboard.
QPlainTextEdit* Memo(const char* name, int lines, bool wrap, bool grows = false) {
  auto* memo = Named<QPlainTextEdit>(new LinesEdit(lines, grows), name);
  memo->setTabChangesFocus(true);
  memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  return memo;
}

}  // namespace

QWidget* MainWindow::ScalePage() {
  TForm1& f = form_;
  auto* page = new QWidget;
  auto* top = new QHBoxLayout;
  top->addWidget(Label(tr("Preset Scale")));
  auto* cbScale = Named(new QComboBox, "cbScale");
  cbScale->setMinimumContentsLength(20);
  cbScale->setMaxVisibleItems(24);
  auto* cbKey = Named(new QComboBox, "cbKey");
  binder_.Bind(cbScale, f.cbScale, [&f] { f.btnScaleSetClick(); });
  binder_.Bind(cbKey, f.cbKey, [&f] { f.btnScaleSetClick(); });
  top->addWidget(cbScale, 1);
  top->addWidget(cbKey);

  // Twelve weight bars, C on the left; 100 at the top.
  auto* bars = new QGridLayout;
  bars->addWidget(Label("100"), 0, 0, Qt::AlignRight | Qt::AlignTop);
  bars->addWidget(Label("0"), 0, 0, Qt::AlignRight | Qt::AlignBottom);
  static const char* const kNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  for (int k = 1; k <= 12; ++k) {
    const QString name = QStringLiteral("scl") + QString::number(k, 16).toUpper();
    auto* bar = new KeyboardScrollBar(Qt::Vertical);
    bar->setObjectName(name);
    bar->setInvertedAppearance(true);
    bar->setInvertedControls(true);
    bar->setMinimumHeight(150);
    binder_.Bind(bar, f.Scl(k));
    bars->addWidget(bar, 0, k, Qt::AlignHCenter);
    bars->setRowStretch(0, 1);
    QLabel* note = Label(kNames[k - 1]);
    note->setBuddy(bar);  // what a screen reader names the bar
    bars->addWidget(note, 1, k, Qt::AlignHCenter);
  }

  auto* buttons = new QHBoxLayout;
  auto* shift = NamedButton(tr("Shift #"), "btnShift");
  auto* shiftFlat = NamedButton(tr("Shift b"), "btnShiftFlat");
  auto* save = NamedButton(tr("Save Scale"), "btnSaveScale");
  auto* rnd = NamedButton(tr("Rnd"), "btnRndScale");
  binder_.OnClick(shift, [&f] { f.btnShiftClick(); });
  binder_.OnClick(shiftFlat, [&f] { f.btnShiftFlatClick(); });
  binder_.OnClick(save, [&f] { f.btnSaveScaleClick(); });
  binder_.OnClick(rnd, [&f] { f.btnRndScaleClick(); });
  for (QPushButton* b : {shift, shiftFlat, save, rnd}) buttons->addWidget(b);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addLayout(bars, 1);
  layout->addLayout(buttons);
  return page;
}

QWidget* MainWindow::RythmPage() {
  TForm1& f = form_;
  auto* page = new QWidget;
  // The two boxes have no label on the page: a screen reader gets a name.
  auto* memRythm = Memo("memRythm", 2, true);
  memRythm->setAccessibleName(tr("リズム"));
  binder_.Bind(memRythm, f.memRythm);

  auto* weights = new QGridLayout;
  static const char* const kLabels[] = {QT_TR_NOOP("普通に発音"), QT_TR_NOOP("休符"), QT_TR_NOOP("タイ"),
                                        QT_TR_NOOP("ミュートして発音"), QT_TR_NOOP("音符分割"),
                                        QT_TR_NOOP("ベンドアップ"), QT_TR_NOOP("和音")};
  static const char* const kSymbols[] = {"N", "r", "^", "m", "d", "B", "W"};
  for (int j = 1; j <= 7; ++j) {
    auto* bar = new KeyboardScrollBar(Qt::Horizontal);
    bar->setObjectName(QStringLiteral("ryt") + QString::number(j));
    bar->setMinimumWidth(200);
    binder_.Bind(bar, f.Ryt(j));
    QLabel* caption = Label(tr(kLabels[j - 1]));
    caption->setBuddy(bar);
    weights->addWidget(Label(kSymbols[j - 1]), j - 1, 0);
    weights->addWidget(caption, j - 1, 1);
    weights->addWidget(bar, j - 1, 2);
  }
  weights->setColumnStretch(2, 1);
  auto* rnd = NamedButton(tr("Rnd"), "btnRythmRnd");
  binder_.OnClick(rnd, [&f] { f.btnRythmRndClick(); });
  weights->addWidget(rnd, 7, 2, Qt::AlignRight);

  auto* gates = new QGroupBox(tr("ｹﾞｰﾄﾚｲﾄ"));
  auto* gateLayout = new QGridLayout(gates);
  auto* normal = Named(new KeyboardScrollBar(Qt::Horizontal), "GateNormal");
  auto* mute = Named(new KeyboardScrollBar(Qt::Horizontal), "GateMute");
  binder_.Bind(normal, f.GateNormal);
  binder_.Bind(mute, f.GateMute);
  QLabel* normalCaption = Label(tr("Normal"));
  QLabel* muteCaption = Label(tr("Mute"));
  normalCaption->setBuddy(normal);
  muteCaption->setBuddy(mute);
  gateLayout->addWidget(normalCaption, 0, 0);
  gateLayout->addWidget(normal, 0, 1);
  gateLayout->addWidget(muteCaption, 1, 0);
  gateLayout->addWidget(mute, 1, 1);
  gateLayout->setColumnStretch(1, 1);

  auto* memPatten = Memo("memPatten", 4, true, true);
  memPatten->setAccessibleName(tr("パターン"));
  binder_.Bind(memPatten, f.memPatten);
  new MmlHighlighter(memPatten->document());
  // A clicked error that lies in the pattern is selected there: the code
  // point at Offset, counted as the model counts (a pair of UTF-16 surrogates
  // is one). A box already gone selects nothing.
  f.SelectInPattern = [box = QPointer<QPlainTextEdit>(memPatten)](std::int32_t Offset) {
    if (!box) return;
    const QString text = box->toPlainText();
    qsizetype at = 0;
    for (std::int32_t k = 0; k < Offset && at < text.size(); ++k) at += text[at].isHighSurrogate() ? 2 : 1;
    const qsizetype end = std::min(text.size(), at + (at < text.size() && text[at].isHighSurrogate() ? 2 : 1));
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(static_cast<int>(std::min(at, text.size())));
    cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
    box->window()->activateWindow();
    box->setFocus();
  };

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(memRythm);
  layout->addLayout(weights);
  layout->addWidget(gates);
  layout->addWidget(memPatten, 1);
  return page;
}

QWidget* MainWindow::BasicPage() {
  TForm1& f = form_;
  auto* page = new QWidget;
  auto* grid = new QGridLayout;
  const auto numeric = [this](NumericSetting& field, const char* name) {
    auto* edit = Named(new NumericEdit, name);
    binder_.Bind(edit, field);
    return edit;
  };
  const auto row = [](std::initializer_list<QWidget*> widgets) {
    auto* line = new QHBoxLayout;
    for (QWidget* w : widgets) line->addWidget(w);
    line->addStretch();
    return line;
  };

  // Each field is named for a screen reader by its row's label (its buddy),
  // or, where a row holds two, by a name of its own.
  const auto caption = [](QLabel* label, QWidget* field) {
    label->setBuddy(field);
    return label;
  };
  const auto named = [](QWidget* field, const QString& name) {
    field->setAccessibleName(name);
    return field;
  };
  NumericEdit* speOnpu = numeric(f.speOnpu, "speOnpu");
  grid->addWidget(caption(Label(tr("基本音符")), speOnpu), 0, 0);
  grid->addLayout(row({speOnpu, Label(tr("分音符を")), named(numeric(f.speLength, "speLength"), tr("基本音符の数")),
                       Label(tr("個"))}),
                  0, 1);
  grid->addWidget(Label(tr("音域")), 1, 0);
  grid->addLayout(row({named(numeric(f.speOlow, "speOlow"), tr("音域の下限")), Label(tr("～")),
                       named(numeric(f.speOhigh, "speOhigh"), tr("音域の上限"))}),
                  1, 1);
  NumericEdit* seTempo = numeric(f.seTempo, "seTempo");
  grid->addWidget(caption(Label(tr("テンポ")), seTempo), 2, 0);
  grid->addLayout(row({seTempo}), 2, 1);

  auto* lblVoiceRnd = new ClickableLabel(tr("音色"), [this, &f] { binder_.Run([&f] { f.lblVoiceRndClick(); }); });
  lblVoiceRnd->setObjectName(QStringLiteral("lblVoiceRnd"));
  auto* cmbVoiceList = Named(new QComboBox, "cmbVoiceList");
  cmbVoiceList->setMaxVisibleItems(24);
  binder_.Bind(cmbVoiceList, f.cmbVoiceList, [&f] { f.cmbVoiceListClick(); });
  NumericEdit* seVoice = numeric(f.seVoice, "seVoice");
  grid->addWidget(caption(lblVoiceRnd, seVoice), 3, 0);
  grid->addLayout(row({seVoice, cmbVoiceList}), 3, 1);
  NumericEdit* seVel = numeric(f.seVel, "seVel");
  grid->addWidget(caption(Label(tr("Velocity")), seVel), 4, 0);
  grid->addLayout(row({seVel}), 4, 1);

  auto* memOption = Memo("memOption", 2, false);
  binder_.Bind(memOption, f.memOption);
  grid->addWidget(caption(Label(tr("オプション")), memOption), 5, 0, Qt::AlignTop);
  grid->addWidget(memOption, 5, 1);

  const auto randomRow = [&](bool& on, NumericSetting& amount, const char* caption, const char* switchName,
                             const char* amountName) {
    auto* box = Named(new QCheckBox(QString::fromLatin1(caption)), switchName);
    binder_.Bind(box, on);
    return row({box, named(numeric(amount, amountName), QString::fromLatin1(caption))});
  };
  auto* randoms = new QVBoxLayout;
  randoms->addLayout(randomRow(f.chkRndVel, f.seRndVal, "RNDV", "chkRndVel", "seRndVal"));
  randoms->addLayout(randomRow(f.chkRNDN, f.seRNDN, "RNDN", "chkRNDN", "seRNDN"));
  randoms->addLayout(randomRow(f.chkRNDB, f.seRNDB, "RNDB", "chkRNDB", "seRNDB"));
  grid->addLayout(randoms, 6, 1);
  NumericEdit* bendRange = numeric(f.edtBendRange, "edtBendRange");
  grid->addWidget(caption(Label(tr("ベンドレンジ")), bendRange), 7, 0);
  grid->addLayout(row({bendRange}), 7, 1);
  grid->setColumnStretch(1, 1);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(grid);
  layout->addStretch();
  return page;
}

QWidget* MainWindow::SongPage() {
  TForm1& f = form_;
  auto* page = new QWidget;

  auto* copyRow = new QHBoxLayout;
  auto* seCopyTo = Named(new NumericEdit, "seCopyTo");
  binder_.Bind(seCopyTo, f.seCopyTo);
  auto* copy = NamedButton(tr("コピーする"), "Button1");
  binder_.OnClick(copy, [&f] { f.Button1Click(); });
  QLabel* copyCaption = Label(tr("今編集中のパターンを"));
  copyCaption->setBuddy(seCopyTo);
  copyRow->addWidget(copyCaption);
  copyRow->addWidget(seCopyTo);
  copyRow->addWidget(Label(tr("番に")));
  copyRow->addWidget(copy);
  copyRow->addStretch();

  auto* songBox = new QGroupBox(tr("連続再生"));
  auto* songLayout = new QGridLayout(songBox);
  auto* lstSong = Named(new QListWidget, "lstSong");
  binder_.Show(lstSong, f.lstSong);
  auto* editSong = Named(new QLineEdit, "editSong");
  binder_.Bind(editSong, f.editSong);
  connect(editSong, &QLineEdit::returnPressed, &binder_, [this, &f] { binder_.Run([&f] { f.SongPBtnClick(); }); });
  auto* add = NamedButton(tr("追加"), "SongPBtn");
  binder_.OnClick(add, [&f] { f.SongPBtnClick(); });
  auto* clear = NamedButton(tr("リストクリア"), "SongClearBtn");
  binder_.OnClick(clear, [&f] { f.SongClearBtnClick(); });
  auto* undo = NamedButton(tr("元に戻す"), "UndoSong1");
  undo->setToolTip(tr("スロットへのコピーやリストクリアを取り消します"));
  binder_.OnClick(undo, [&f] { f.UndoSong1Click(); });
  binder_.OnRefresh([undo, &f] { undo->setEnabled(f.CanUndoSong()); });
  auto* repeat = Named(new QCheckBox(tr("x4 Repeat")), "chkRepeat");
  binder_.Bind(repeat, f.chkRepeat);

  auto* side = new QVBoxLayout;
  side->addWidget(clear);
  side->addWidget(undo);
  side->addWidget(editSong);
  side->addWidget(add);
  side->addStretch();
  side->addWidget(repeat);
  QLabel* songCaption = Label(tr("パターン演奏リスト"));
  lstSong->setAccessibleName(songCaption->text());  // a list's name does not come from a buddy
  songLayout->addWidget(songCaption, 0, 0);
  songLayout->addWidget(lstSong, 1, 0);
  songLayout->addLayout(side, 1, 1);
  songLayout->setColumnStretch(0, 1);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(copyRow);
  layout->addWidget(songBox, 1);
  return page;
}

}  // namespace vlm::ui
