#include "ui/binder.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStringList>
#include <QTextCursor>
#include <new>
#include <utility>

#include "ui/numeric_edit.h"

namespace vlm::ui {

namespace {

QString Utf8(const std::string& s) { return QString::fromStdString(s); }

QStringList ToQt(const std::vector<std::string>& items) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(items.size()));
  for (const auto& item : items) list << Utf8(item);
  return list;
}

QStringList Items(const QComboBox* box) {
  QStringList list;
  for (int i = 0; i < box->count(); ++i) list << box->itemText(i);
  return list;
}

QStringList Items(const QListWidget* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

}  // namespace

std::string ModelText(const QString& shown) {
  QString text = shown;
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text.toStdString();
}

QString ShownText(const std::string& model) {
  QString text = Utf8(model);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

void RunGuarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::bad_alloc&) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vorlumi3"),
                    QStringLiteral("Out of memory: the command was stopped. A smaller phrase, song or file may "
                                   "fit; the program goes on."),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
  }
}

Binder::Binder(std::function<void()> changed) : changed_(std::move(changed)) {}

void Binder::Run(const std::function<void()>& handler) {
  RunGuarded(handler);
  if (changed_) changed_();
}

void Binder::Refresh() const {
  for (const auto& refresh : refreshers_) refresh();
}

void Binder::Bind(QScrollBar* bar, ScrollBar& field) {
  bar->setRange(field.Min(), field.Max());
  QObject::connect(bar, &QScrollBar::valueChanged, this,
                   [this, &field](int position) { Run([&field, position] { field.SetPosition(position); }); });
  refreshers_.push_back([bar, &field] {
    const QSignalBlocker block(bar);
    bar->setValue(field.Position());
    bar->setToolTip(Utf8(field.Hint));
  });
}

void Binder::Bind(NumericEdit* edit, NumericSetting& field) {
  QObject::connect(edit, &NumericEdit::TextEdited, this,
                   [this, &field](const QString& text) { Run([&field, text] { field.SetText(text.toStdString()); }); });
  QObject::connect(edit, &QAbstractSpinBox::editingFinished, this, [this, &field] { Run([&field] { field.Leave(); }); });
  edit->OnStep = [this, &field](int steps) {
    Run([&field, steps] { field.SetValue(static_cast<std::int32_t>(std::clamp<std::int64_t>(
                              std::int64_t{field.Value()} + steps, INT32_MIN, INT32_MAX))); });
  };
  refreshers_.push_back([edit, &field] { edit->ShowText(Utf8(field.Text())); });
}

void Binder::Bind(QPlainTextEdit* edit, std::string& field) {
  QObject::connect(edit, &QPlainTextEdit::textChanged, this,
                   [this, edit, &field] { Run([edit, &field] { field = ModelText(edit->toPlainText()); }); });
  refreshers_.push_back([edit, &field, started = false]() mutable {
    const QString text = ShownText(field);
    const bool first = !std::exchange(started, true);
    if (edit->toPlainText() == text) return;
    const QSignalBlocker block(edit);
    // The first showing is the box's start and leaves nothing to undo.
    if (first) {
      edit->setPlainText(text);
      return;
    }
    // A change the program makes goes through the box's undo stack as one
    // step, so that Ctrl+Z in the box brings back the text before it.
    QTextCursor cursor(edit->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.endEditBlock();
  });
}

void Binder::Bind(QLineEdit* edit, std::string& field) {
  QObject::connect(edit, &QLineEdit::textEdited, this,
                   [this, &field](const QString& text) { Run([&field, text] { field = text.toStdString(); }); });
  refreshers_.push_back([edit, &field] {
    const QString text = Utf8(field);
    if (edit->text() == text) return;
    const QSignalBlocker block(edit);
    edit->setText(text);
  });
}

void Binder::Bind(QComboBox* box, ChoiceList& field, std::function<void()> choose) {
  QObject::connect(box, &QComboBox::activated, this, [this, &field, choose](int index) {
    Run([&field, choose, index] {
      field.SetItemIndex(index);
      if (choose) choose();
    });
  });
  refreshers_.push_back([box, &field] {
    const QSignalBlocker block(box);
    const QStringList items = ToQt(field.Items);
    if (Items(box) != items) {
      box->clear();
      box->addItems(items);
    }
    box->setCurrentIndex(field.ItemIndex());
  });
}

void Binder::Bind(QCheckBox* box, bool& field) {
  QObject::connect(box, &QCheckBox::toggled, this, [this, &field](bool on) { Run([&field, on] { field = on; }); });
  refreshers_.push_back([box, &field] {
    const QSignalBlocker block(box);
    box->setChecked(field);
  });
}

void Binder::Show(QListWidget* list, const std::vector<std::string>& field) {
  refreshers_.push_back([list, &field] {
    const QStringList items = ToQt(field);
    if (Items(list) == items) return;
    list->clear();
    list->addItems(items);
    list->scrollToBottom();
  });
}

void Binder::OnClick(QAbstractButton* button, std::function<void()> handler) {
  QObject::connect(button, &QAbstractButton::clicked, this, [this, handler] { Run(handler); });
}

void Binder::OnTrigger(QAction* action, std::function<void()> handler) {
  QObject::connect(action, &QAction::triggered, this, [this, handler] { Run(handler); });
}

void Binder::OnRefresh(std::function<void()> show) { refreshers_.push_back(std::move(show)); }

}  // namespace vlm::ui
