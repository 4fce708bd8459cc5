#include "engine/families/xilog/XilogLayout.h"

#include <memory>

#include "engine/NumberText.h"
#include "engine/OutcomeCodes.h"
#include "engine/ToolTable.h"
#include "engine/families/xilog/XilogFamily.h"

namespace morvatex {
namespace {

// The control expects its own constants here, whatever the settings say.
constexpr long double kWorkpieceThickness = 100;
constexpr std::string_view kWorkpieceFixedPiece = "  -A C=0 T=0 R=200 *MM /\"w\"";

// m/min from mm/min, shifted on the decimal digits so that 1500 mm/min is
// exactly 1.5 (and rounds to 2).
constexpr int kMetresPerMillimetrePower = -3;

// The Xilog control ignores the first-use marks but always positions a
// rapid move in X and Y.
constexpr MoveWords::Rules kWordRules = {false, true};

}  // namespace

std::unique_ptr<FamilyLayout> XilogFamily::NewLayout(const MachineProfile& profile,
                                                     const std::string& valueAssignment) const {
  return std::make_unique<XilogLayout>(profile, valueAssignment);
}

XilogLayout::XilogLayout(const MachineProfile& profile, const std::string& valueAssignment)
    : profile_(profile), valueAssignment_(valueAssignment), words_(profile, valueAssignment, kWordRules) {}

void XilogLayout::StartWritingPass() {
  words_.StartWritingPass();
  contourStartPending_ = true;
  afterContourHeader_ = false;
  savedRapidWords_.clear();
  radiusWord_.clear();
  openingZ_ = 0;
}

Outcome XilogLayout::WriteHeaderLine(CncLines& lines, OutputBuffer& out, const DrawingExtents& e) {
  const int decimals = profile_.Nachkommastellen;
  std::string line = "H DX=";
  line += FixedPointText(e.maxX - e.minX, decimals);
  line += " DY=";
  line += FixedPointText(e.maxY - e.minY, decimals);
  line += " DZ=";
  line += FixedPointText(kWorkpieceThickness, decimals);
  line += kWorkpieceFixedPiece;
  // A change of sign: a minimum of 0 gives a negative zero.
  line += " BX=";
  line += FixedPointText(-e.minX, decimals);
  line += " BY=";
  line += FixedPointText(-e.minY, decimals);
  line += " BZ=";
  line += FixedPointText(kWorkpieceThickness, decimals);
  return lines.WriteNumbered(out, line, Outcome::kXilogHeaderOrContourStart);
}

std::string XilogLayout::FeedWord(const MachineState& state) {
  const std::string number = NearestIntegerText(state.feedOut, kMetresPerMillimetrePower);
  return number.empty() ? number : "V=" + number + " ";
}

std::string XilogLayout::SpeedWord(const MachineState& state) {
  const std::string number = NearestIntegerText(state.speedOut);
  return number.empty() ? number : "S=" + number + " ";
}

std::string XilogLayout::OpeningLine(const Move& move, const std::string& feedWord, const std::string& speedWord,
                                     std::uint16_t toolIndex) const {
  std::string line = savedRapidWords_;
  line += 'Z';
  line += valueAssignment_;
  line += FixedPointText(profile_.XYZRelativ ? move.end.z - move.start.z : move.end.z, profile_.Nachkommastellen);
  line += ' ';
  if (!profile_.VorWechselZuG123.Trimmed().empty()) {
    line += profile_.VorWechselZuG123.Text();
    line += ' ';
  }
  line += radiusWord_;
  line += feedWord;
  line += speedWord;
  line += 'T';
  line += valueAssignment_;
  line += DinToolNumberText(profile_, toolIndex);
  return line;
}

bool XilogLayout::HasXOrYWord(std::string_view words) const {
  const std::string x = std::string(profile_.AdresseX.Text()) + valueAssignment_;
  const std::string y = std::string(profile_.AdresseY.Text()) + valueAssignment_;
  return words.find(x) != std::string_view::npos || words.find(y) != std::string_view::npos;
}

Outcome XilogLayout::WriteMove(CncLines& lines, OutputBuffer& out, const Move& move, MachineState& state) {
  const WordContext context = WordContext::Of(state);
  text_.clear();
  words_.AppendPlaneWords(move, context, text_);
  if (!move.IsFeed()) {
    savedRapidWords_ = text_;
    radiusWord_.clear();
    contourStartPending_ = true;
    words_.Moved(move.kind);
    return Outcome::kSuccess;
  }
  words_.AppendDepthAndCentreWords(move, context, text_);
  if (move.IsArc() && profile_.RWerte) {
    // The direction gives the sign, not the size of the arc. Kept for an
    // opening line.
    radiusWord_ = "r";
    radiusWord_ += valueAssignment_;
    if (move.Clockwise()) radiusWord_ += '-';
    AppendFixedPointText(radiusWord_, move.radius, profile_.Nachkommastellen);
    radiusWord_ += ' ';
    text_ += radiusWord_;
  }
  words_.Moved(move.kind);
  return WriteFeedMove(lines, out, move, state);
}

Outcome XilogLayout::WriteFeedMove(CncLines& lines, OutputBuffer& out, const Move& move, MachineState& state) {
  const bool opening = contourStartPending_;
  // A block without X and Y right after the opening line repeats what the
  // opening line already did, unless it moves Z on (a second plunge, which
  // must be cut).
  if (!opening && afterContourHeader_ && !HasXOrYWord(text_) && move.end.z == openingZ_) return Outcome::kSuccess;

  // The opening line always reports feed and speed; a contour block only
  // what changed since they were last written.
  const std::string feedWord = opening || state.feedChanged ? FeedWord(state) : std::string();
  const std::string speedWord = opening || state.speedChanged ? SpeedWord(state) : std::string();
  if ((opening || state.feedChanged) && feedWord.empty()) return Outcome::kFeedNotInteger;
  if ((opening || state.speedChanged) && speedWord.empty()) return Outcome::kSpeedNotInteger;
  state.feedChanged = state.speedChanged = false;

  if (opening) {
    contourStartPending_ = false;
    afterContourHeader_ = true;
    openingZ_ = move.end.z;
    return lines.WriteNumbered(out, OpeningLine(move, feedWord, speedWord, state.toolIndex),
                               Outcome::kXilogHeaderOrContourStart);
  }
  text_ += feedWord;
  text_ += speedWord;
  afterContourHeader_ = false;
  const std::size_t end = text_.find_last_not_of(' ');
  text_.erase(end == std::string::npos ? 0 : end + 1);
  return lines.WriteNumbered(out, text_, Outcome::kXilogMotion);
}

}  // namespace morvatex
