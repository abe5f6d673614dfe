#include "ui/mml_roll_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "common/text_file.h"
#include "common/xdg_dirs.h"
#include "roll/roll_model.h"
#include "roll/text_span.h"
#include "ui/mml_highlighter.h"
#include "ui/piano_roll_widget.h"
#include "ui/roll_texts.h"
#include "ui/source_editor.h"

namespace vlm::ui {

namespace {

// Where the text is played from: a copy of our own, so that no file of the
// user's is written over.
std::string PlayCopy() {
  const std::string data = UserDataDirectory();
  return (data.empty() ? QDir::tempPath().toStdString() + "/vorlumi3-" : data) + "mml-window.mid";
}

int PositionOfCodePoint(const QString& text, std::int32_t points) {
  int at = 0;
  for (std::int32_t k = 0; k < points && at < text.size(); ++k) at += text[at].isHighSurrogate() ? 2 : 1;
  return std::min<int>(at, static_cast<int>(text.size()));
}

}  // namespace

MmlRollWindow::MmlRollWindow(MediaPlayer* player, QWidget* parent)
    : QWidget(parent, Qt::Window),
      source_(new SourceEditor),
      roll_(new PianoRollWidget),
      errors_(new QListWidget),
      player_(player) {
  setObjectName(QStringLiteral("MmlRollWindow"));
  source_->setObjectName(QStringLiteral("MmlSource"));
  source_->setLineWrapMode(QPlainTextEdit::NoWrap);
  source_->setFont(QFont(QStringLiteral("monospace")));
  new MmlHighlighter(source_->document());
  errors_->setObjectName(QStringLiteral("MmlErrors"));
  source_->setAccessibleName(RollText(roll_texts::SourceName));
  errors_->setAccessibleName(RollText(roll_texts::ErrorsName));

  auto* buttons = new QHBoxLayout;
  const auto button = [this, buttons](const char* text, const char* name, const QKeySequence& key, auto action) {
    auto* made = new QPushButton(RollText(text));
    made->setObjectName(QString::fromLatin1(name));
    made->setShortcut(key);
    connect(made, &QPushButton::clicked, this, action);
    buttons->addWidget(made);
    return made;
  };
  button(roll_texts::Recompile, "Recompile", QKeySequence(Qt::Key_F9), [this] { Recompile(); });
  button(roll_texts::Save, "SaveMml", QKeySequence::Save, [this] { Save(); });
  button(roll_texts::Play, "PlayMml", QKeySequence(Qt::CTRL | Qt::Key_P), [this] { Play(); })
      ->setEnabled(player_ != nullptr);
  button(roll_texts::PlayFromCaret, "PlayMmlFromCaret", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
         [this] { PlayFromCaret(); })
      ->setEnabled(player_ != nullptr);
  button(roll_texts::Stop, "StopMml", QKeySequence(Qt::Key_Escape), [this] { Stop(); })
      ->setEnabled(player_ != nullptr);
  buttons->addStretch(1);
  // Ctrl+W closes the window, as in editors; unsaved edits are asked about.
  auto* closeWindow = new QAction(this);
  closeWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
  closeWindow->setShortcutContext(Qt::WindowShortcut);
  connect(closeWindow, &QAction::triggered, this, &QWidget::close);
  addAction(closeWindow);
  const auto key = [this](const QKeySequence& sequence, auto action) {
    auto* made = new QAction(this);
    made->setShortcut(sequence);
    made->setShortcutContext(Qt::WindowShortcut);
    connect(made, &QAction::triggered, this, action);
    addAction(made);
  };
  key(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { AskFind(); });
  key(QKeySequence(Qt::Key_F3), [this] { FindAgain(false); });
  key(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { FindAgain(true); });
  key(QKeySequence(Qt::CTRL | Qt::Key_G), [this] { AskLine(); });
  roll_->SetPlayer(player_, [] { return PlayCopy(); });

  connect(source_->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &MmlRollWindow::FileChanged);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &MmlRollWindow::FileChanged);
  backupTimer_.setSingleShot(true);
  backupTimer_.setInterval(BackupDelayMs);
  connect(&backupTimer_, &QTimer::timeout, this, &MmlRollWindow::KeepEdits);
  connect(source_->document(), &QTextDocument::contentsChanged, &backupTimer_, [this] {
    if (!backupTimer_.isActive()) backupTimer_.start();
  });
  followTimer_.setSingleShot(true);
  followTimer_.setInterval(FollowDelayMs);
  connect(&followTimer_, &QTimer::timeout, this, &MmlRollWindow::FollowEditsInLoop);
  connect(source_->document(), &QTextDocument::contentsChanged, &followTimer_, qOverload<>(&QTimer::start));

