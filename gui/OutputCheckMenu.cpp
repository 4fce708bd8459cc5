#include "gui/OutputCheckMenu.h"

#include <QActionGroup>
#include <QMenu>

#include "verify/CheckChoiceFile.h"

namespace morvatex {

OutputCheckMenu::OutputCheckMenu(QMenu* parent, FileSystem& fs) : QObject(parent), fs_(fs) {
  QMenu* menu = parent->addMenu(QStringLiteral("Ausgabe prüfen"));
  menu->setObjectName(QStringLiteral("outputCheckMenu"));
  auto* group = new QActionGroup(this);  // drawn as radio items
  const auto add = [&](const char* name, const QString& caption, std::optional<ControlModel> model) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(true);
    group->addAction(item);
    connect(item, &QAction::triggered, this, [this, model] { Choose(model); });
    return item;
  };
  off_ = add("outputCheckOffAction", QStringLiteral("Aus"), std::nullopt);
  rs274_ = add("outputCheckRs274Action", QStringLiteral("RS274/NGC (Mach3, LinuxCNC)"), ControlModel::kRs274);
  configured_ = add("outputCheckConfiguredAction", QStringLiteral("Wie eingestellt"), ControlModel::kConfigured);
  off_->setChecked(true);
}

void OutputCheckMenu::Load(const std::string& settingsFile) {
  path_ = CheckChoiceFilePath(settingsFile);
  model_ = LoadCheckChoice(fs_, path_);
  (!model_ ? off_ : *model_ == ControlModel::kRs274 ? rs274_ : configured_)->setChecked(true);
}

void OutputCheckMenu::Choose(std::optional<ControlModel> model) {
  if (model == model_) return;
  model_ = model;
  // Its errors are ignored as the preview's rapid rate's are: the choice
  // holds for this session all the same.
  SaveCheckChoice(fs_, path_, model_);
}

}  // namespace morvatex
