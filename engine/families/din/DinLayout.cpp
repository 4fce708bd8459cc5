#include "engine/families/din/DinLayout.h"

#include <memory>

#include "engine/MoveGeometry.h"
#include "engine/NumberText.h"
#include "engine/families/din/DinFamily.h"

namespace morvatex {

std::unique_ptr<FamilyLayout> DinFamily::NewLayout(const MachineProfile& profile,
                                                   const std::string& valueAssignment) const {
  return std::make_unique<DinLayout>(profile, valueAssignment);
}

DinLayout::DinLayout(const MachineProfile& profile, const std::string& valueAssignment)
    : profile_(profile), valueAssignment_(valueAssignment), words_(profile, valueAssignment, {}) {}

bool DinLayout::SaysArcsIn(Plane plane) const {
  if (plane == Plane::kXY) return true;
  // The plane's code, the code that brings the control back to XY (else
  // the arcs after a PLANE XY would turn in the old plane), and a radius or
  // centre words.
  const auto& code = plane == Plane::kXZ ? profile_.G18 : profile_.G19;
  return !code.Trimmed().empty() && !profile_.G17.Trimmed().empty() && (profile_.RWerte || profile_.IJWerte);
}

void DinLayout::StartWritingPass() {
  words_.StartWritingPass();
  pendingFeedWord_.clear();
}

void DinLayout::TakeWords(const Move& move, const WordContext& context, bool halfCircle) {
  text_.clear();
  words_.AppendWords(move, context, text_);
  if (move.IsArc() && profile_.RWerte) {
    // A negative radius asks the control for the arc over 180°.
    text_ += profile_.AdresseR.Text();
    text_ += valueAssignment_;
    if (!halfCircle && IsLargeArc(move)) text_ += '-';
    AppendFixedPointText(text_, move.radius, profile_.Nachkommastellen);
    text_ += ' ';
  }
  words_.Moved(move.kind);
}

Outcome DinLayout::WriteBlock(CncLines& lines, OutputBuffer& out) {
  // Written even without a word: then the block number alone (or an empty
  // line) keeps the place of the move.
  const std::size_t end = text_.find_last_not_of(' ');
  text_.erase(end == std::string::npos ? 0 : end + 1);
  if (!pendingFeedWord_.empty()) {
    text_ += ' ';
    text_ += pendingFeedWord_;
    pendingFeedWord_.clear();
  }
  return lines.WriteNumbered(out, text_, Outcome::kCncMotion);
}

Outcome DinLayout::WriteMove(CncLines& lines, OutputBuffer& out, const Move& move, MachineState& state) {
  const WordContext context = WordContext::Of(state);
  // A radius cannot give a circle whose end is its start: no control knows
  // where it runs. Two half circles can.
  if (profile_.RWerte && IsFullCircle(move) && move.radius > 0) return WriteFullCircleHalves(lines, out, move, context);
  TakeWords(move, context);
  return WriteBlock(lines, out);
}

Outcome DinLayout::WriteFullCircleHalves(CncLines& lines, OutputBuffer& out, const Move& circle,
                                         const WordContext& context) {
  const auto [first, second] = FullCircleHalves(circle);
  // Neither half is over 180°, whatever the rounding of its angles says.
  TakeWords(first, context, true);
  Outcome failure = WriteBlock(lines, out);
  // The first half has written the centre and every coordinate.
  TakeWords(second, {circle.centre}, true);
  if (const Outcome f = WriteBlock(lines, out); f != Outcome::kSuccess) failure = f;
  return failure;
}

}  // namespace morvatex
