// The plain DIN/ISO layout of the moves: each move one numbered block of
// its words under the modal rules, a held-back F word behind the next
// block, and a full circle with R words written as two half circles.
#pragma once

#include <string>
#include <string_view>

#include "engine/FamilyLayout.h"
#include "engine/MoveWords.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

class DinLayout final : public FamilyLayout {
 public:
  // Reads `profile` live; `valueAssignment` is the run's value assignment
  // text, owned by the caller and fixed for the run.
  DinLayout(const MachineProfile& profile, const std::string& valueAssignment);

  void StartWritingPass() override;
  Outcome WriteHeaderLine(CncLines&, OutputBuffer&, const DrawingExtents&) override { return Outcome::kSuccess; }
  bool WritesFeedChangeCodeLine() const override { return true; }
  bool SaysArcsIn(Plane plane) const override;
  bool SaysFrames() const override { return true; }
  bool HasDwell() const override { return true; }
  void HoldFeedWord(std::string_view word) override { pendingFeedWord_.assign(word); }
  Outcome WriteMove(CncLines& lines, OutputBuffer& out, const Move& move, MachineState& state) override;

 private:
  // The words of `move` with its R word (`RWerte`; negative for an arc over
  // 180°, never for a half circle) into text_.
  void TakeWords(const Move& move, const WordContext& context, bool halfCircle = false);
  // Writes text_ as a numbered move block, with a held-back F word behind
  // them; 92 when it fails.
  Outcome WriteBlock(CncLines& lines, OutputBuffer& out);
  // A full circle as two half circles, each a block under the usual rules.
  Outcome WriteFullCircleHalves(CncLines& lines, OutputBuffer& out, const Move& circle, const WordContext& context);

  const MachineProfile& profile_;
  const std::string& valueAssignment_;
  MoveWords words_;
  std::string pendingFeedWord_;  // an F word held back for the next move block
  std::string text_;             // the words of the block in hand; kept to reuse its memory
};

}  // namespace morvatex
