#include "engine/families/xilog/XilogLayout.h"

#include <memory>

#include "engine/MoveGeometry.h"
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

std::string XilogLayout::OpeningLine(const Move& move, long double z, const std::string& feedWord,
                                     const std::string& speedWord, std::uint16_t toolIndex) const {
  std::string line = savedRapidWords_;
  line += 'Z';
  line += valueAssignment_;
  line += FixedPointText(profile_.XYZRelativ ? z - move.start.z : z, profile_.Nachkommastellen);
  line += ' ';
  if (!profile_.VorWechselZuG123.Trimmed().empty()) {
    line += profile_.VorWechselZuG123.Text();
    line += ' ';
  }
  line += feedWord;
  line += speedWord;
  line += 'T';
  line += valueAssignment_;
  line += DinToolNumberText(profile_, toolIndex);
  return line;
}

bool XilogLayout::RepeatsOpeningLine(const Move& move) const {
  return profile_.ModaleXYZ && IsStraightAlongZ(move) && move.end.z == openingZ_;
}

Outcome XilogLayout::WriteMove(CncLines& lines, OutputBuffer& out, const Move& move, MachineState& state) {
  const WordContext context = WordContext::Of(state);
  text_.clear();
  words_.AppendPlaneWords(move, context, text_);
  if (!move.IsFeed()) {
    savedRapidWords_ = text_;
    contourStartPending_ = true;
    words_.Moved(move.kind);
    return Outcome::kSuccess;
  }
  words_.AppendDepthAndCentreWords(move, context, text_);
  if (move.IsArc() && profile_.RWerte) {
    // The direction gives the sign, not the size of the arc.
    text_ += 'r';
    text_ += valueAssignment_;
    if (move.Clockwise()) text_ += '-';
    AppendFixedPointText(text_, move.radius, profile_.Nachkommastellen);
    text_ += ' ';
  }
  words_.Moved(move.kind);
  return WriteFeedMove(lines, out, move, state);
}

Outcome XilogLayout::WriteFeedMove(CncLines& lines, OutputBuffer& out, const Move& move, MachineState& state) {
  const bool opening = contourStartPending_;
  if (!opening && afterContourHeader_ && RepeatsOpeningLine(move)) return Outcome::kSuccess;

  // The opening line always reports feed and speed; a contour block only
  // what changed since they were last written.
  const std::string feedWord = opening || state.feedChanged ? FeedWord(state) : std::string();
  const std::string speedWord = opening || state.speedChanged ? SpeedWord(state) : std::string();
  if ((opening || state.feedChanged) && feedWord.empty()) return Outcome::kFeedNotInteger;
  if ((opening || state.speedChanged) && speedWord.empty()) return Outcome::kSpeedNotInteger;
  state.feedChanged = state.speedChanged = false;

  Outcome failure = Outcome::kSuccess;
  if (opening) {
    contourStartPending_ = false;
    // Any arc goes somewhere in the plane, a full circle too.
    const bool plunge = IsStraightAlongZ(move);
    openingZ_ = plunge ? move.end.z : move.start.z;
    failure = lines.WriteNumbered(out, OpeningLine(move, openingZ_, feedWord, speedWord, state.toolIndex),
                                  Outcome::kXilogHeaderOrContourStart);
    afterContourHeader_ = plunge;
    if (plunge) return failure;
    // The move follows as a block; the opening line has reported feed and speed.
  } else {
    text_ += feedWord;
    text_ += speedWord;
  }
  afterContourHeader_ = false;
  const std::size_t end = text_.find_last_not_of(' ');
  text_.erase(end == std::string::npos ? 0 : end + 1);
  if (const Outcome f = lines.WriteNumbered(out, text_, Outcome::kXilogMotion); f != Outcome::kSuccess) failure = f;
  return failure;
}

}  // namespace morvatex