  auto* sides = new QSplitter(Qt::Horizontal);
  sides->addWidget(source_);
  sides->addWidget(roll_);
  sides->setStretchFactor(1, 2);
  sides->setSizes({380, 620});
  auto* vertical = new QSplitter(Qt::Vertical);
  vertical->addWidget(sides);
  vertical->addWidget(errors_);
  vertical->setStretchFactor(0, 4);
  vertical->setSizes({440, 80});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(vertical, 1);
  resize(1000, 600);

  // A click selects the note's text and highlights every note that text made.
  connect(roll_, &PianoRollWidget::NoteClicked, this, [this](std::size_t note) {
    const std::optional<SourceOrigin> at = roll_->Model().Notes()[note].At;
    if (!at) return;
    SelectOrigin(*at);
    roll_->SetHighlighted(roll_->Model().NotesMadeAt(*at));
  });
  connect(errors_, &QListWidget::currentRowChanged, this, &MmlRollWindow::ErrorChosen);
  connect(source_, &QPlainTextEdit::cursorPositionChanged, this, &MmlRollWindow::HighlightAtCaret);
  connect(roll_, &PianoRollWidget::PlayheadMoved, this, &MmlRollWindow::MarkSounding);
}

void MmlRollWindow::OpenFile(const std::string& fileName) {
  fileName_ = fileName;
  setWindowTitle(QString::fromStdString(std::filesystem::path(fileName).filename().string()) +
                 QStringLiteral("[*]"));
  const auto bytes = ReadFileBytes(fileName);
  const auto text = ReadTextFile(fileName);
  if (!bytes || !text) {
    errors_->clear();
    errorOrigins_.assign(1, SourceOrigin{});
    errors_->addItem(RollText(roll_texts::CannotRead).arg(QString::fromStdString(fileName)));
    return;
  }
  loaded_ = true;
  onDisk_ = *bytes;
  Load(*text);
  const std::string data = UserDataDirectory();
  backup_ = EditBackup(data.empty() ? "" : data + "unsaved", fileName);
  OfferKeptEdits();
  Recompile();
  Watch();
}

// Edits a crash left behind come back only when the user says so; declined,
// they are dropped.
void MmlRollWindow::OfferKeptEdits() {
  const auto kept = backup_.Pending(source_->toPlainText().toStdString());
  if (!kept) return;
  const QString name = QFileInfo(QString::fromStdString(fileName_)).fileName();
  if (QMessageBox::question(this, name, RollText(roll_texts::RestoreEdits).arg(name)) != QMessageBox::Yes) {
    backup_.Drop();
    return;
  }
  source_->setPlainText(QString::fromStdString(*kept));
  source_->document()->setModified(true);
}

// Edits not saved are kept aside; once saved or undone, the copy goes.
void MmlRollWindow::KeepEdits() {
  if (!source_->document()->isModified()) {
    backup_.Drop();
    return;
  }
  if (const auto failure = backup_.Keep(source_->toPlainText().toStdString()))
    std::fprintf(stderr, "vorlumi3: edits could not be kept aside: %s\n", failure->c_str());
}

// The pane holds lines ended by LF alone; the file's CR LF comes back on saving.
void MmlRollWindow::Load(const std::string& text) {
  crLf_ = text.find("\r\n") != std::string::npos;
  QString lines = QString::fromStdString(text);
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  source_->setPlainText(lines);
  source_->document()->setModified(false);
}

