#include "ui/roll_pane.h"

#include <QAction>
#include <QBoxLayout>
#include <QDrag>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QUrl>

#include "app/phrase_handover.h"
#include "common/text_file.h"
#include "common/warning.h"
#include "roll/text_span.h"
#include "ui/main_window.h"
#include "ui/mml_roll_window.h"
#include "ui/piano_roll_widget.h"
#include "ui/roll_texts.h"
#include "ui/source_editor.h"

namespace vlm::ui {

namespace {

// Code points before a QString position, as source columns count them.
std::int32_t CodePointsBefore(const QString& text, int position) {
  std::int32_t points = 0;
  for (int i = 0; i < position && i < text.size(); ++i) points += !text[i].isLowSurrogate();
  return points;
}

int PositionOfCodePoint(const QString& text, std::int32_t points) {
  int at = 0;
  for (std::int32_t k = 0; k < points && at < text.size(); ++k) at += text[at].isHighSurrogate() ? 2 : 1;
  return std::min<int>(at, static_cast<int>(text.size()));
}

}  // namespace

RollPane::RollPane(MainWindow& main, TForm1& form, const MediaPlayer* player)
    : QObject(&main), main_(main), form_(form), roll_(new PianoRollWidget) {
  roll_->SetPlayer(player, [this] { return form_.PhraseFileName; });
  // The pages and the roll share what the window grows by: both take the
  // width, and the height goes three parts to the pages (their pattern box)
  // to one for the roll, the proportion they open with.
  auto* layout = qobject_cast<QBoxLayout*>(main.centralWidget()->layout());
  layout->setSizeConstraint(QLayout::SetDefaultConstraint);
  main.Pages()->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  layout->setStretchFactor(main.Pages(), 3);
  layout->addWidget(roll_, 1);
  main.setMinimumSize(main.sizeHint());
  main.resize(main.sizeHint().width(), main.sizeHint().height() + 120);

  show_ = new QAction(RollText(roll_texts::PaneMenu), &main);
  show_->setObjectName(QStringLiteral("PianoRoll1"));
  show_->setCheckable(true);
  show_->setChecked(true);
  connect(show_, &QAction::toggled, roll_, [this](bool on) {
    roll_->setVisible(on);
    main_.setMinimumSize(main_.centralWidget()->layout()->minimumSize());
    if (!on) main_.adjustSize();
  });
  if (QMenu* tools = main.MenuHolding(QStringLiteral("MessageView1"))) tools->addAction(show_);

  auto* open = new QAction(RollText(roll_texts::OpenMmlMenu), &main);
  openMml_ = open;
  open->setObjectName(QStringLiteral("OpenMml1"));
  connect(open, &QAction::triggered, this, &RollPane::OpenMmlFile);
  if (QMenu* file = main.MenuHolding(QStringLiteral("Open1"))) {
    const QList<QAction*> entries = file->actions();
    const auto openEntry = std::find_if(entries.begin(), entries.end(),
                                        [](QAction* a) { return a->objectName() == QLatin1String("Open1"); });
    file->insertAction(openEntry + 1 < entries.end() ? *(openEntry + 1) : nullptr, open);
    // Beside "Save As MML", which writes the same file.
    auto* edit = new QAction(RollText(roll_texts::EditAsMmlMenu), &main);
    edit->setObjectName(QStringLiteral("EditAsMml1"));
    connect(edit, &QAction::triggered, this, &RollPane::AskEditPhraseAsMml);
    const QList<QAction*> now = file->actions();
    const auto saveMml = std::find_if(now.begin(), now.end(),
                                      [](QAction* a) { return a->objectName() == QLatin1String("SaveAsMML1"); });
    file->insertAction(saveMml != now.end() && saveMml + 1 < now.end() ? *(saveMml + 1) : nullptr, edit);
  }

  pattern_ = main.findChild<QPlainTextEdit*>(QStringLiteral("memPatten"));
  connect(roll_, &PianoRollWidget::NoteClicked, this, &RollPane::SelectNoteText);
  connect(roll_, &PianoRollWidget::DragRequested, this, &RollPane::DragPhrase);
  connect(roll_, &PianoRollWidget::PlayheadMoved, this, &RollPane::MarkSounding);
  if (pattern_) connect(pattern_, &QPlainTextEdit::cursorPositionChanged, this, &RollPane::HighlightAtCaret);
}

void RollPane::Refresh() {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(form_.PhraseFileName, error);
  if (error || (time == shownTime_ && form_.LastSource == shownSource_)) return;
  shownTime_ = time;
  shownSource_ = form_.LastSource;
  Reload();
}

// Reads the phrase file the last compile wrote. A map is used only when that
// compile made it from a phrase (not a song or a file).
void RollPane::Reload() {
  const auto bytes = ReadFileBytes(form_.PhraseFileName);
  if (!bytes) return;
  const SourceMap* map = form_.LastMap ? &*form_.LastMap : nullptr;
  roll::RollModel model;
  try {
    model = roll::RollModel::FromMidi(*bytes, map, form_.edtBendRange.ClampedValue());
  } catch (const roll::SmfReadError&) {
    return;  // a file being rewritten; the next refresh reads it whole
  }
  std::array<std::int32_t, 12> weights{};
  for (int k = 1; k <= 12; ++k) weights[static_cast<std::size_t>(k - 1)] = form_.Scl(k).Position();
  model.ScaleWeights = weights;

  compiledPattern_ = map ? form_.CompiledPattern() : std::string();
  patternOrigins_.clear();
  const std::vector<std::string>& lines = form_.LastSource;
  for (const roll::RollNote& note : model.Notes()) {
    const std::int32_t offset = note.At ? form_.PatternOffsetOf(lines, *note.At) : -1;
    patternOrigins_.push_back(offset >= 0 ? SourceOrigin{0, 1, offset + 1} : SourceOrigin{});
  }
  model.MarkSteps(form_.memRythm, form_.speLength.ClampedValue(), compiledPattern_,
                  [&](const SourceOrigin& at) { return form_.PatternOffsetOf(lines, at); });
  roll_->SetModel(std::move(model));
  HighlightAtCaret();
}

// The command in the pattern box that made the note; none when the note
// came from elsewhere or the box no longer holds the text that was compiled.
std::optional<QTextCursor> RollPane::NoteText(std::size_t note) const {
  if (!pattern_ || note >= patternOrigins_.size() || patternOrigins_[note].Line == 0) return std::nullopt;
  const QString text = pattern_->toPlainText();
  if (text.toStdString() != compiledPattern_) return std::nullopt;
  const std::int32_t offset = patternOrigins_[note].Column - 1;
  const std::int32_t length = std::max(1, roll::CommandLengthAt(compiledPattern_, offset));
  QTextCursor cursor = pattern_->textCursor();
  cursor.setPosition(PositionOfCodePoint(text, offset));
  cursor.setPosition(PositionOfCodePoint(text, offset + length), QTextCursor::KeepAnchor);
  return cursor;
}

void RollPane::SelectNoteText(std::size_t note) {
  const std::optional<QTextCursor> cursor = NoteText(note);
  if (!cursor) return;
  pattern_->setTextCursor(*cursor);
  pattern_->setFocus();
  roll_->SetHighlighted(roll::IndicesAtCaret(patternOrigins_, patternOrigins_[note]));
}

// While the phrase plays, the text of every note sounding is marked in the
// pattern box; a note of the phrase's loop marks its one place.
void RollPane::MarkSounding() {
  if (!pattern_) return;
  QList<QTextEdit::ExtraSelection> marks;
  if (const std::optional<std::int64_t> tick = roll_->PlayheadTick())
    for (const std::size_t k : roll_->Model().NotesSoundingAt(*tick))
      if (const std::optional<QTextCursor> cursor = NoteText(k)) marks.append({*cursor, SoundingFormat(*pattern_)});
  pattern_->setExtraSelections(marks);
}

void RollPane::HighlightAtCaret() {
  if (!pattern_) return;
  const QString text = pattern_->toPlainText();
  if (compiledPattern_.empty() || text.toStdString() != compiledPattern_) {
    roll_->SetHighlighted({});
    return;
  }
  const QTextCursor cursor = pattern_->textCursor();
  // A selection made by a click on a note keeps that note's highlight.
  const int position = cursor.hasSelection() ? cursor.selectionStart() + 1 : cursor.position();
  roll_->SetHighlighted(roll::IndicesAtCaret(patternOrigins_, {0, 1, CodePointsBefore(text, position) + 1}));
}

void RollPane::OpenMmlFile() {
  const QString name = QFileDialog::getOpenFileName(&main_, RollText(roll_texts::OpenMmlTitle), QString(),
                                                    RollText(roll_texts::MmlFilter));
  if (!name.isEmpty()) OpenMmlWindow(name.toStdString());
}

void RollPane::AskEditPhraseAsMml() {
  const QString name = QFileDialog::getSaveFileName(&main_, RollText(roll_texts::EditAsMmlTitle), QString(),
                                                    RollText(roll_texts::MmlFilter));
  if (!name.isEmpty()) EditPhraseAsMml(name.toStdString());
}

// A write that fails has been told by the compile; no window opens then
// (not even on an older file of that name).
void RollPane::EditPhraseAsMml(const std::string& fileName) {
  form_.MmlFileName = fileName;
  form_.Compile1Click();
  Refresh();
  if (ReadFileBytes(fileName) == JoinLinesCrLf(form_.LastSource)) OpenMmlWindow(fileName);
}

void RollPane::OpenMmlWindow(const std::string& fileName) {
  auto* window = new MmlRollWindow(form_.Player());
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->OpenFile(fileName);
  window->show();
  emit MmlFileOpened(QString::fromStdString(fileName));
}

// The next compile replaces the phrase file: a copy is handed over.
QMimeData* RollPane::PhraseMimeData() const {
  if (roll_->Model().Notes().empty()) return nullptr;
  const HandedPhrase phrase = HandOverPhrase(form_.PhraseFileName, form_.DrawSeed, HandOverFolder());
  if (!phrase.Failure.empty()) {
    ShowWarning(phrase.Failure);
    return nullptr;
  }
  auto* mime = new QMimeData;
  mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(phrase.Path))});
  mime->setData(QStringLiteral("audio/midi"), QByteArray::fromStdString(phrase.Bytes));
  return mime;
}

// Only a copy is offered: the phrase stays where it is.
void RollPane::DragPhrase() {
  QMimeData* mime = PhraseMimeData();
  if (!mime) return;
  auto* drag = new QDrag(roll_);
  drag->setMimeData(mime);
  drag->exec(Qt::CopyAction);
}

}  // namespace vlm::ui
