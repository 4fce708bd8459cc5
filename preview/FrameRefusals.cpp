#include "preview/FrameRefusals.h"

#include <memory>
#include <string>

#include "engine/ControlFamily.h"
#include "engine/FamilyLayout.h"

namespace morvatex {

FrameRefusals::FrameRefusals(const SettingsRecord& settings) {
  if (!settings.CNCDINCodeerstellen) return;
  // Whether a family says frames is the family's, whatever the run's value
  // assignment.
  const std::string valueAssignment;
  const bool framesSaid = ControlFamilyFor(settings.Profil).NewLayout(settings.Profil, valueAssignment)->SaysFrames();
  framesRefused_ = !framesSaid;
  movesRefused_ = !framesSaid || settings.Profil.XYZRelativ;
}

bool FrameRefusals::Refuses(const InterpretedLine& step) const {
  if (step.commandClass == CommandClass::kFrame && framesRefused_) return true;
  if (step.commandClass != CommandClass::kMove || !movesRefused_) return false;
  for (std::size_t i = 0; i < step.moves.size(); ++i) {
    const Move& move = step.moves[i];
    if (move.frame != Frame::kWork1 || move.unknownAxes != 0 || move.newlyKnownAxes != 0) return true;
  }
  return false;
}

}  // namespace morvatex