// Both the file and its folder are watched: an editor that saves by writing
// a new file and renaming it over the old one ends the watch on the file.
void MmlRollWindow::Watch() {
  const QString file = QString::fromStdString(fileName_);
  const QString folder = QString::fromStdString(std::filesystem::path(fileName_).parent_path().string());
  if (!watcher_.files().contains(file) && QFileInfo::exists(file)) watcher_.addPath(file);
  if (!folder.isEmpty() && !watcher_.directories().contains(folder)) watcher_.addPath(folder);
}

// A change of the file's bytes from outside is loaded and compiled; over
// unsaved edits made here only when the user says so. A file that is gone
// for the moment (an editor between writing and renaming) changes nothing.
void MmlRollWindow::FileChanged() {
  Watch();
  const auto bytes = ReadFileBytes(fileName_);
  if (!bytes || *bytes == onDisk_) return;
  onDisk_ = *bytes;
  const QString name = QFileInfo(QString::fromStdString(fileName_)).fileName();
  if (source_->document()->isModified() &&
      QMessageBox::question(this, name, RollText(roll_texts::ChangedOnDisk).arg(name)) != QMessageBox::Yes)
    return;
  const auto text = ReadTextFile(fileName_);
  if (!text) return;
  const int line = source_->textCursor().blockNumber();
  Load(*text);
  const QTextBlock block = source_->document()->findBlockByNumber(line);
  if (block.isValid()) source_->setTextCursor(QTextCursor(block));
  Recompile();
}

// A file that does not exist yet is made; one that exists but could not be
// read is never written over with the pane, which does not hold it.
bool MmlRollWindow::Save() {
  if (fileName_.empty()) return false;
  std::error_code ec;
  if (!loaded_ && std::filesystem::exists(fileName_, ec)) {
    QMessageBox::warning(this, windowTitle(),
                         RollText(roll_texts::CannotRead).arg(QString::fromStdString(fileName_)));
    return false;
  }
  QString text = source_->toPlainText();
  if (crLf_) text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  const std::string bytes = text.toStdString();
  if (const auto failure = WriteFileAtomically(fileName_, bytes)) {
    QMessageBox::warning(this, windowTitle(), RollText(roll_texts::SaveFailed).arg(QString::fromStdString(*failure)));
    return false;
  }
  onDisk_ = bytes;
  loaded_ = true;
  source_->document()->setModified(false);
  backup_.Drop();
  Watch();
  return true;
}

// Edits not saved are never dropped unasked.
void MmlRollWindow::closeEvent(QCloseEvent* event) {
  if (!source_->document()->isModified()) {
    event->accept();
    return;
  }
  const QString name = QFileInfo(QString::fromStdString(fileName_)).fileName();
  const auto answer = QMessageBox::question(this, name, RollText(roll_texts::AskSave).arg(name),
                                            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                            QMessageBox::Save);
  if (answer == QMessageBox::Discard || (answer == QMessageBox::Save && Save())) {
    backup_.Drop();
    event->accept();
  } else {
    event->ignore();
  }
}

