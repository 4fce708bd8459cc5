// The submenu "Ausgabe prüfen" under Einstellungen: whether each converted
// row's CNC program is read back and compared with its source, and by
// which control model. Off until a user turns it on; the choice is kept in
// the small file beside the settings file (verify/CheckChoiceFile.h), never
// in the settings record.
#pragma once

#include <QObject>
#include <optional>
#include <string>

#include "base/FileSystem.h"
#include "verify/TracedMove.h"

class QAction;
class QMenu;

namespace morvatex {

class OutputCheckMenu final : public QObject {
 public:
  // Adds the submenu to `parent`; the choice is off until Load.
  OutputCheckMenu(QMenu* parent, FileSystem& fs);

  // Takes the choice remembered beside `settingsFile` (none: off).
  void Load(const std::string& settingsFile);

  // The model the batch checks with; none when the check is off.
  std::optional<ControlModel> Model() const { return model_; }

 private:
  void Choose(std::optional<ControlModel> model);

  FileSystem& fs_;
  std::string path_;  // empty: nothing is remembered
  std::optional<ControlModel> model_;
  QAction* off_ = nullptr;
  QAction* rs274_ = nullptr;
  QAction* configured_ = nullptr;
};

}  // namespace morvatex
