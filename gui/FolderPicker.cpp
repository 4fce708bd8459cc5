#include "gui/FolderPicker.h"

#include <QLineEdit>
#include <QPushButton>

#include "gui/Dialogs.h"

namespace morvatex {

void ConnectFolderPicker(QPushButton* picker, QLineEdit* field, Dialogs& dialogs) {
  picker->setText(QStringLiteral("..."));
  picker->setToolTip(QStringLiteral("Ordner wählen"));
  picker->setAutoDefault(false);  // Enter in an edit field closes nothing
  picker->setFixedWidth(picker->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
  QObject::connect(picker, &QPushButton::clicked, field, [field, &dialogs] {
    const QString chosen = dialogs.ChooseFolder(field->text());
    if (!chosen.isEmpty()) field->setText(chosen);
  });
}

}  // namespace morvatex