// Includes are read beside the file; the MIDI file stays in memory.
void MmlRollWindow::Recompile() {
  CompileOptions options;
  options.SourceMap = true;
  options.Seed = 0;  // the same text draws the same random values at every compile
  options.IncludeDirectory = std::filesystem::path(fileName_).parent_path().string();
  CompileResult result = CompileMmlText(source_->toPlainText().toStdString(), options);
  midi_ = std::move(result.MidiBytes);
  errors_->clear();
  errorOrigins_.clear();
  const auto addRow = [this](const QString& text, const SourceOrigin& at) {
    errors_->addItem(text);
    errorOrigins_.push_back(at);
  };
  if (result.Failed()) addRow(RollText(roll_texts::CompileFailed).arg(QString::fromStdString(*result.Failure)), {});
  std::size_t errorIndex = 0;
  for (const std::string& message : result.Messages) {
    if (message.rfind("err(", 0) != 0) continue;
    const bool placed = result.Map && errorIndex < result.Map->Errors.size();
    addRow(QString::fromStdString(message), placed ? result.Map->Errors[errorIndex] : SourceOrigin{});
    ++errorIndex;
  }
  MarkErrors();
  compiledClean_ = errors_->count() == 0;
  if (compiledClean_) addRow(RollText(roll_texts::NoErrors), {});
  if (midi_.empty()) return;
  try {
    roll_->SetModel(roll::RollModel::FromMidi(midi_, result.Map ? &*result.Map : nullptr));
  } catch (const roll::SmfReadError& e) {
    addRow(RollText(roll_texts::NotMidi).arg(QString::fromUtf8(e.what())), {});
  }
  HighlightAtCaret();
}

void MmlRollWindow::Play() {
  if (!player_) return;
  Recompile();
  PlayFrom(0);
}

// A millionth of a second before the note, so that rounding never puts the
// start past the note-on it is meant to sound.
void MmlRollWindow::PlayFromCaret() {
  if (!player_) return;
  Recompile();
  std::optional<std::int64_t> first;
  for (const std::size_t k : roll_->Model().NotesAtCaret(CaretOrigin())) {
    const std::int64_t start = roll_->Model().Notes()[k].StartTick;
    if (!first || start < *first) first = start;
  }
  PlayFrom(first ? std::max(0.0, roll_->Model().SecondsAtTick(*first) - 1e-6) : 0);
}

// Plays the last compile's file from seconds.
void MmlRollWindow::PlayFrom(double seconds) {
  if (midi_.empty()) return;
  const std::string file = PlayCopy();
  player_->Close();  // lets go of the copy it may be playing before it is replaced
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
  if (const auto failure = WriteFileAtomically(file, midi_)) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(*failure));
    return;
  }
  try {
    player_->SetFileName(file);
    player_->Open();
    if (seconds > 0) player_->SetPosition(seconds);
    player_->Play();
  } catch (const MediaError& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromUtf8(e.what()));
  }
}

// Only while this window's text loops; an edit with errors is shown as any
// compile's errors are, and the loop plays on as it was.
void MmlRollWindow::FollowEditsInLoop() {
  const std::string file = PlayCopy();
  if (!player_ || !player_->Looping() || player_->GetMode() != MediaPlayer::Mode::Playing ||
      player_->OpenedFile() != file)
    return;
  Recompile();
  if (!compiledClean_ || midi_.empty() || WriteFileAtomically(file, midi_)) return;
  player_->QueueNextPass(file);
}

void MmlRollWindow::Stop() {
  if (player_) player_->Stop();
}

// Origins in included files are not in this pane.
std::optional<QTextCursor> MmlRollWindow::CursorAt(const SourceOrigin& origin) const {
  if (origin.File != 0 || origin.Line < 1) return std::nullopt;
  const QTextBlock block = source_->document()->findBlockByNumber(origin.Line - 1);
  if (!block.isValid()) return std::nullopt;
  const QString line = block.text();
  const std::int32_t column = origin.Column - 1;
  const std::int32_t length = std::max(1, roll::CommandLengthAt(line.toStdString(), column));
  QTextCursor cursor(block);
  cursor.setPosition(block.position() + PositionOfCodePoint(line, column));
  cursor.setPosition(block.position() + PositionOfCodePoint(line, column + length), QTextCursor::KeepAnchor);
  return cursor;
}

void MmlRollWindow::SelectOrigin(const SourceOrigin& origin) {
  const std::optional<QTextCursor> cursor = CursorAt(origin);
  if (!cursor) return;
  source_->setTextCursor(*cursor);
  source_->setFocus();
}

