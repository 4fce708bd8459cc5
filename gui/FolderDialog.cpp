#include "gui/FolderDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "gui/Dialogs.h"
#include "gui/LabeledEdit.h"
#include "paint/QtText.h"
#include "batch/TargetPath.h"

namespace morvatex {
namespace {

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);  // Enter in an edit field closes nothing
  return button;
}

}  // namespace

TFormOrdner::TFormOrdner(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Tool),
      dialogs_(dialogs),
      quelle_(new LabeledEdit(QStringLiteral("Quellordner:"), this)),
      ziel_(new LabeledEdit(QStringLiteral("Zielordner:"), this)),
      regelGruppe_(new QGroupBox(QStringLiteral("Zielordner"), this)),
      regel_(new QButtonGroup(this)),
      hilfe_(Button("Button3", QStringLiteral("Hilfe"), this)),
      abbrechen_(Button("Button1", QStringLiteral("Abbrechen"), this)),
      speichern_(Button("Button2", QStringLiteral("Speichern"), this)) {
  setObjectName(QStringLiteral("FormOrdner"));
  setWindowTitle(QStringLiteral("Ordnereeinstellungen"));
  setModal(true);
  setFixedSize(496, 234);
  quelle_->setObjectName(QStringLiteral("LabeledEditQuelle"));
  ziel_->setObjectName(QStringLiteral("LabeledEditZiel"));
  regelGruppe_->setObjectName(QStringLiteral("RadioGroupZielordner"));

  auto* items = new QVBoxLayout(regelGruppe_);
  const QString captions[] = {QStringLiteral("(1) Zielordner = Ordner der Quelldatei"),
                              QStringLiteral("(2) Zielordner absolut"),
                              QStringLiteral("(3) Erstelle automatisch Unterordner im Zielordner")};
  for (int index = 0; index < 3; ++index) {
    auto* item = new QRadioButton(captions[index], regelGruppe_);
    regel_->addButton(item, index);
    items->addWidget(item);
  }

  auto* buttons = new QVBoxLayout;
  buttons->addStretch();
  buttons->addWidget(hilfe_);
  buttons->addWidget(abbrechen_);
  buttons->addWidget(speichern_);

  auto* layout = new QGridLayout(this);
  layout->addWidget(quelle_, 0, 0, 1, 2);
  layout->addWidget(ziel_, 1, 0, 1, 2);
  layout->addWidget(regelGruppe_, 2, 0);
  layout->addLayout(buttons, 2, 1);
  layout->setColumnStretch(0, 1);
  layout->setRowStretch(2, 1);

  connect(regel_, &QButtonGroup::idClicked, this, &TFormOrdner::Freigeben);
  connect(hilfe_, &QPushButton::clicked, this, &TFormOrdner::Button3Click);
  connect(abbrechen_, &QPushButton::clicked, this, &QDialog::reject);
  connect(speichern_, &QPushButton::clicked, this, &TFormOrdner::Button2Click);
}

void TFormOrdner::Fuellen(std::string_view quelle, std::string_view ziel, int zielordner) {
  quelle_->edit()->setText(ToQString(quelle));
  ziel_->edit()->setText(ToQString(ziel));
  if (QAbstractButton* item = regel_->button(zielordner)) {
    item->setChecked(true);
  } else {
    // An exclusive group refuses to uncheck its last checked item.
    regel_->setExclusive(false);
    for (QAbstractButton* button : regel_->buttons()) button->setChecked(false);
    regel_->setExclusive(true);
  }
  Freigeben();
}

std::string TFormOrdner::Quelle() const { return ToCp1252(quelle_->edit()->text()).value_or(std::string()); }

std::string TFormOrdner::Ziel() const { return ToCp1252(ziel_->edit()->text()).value_or(std::string()); }

std::uint8_t TFormOrdner::Zielordner() const {
  const int index = regel_->checkedId();
  return index < 0 ? kZielBeiQuelle : static_cast<std::uint8_t>(index);
}

void TFormOrdner::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    gespeichert_ = false;
    Freigeben();
  }
  QDialog::showEvent(event);
}

void TFormOrdner::Freigeben() {
  const int index = regel_->checkedId();
  quelle_->setEnabled(index == kZielMitUnterordnern);
  ziel_->setEnabled(index == kZielAbsolut || index == kZielMitUnterordnern);
}

void TFormOrdner::Button2Click() {
  for (const LabeledEdit* field : {quelle_, ziel_}) {
    const QString text = field->edit()->text();
    if (!ToCp1252(text)) {
      dialogs_.Nachricht(QStringLiteral("Der Ordner\r\n%1\r\nenthält Zeichen außerhalb des Zeichensatzes "
                                        "Windows-1252 und kann nicht gespeichert werden.")
                             .arg(text));
      field->edit()->setFocus();
      return;
    }
  }
  gespeichert_ = true;
  accept();
}

void TFormOrdner::Button3Click() { dialogs_.Nachricht(ToQString(OrdnerHilfetext())); }

}  // namespace morvatex
