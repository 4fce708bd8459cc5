#include "gui/LabeledEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace morvatex {

LabeledEdit::LabeledEdit(const QString& label, QWidget* parent)
    : QWidget(parent), label_(new QLabel(label, this)), edit_(new QLineEdit(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(label_);
  layout->addWidget(edit_);
  label_->setBuddy(edit_);
}

}  // namespace morvatex