// Each error placed in this text is underlined where the compile stood.
void MmlRollWindow::MarkErrors() {
  QList<QTextEdit::ExtraSelection> marks;
  for (const SourceOrigin& origin : errorOrigins_) {
    const std::optional<QTextCursor> cursor = CursorAt(origin);
    if (!cursor) continue;
    QTextEdit::ExtraSelection mark;
    mark.cursor = *cursor;
    mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    mark.format.setUnderlineColor(Qt::red);
    marks.append(mark);
  }
  source_->SetErrorMarks(std::move(marks));
}

// While the text plays, the text of every note sounding at the playhead is
// marked, so that the ear finds its place in the text; a note a loop
// repeats marks its one place.
void MmlRollWindow::MarkSounding() {
  QList<QTextEdit::ExtraSelection> marks;
  if (const std::optional<std::int64_t> tick = roll_->PlayheadTick()) {
    for (const std::size_t k : roll_->Model().NotesSoundingAt(*tick)) {
      const std::optional<SourceOrigin>& at = roll_->Model().Notes()[k].At;
      if (const std::optional<QTextCursor> cursor = at ? CursorAt(*at) : std::nullopt)
        marks.append({*cursor, SoundingFormat(*this)});
    }
  }
  source_->SetSoundingMarks(std::move(marks));
}

void MmlRollWindow::ErrorChosen(int row) {
  if (row >= 0 && row < static_cast<int>(errorOrigins_.size())) SelectOrigin(errorOrigins_[static_cast<std::size_t>(row)]);
}

SourceOrigin MmlRollWindow::CaretOrigin() const {
  const QTextCursor cursor = source_->textCursor();
  const int position = cursor.hasSelection() ? cursor.selectionStart() + 1 : cursor.position();
  const QTextBlock block = source_->document()->findBlock(position);
  std::int32_t column = 1;
  const QString line = block.text();
  for (int i = 0; i < position - block.position() && i < line.size(); ++i) column += !line[i].isLowSurrogate();
  return {0, block.blockNumber() + 1, column};
}

void MmlRollWindow::HighlightAtCaret() { roll_->SetHighlighted(roll_->Model().NotesAtCaret(CaretOrigin())); }

bool MmlRollWindow::FindText(const QString& text, bool backwards) {
  if (text.isEmpty()) return false;
  const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  QTextCursor found = source_->document()->find(text, source_->textCursor(), flags);
  if (found.isNull()) {
    QTextCursor around(source_->document());
    if (backwards) around.movePosition(QTextCursor::End);
    found = source_->document()->find(text, around, flags);
  }
  if (found.isNull()) return false;
  source_->setTextCursor(found);
  return true;
}

void MmlRollWindow::GoToLine(int line) {
  const int last = source_->document()->blockCount();
  const QTextBlock block = source_->document()->findBlockByNumber(std::clamp(line, 1, last) - 1);
  source_->setTextCursor(QTextCursor(block));
  source_->centerCursor();
  source_->setFocus();
}

// Ctrl+F offers the selection, else what was sought last.
void MmlRollWindow::AskFind() {
  const QString selected = source_->textCursor().selectedText();
  bool ok = false;
  const QString text = QInputDialog::getText(this, RollText(roll_texts::FindTitle), RollText(roll_texts::FindPrompt),
                                             QLineEdit::Normal, selected.isEmpty() ? sought_ : selected, &ok);
  if (!ok || text.isEmpty()) return;
  sought_ = text;
  FindAgain(false);
}

void MmlRollWindow::FindAgain(bool backwards) {
  if (sought_.isEmpty()) {
    AskFind();
    return;
  }
  if (!FindText(sought_, backwards))
    QMessageBox::information(this, RollText(roll_texts::FindTitle), RollText(roll_texts::NotFound).arg(sought_));
}

void MmlRollWindow::AskLine() {
  const int last = source_->document()->blockCount();
  bool ok = false;
  const int line = QInputDialog::getInt(this, RollText(roll_texts::GoToLineTitle),
                                        RollText(roll_texts::GoToLinePrompt).arg(last),
                                        source_->textCursor().blockNumber() + 1, 1, last, 1, &ok);
  if (ok) GoToLine(line);
}

}  // namespace vlm::ui
