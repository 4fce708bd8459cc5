// An edit field with its label above it; enabling or disabling the whole
// widget greys both.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace morvatex {

class LabeledEdit final : public QWidget {
  Q_OBJECT

 public:
  explicit LabeledEdit(const QString& label, QWidget* parent = nullptr);

  QLabel* Label() const { return label_; }
  QLineEdit* Edit() const { return edit_; }

 private:
  QLabel* label_;
  QLineEdit* edit_;
};

}  // namespace morvatex
