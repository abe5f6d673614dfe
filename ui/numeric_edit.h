#pragma once
// A numeric field with up and down buttons whose text belongs to the model
// (vlm::NumericSetting): the user may type digits, a sign or nothing at all;
// the buttons step the model's value, and leaving the field lets the model
// clamp it.

#include <QAbstractSpinBox>
#include <functional>

namespace vlm::ui {

class NumericEdit : public QAbstractSpinBox {
  Q_OBJECT

 public:
  explicit NumericEdit(QWidget* parent = nullptr);

  QLineEdit* Editor() const { return lineEdit(); }  // where the user types

  // Shows a text from the model without reporting it back.
  void ShowText(const QString& text);

  std::function<void(int steps)> OnStep;  // an up (+) or down (-) press or key

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;

 protected:
  StepEnabled stepEnabled() const override;
  QSize sizeHint() const override;

 signals:
  void TextEdited(const QString& text);  // typed by the user
};

}  // namespace vlm::ui
