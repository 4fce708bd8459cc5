#include "engine/families/xilog/XilogLayout.h"

#include "engine/NumberText.h"
#include "engine/OutcomeCodes.h"
#include "engine/ToolTable.h"

namespace morvatex {
namespace {

// The control expects its own constants here, whatever the settings say.
constexpr long double kWorkpieceThickness = 100;
constexpr std::string_view kWorkpieceFixedPiece = "  -A C=0 T=0 R=200 *MM /\"w\"";

// m/min from mm/min, shifted on the decimal digits so that 1500 mm/min is
// exactly 1.5 (and rounds to 2).
constexpr int kMetresPerMillimetrePower = -3;

}  // namespace

void XilogLayout::StartWritingPass() {
  contourStartPending_ = true;
  afterContourHeader_ = false;
  savedRapidWords_.clear();
  radiusWord_.clear();
  openingZ_ = 0;
}

std::string XilogLayout::WorkpieceHeader(const DrawingExtents& e) const {
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
  return line;
}

std::string XilogLayout::TakeRadiusWord(MotionKind motionKind, long double radius) {
  radiusWord_ = "r";
  radiusWord_ += valueAssignment_;
  if (motionKind == MotionKind::kClockwise) radiusWord_ += '-';
  radiusWord_ += FixedPointText(radius, profile_.Nachkommastellen);
  radiusWord_ += ' ';
  return radiusWord_;
}

void XilogLayout::TakeRapidWords(std::string_view words) {
  savedRapidWords_.assign(words);
  radiusWord_.clear();
}

std::string XilogLayout::FeedWord(const MachineState& state) {
  const std::string number = NearestIntegerText(state.feedOut, kMetresPerMillimetrePower);
  return number.empty() ? number : "V=" + number + " ";
}

std::string XilogLayout::SpeedWord(const MachineState& state) {
  const std::string number = NearestIntegerText(state.speedOut);
  return number.empty() ? number : "S=" + number + " ";
}

bool XilogLayout::HasXOrYWord(std::string_view words) const {
  const std::string x = std::string(profile_.AdresseX.Text()) + valueAssignment_;
  const std::string y = std::string(profile_.AdresseY.Text()) + valueAssignment_;
  return words.find(x) != std::string_view::npos || words.find(y) != std::string_view::npos;
}

std::string XilogLayout::OpeningLine(const MachineState& state, const std::string& feedWord,
                                     const std::string& speedWord) const {
  std::string line = savedRapidWords_;
  line += 'Z';
  line += valueAssignment_;
  line += FixedPointText(profile_.XYZRelativ ? state.posZ - state.prevZ : state.posZ, profile_.Nachkommastellen);
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
  line += DinToolNumberText(profile_, state.toolIndex);
  return line;
}

XilogBlock XilogLayout::TakeMove(MachineState& state, std::string_view words) {
  XilogBlock block;
  if (!IsFeedMove(state.motionKind)) {
    contourStartPending_ = true;
    return block;
  }
  const bool opening = contourStartPending_;
  // A block without X and Y right after the opening line repeats what the
  // opening line already did, unless it moves Z on (a second plunge, which
  // must be cut).
  if (!opening && afterContourHeader_ && !HasXOrYWord(words) && state.posZ == openingZ_) return block;

  // The opening line always reports feed and speed; a contour block only
  // what changed since they were last written.
  const std::string feedWord = opening || state.feedChanged ? FeedWord(state) : std::string();
  const std::string speedWord = opening || state.speedChanged ? SpeedWord(state) : std::string();
  if ((opening || state.feedChanged) && feedWord.empty()) {
    block.valueError = Outcome::kFeedNotInteger;
    return block;
  }
  if ((opening || state.speedChanged) && speedWord.empty()) {
    block.valueError = Outcome::kSpeedNotInteger;
    return block;
  }
  state.feedChanged = state.speedChanged = false;

  if (opening) {
    block.kind = XilogBlock::Kind::kOpeningLine;
    block.text = OpeningLine(state, feedWord, speedWord);
    afterContourHeader_ = true;
    contourStartPending_ = false;
    openingZ_ = state.posZ;
  } else {
    block.kind = XilogBlock::Kind::kContourBlock;
    block.text.assign(words);
    block.text += feedWord;
    block.text += speedWord;
    afterContourHeader_ = false;
  }
  return block;
}

}  // namespace morvatex
