#include "ui/numeric_edit.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>

namespace vlm::ui {

NumericEdit::NumericEdit(QWidget* parent) : QAbstractSpinBox(parent) {
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  setKeyboardTracking(true);
  connect(lineEdit(), &QLineEdit::textEdited, this, &NumericEdit::TextEdited);
}

void NumericEdit::ShowText(const QString& text) {
  if (lineEdit()->text() == text) return;
  const QSignalBlocker block(lineEdit());
  lineEdit()->setText(text);
}

void NumericEdit::stepBy(int steps) {
  if (OnStep) OnStep(steps);
}

// Digits with an optional leading sign, or nothing: what the model reads as
// a number or as "not a number" (its minimum).
QValidator::State NumericEdit::validate(QString& input, int&) const {
  static const QRegularExpression allowed(QStringLiteral("^[-+]?[0-9]*$"));
  return allowed.match(input).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled NumericEdit::stepEnabled() const { return StepUpEnabled | StepDownEnabled; }

QSize NumericEdit::sizeHint() const {
  QSize size = QAbstractSpinBox::sizeHint();
  size.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 40);
  return size;
}

}  // namespace vlm::ui
