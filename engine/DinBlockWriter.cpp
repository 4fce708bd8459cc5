#include "engine/DinBlockWriter.h"

#include <charconv>

#include "engine/NumberText.h"
#include "engine/OutcomeCodes.h"
#include "engine/ToolTable.h"

namespace morvatex {
namespace {

void TrimTrailingBlanks(std::string& text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
}

// The code set last counts.
void Keep(Outcome& failure, Outcome code) {
  if (code != Outcome::kSuccess) failure = code;
}

}  // namespace

void DinBlockWriter::StartRun(std::string_view valueAssignment) {
  valueAssignment_ = std::string(valueAssignment);
  numbered_ = false;
  blockNumber_ = 0;
}

void DinBlockWriter::StartWritingPass() {
  prevMotion_ = MotionKind::kNone;
  beforeG0Written_ = false;
  beforeG123Written_ = false;
  pendingFeedWord_.clear();
  xilog_.StartWritingPass();
}

void DinBlockWriter::AppendBlockNumber(std::string& text) {
  if (!profile_.Satznummerierung) return;
  // A flag, not the value -1, marks the first line: a damaged settings file
  // may hold a negative first number, and counting must still go on.
  blockNumber_ = numbered_ ? blockNumber_ + profile_.SatznummernIncrement : profile_.ErsterSatz;
  numbered_ = true;
  text += profile_.AdresseN.Text();
  char digits[24];
  text.append(digits, std::to_chars(digits, digits + sizeof digits, blockNumber_).ptr);
  text += ' ';
}

Outcome DinBlockWriter::WriteLine(OutputBuffer& out, std::string_view text, Outcome failure) {
  out.Text().append(text);
  out.Text().append("\r\n");
  return out.EndPiece(failure);
}

Outcome DinBlockWriter::WriteNumberedLine(OutputBuffer& out, std::string_view text, Outcome failure) {
  AppendBlockNumber(out.Text());
  return WriteLine(out, text, failure);
}

Outcome DinBlockWriter::WriteCode(OutputBuffer& out, std::string_view code, Outcome failure) {
  return code.empty() ? Outcome::kSuccess : WriteNumberedLine(out, code, failure);
}

Outcome DinBlockWriter::WriteHeader(OutputBuffer& out, const DrawingExtents& extents) {
  Outcome failure = Outcome::kSuccess;
  const std::string_view first = profile_.Vorspann1.Trimmed();
  if (!first.empty()) failure = WriteLine(out, first, Outcome::kCncHeaderFirst);
  if (UsesXilogLayout())
    Keep(failure, WriteNumberedLine(out, xilog_.WorkpieceHeader(extents), Outcome::kXilogHeaderOrContourStart));
  for (const auto* line :
       {&profile_.Vorspann2, &profile_.Vorspann3, &profile_.Vorspann4, &profile_.Vorspann5, &profile_.Vorspann6}) {
    if (failure != Outcome::kSuccess) break;
    failure = WriteCode(out, line->Trimmed(), Outcome::kCncHeader);
  }
  return failure;
}

Outcome DinBlockWriter::WriteBlocks(OutputBuffer& out, const InterpretedLine& line, MachineState& state) {
  switch (line.commandClass) {
    case CommandClass::kMove: return WriteMove(out, state);
    case CommandClass::kFeed: return line.feedRead ? WriteFeed(out, state) : Outcome::kSuccess;
    case CommandClass::kSpindle: return WriteSpindle(out, line, state);
    case CommandClass::kTool: return line.toolAccepted ? WriteToolChange(out, state) : Outcome::kSuccess;
    case CommandClass::kCoolant:
      return WriteCode(out, (line.coolantOff ? profile_.KuehlungAus : profile_.KuehlungEin).Trimmed(),
                       Outcome::kCncCoolantOrPlane);
    case CommandClass::kPlane:
      return line.planeXY ? WriteCode(out, profile_.G17.Trimmed(), Outcome::kCncCoolantOrPlane) : Outcome::kSuccess;
    case CommandClass::kHalt:
    case CommandClass::kWait: return WriteCode(out, profile_.Halt.Trimmed(), Outcome::kCncHalt);
    case CommandClass::kNone:
    case CommandClass::kRapidFeed:
    case CommandClass::kEnd: break;
  }
  return Outcome::kSuccess;
}

Outcome DinBlockWriter::WriteChangeCode(OutputBuffer& out, MotionKind motionKind) {
  Outcome failure = Outcome::kSuccess;
  if (motionKind == MotionKind::kRapid) {
    if (!beforeG0Written_) {
      failure = WriteCode(out, profile_.VorWechselZuG0.Trimmed(), Outcome::kCncBeforeRapid);
      beforeG0Written_ = true;
      beforeG123Written_ = false;
    }
  } else if (!beforeG123Written_) {
    // The Xilog layout carries this code in the opening line of a contour.
    if (!UsesXilogLayout()) failure = WriteCode(out, profile_.VorWechselZuG123.Trimmed(), Outcome::kCncBeforeFeed);
    beforeG123Written_ = true;
    beforeG0Written_ = false;
  }
  return failure;
}

void DinBlockWriter::AppendWord(std::string& words, std::string_view address, long double value) const {
  words += address;
  words += valueAssignment_;
  AppendFixedPointText(words, value, profile_.Nachkommastellen);
  words += ' ';
}

void DinBlockWriter::AppendMoveWords(const MachineState& state, std::string& words) {
  const MachineProfile& p = profile_;
  const MotionKind kind = state.motionKind;
  const bool arc = IsArc(kind);
  // The Xilog layout ignores the first-use marks but always positions a
  // rapid move in X and Y.
  const bool firstUseCounts = !UsesXilogLayout();
  const bool xilogRapid = UsesXilogLayout() && kind == MotionKind::kRapid;

  if (kind != prevMotion_ || !p.ModaleG) {
    // WriteMove has made sure the kind is one of the four moves.
    const ShortString<15>* const codes[] = {&p.CodeG0, &p.CodeG1, &p.CodeG2, &p.CodeG3};
    words += codes[GNumber(kind)]->Text();
    words += ' ';
  }
  if (state.posX != state.prevX || !p.ModaleXYZ || (firstUseCounts && state.firstUseX == FirstUse::kJustNow) ||
      xilogRapid) {
    AppendWord(words, p.AdresseX.Text(), p.XYZRelativ ? state.posX - state.prevX : state.posX);
  }
  if (state.posY != state.prevY || !p.ModaleXYZ || (firstUseCounts && state.firstUseY == FirstUse::kJustNow) ||
      xilogRapid) {
    AppendWord(words, p.AdresseY.Text(), p.XYZRelativ ? state.posY - state.prevY : state.posY);
  }
  if (xilogRapid) xilog_.TakeRapidWords(words);
  // ZWerte only decides whether a Z given for the first time is repeated;
  // a changed Z is always written.
  if (state.posZ != state.prevZ || (!p.ModaleXYZ && !(p.ModalExtra == 1 && arc)) ||
      (firstUseCounts && state.firstUseZ == FirstUse::kJustNow && p.ZWerte)) {
    AppendWord(words, p.AdresseZ.Text(), p.XYZRelativ ? state.posZ - state.prevZ : state.posZ);
  }
  if (!arc) return;

  if (p.IJWerte) {
    // Relative centres are measured from the start point.
    if (state.posI != state.prevI || !p.ModaleIJK)
      AppendWord(words, p.AdresseI.Text(), p.IJKRelativ ? state.posI - state.prevX : state.posI);
    if (state.posJ != state.prevJ || !p.ModaleIJK)
      AppendWord(words, p.AdresseJ.Text(), p.IJKRelativ ? state.posJ - state.prevY : state.posJ);
  }
  if (p.KWerte && (state.posK != state.prevK || !p.ModaleIJK)) {
    AppendWord(words, p.AdresseK.Text(), p.IJKRelativ ? state.posK - state.prevZ : state.posK);
  }
  if (p.RWerte) {
    if (UsesXilogLayout()) {
      words += xilog_.TakeRadiusWord(kind, state.radius);
    } else {
      // A negative radius asks the control for the arc over 180°.
      words += p.AdresseR.Text();
      words += valueAssignment_;
      if (state.largeArc) words += '-';
      AppendFixedPointText(words, state.radius, p.Nachkommastellen);
      words += ' ';
    }
  }
}

Outcome DinBlockWriter::WriteMove(OutputBuffer& out, MachineState& state) {
  if (state.motionKind < MotionKind::kRapid || state.motionKind > MotionKind::kCounterClockwise) {
    return Outcome::kUnknownInterpolation;
  }
  Outcome failure = WriteChangeCode(out, state.motionKind);
  words_.clear();
  AppendMoveWords(state, words_);

  if (UsesXilogLayout()) {
    XilogBlock block = xilog_.TakeMove(state, words_);
    if (block.valueError != Outcome::kSuccess) {
      failure = block.valueError;
    } else if (block.kind == XilogBlock::Kind::kOpeningLine) {
      Keep(failure, WriteNumberedLine(out, block.text, Outcome::kXilogHeaderOrContourStart));
    } else if (block.kind == XilogBlock::Kind::kContourBlock) {
      TrimTrailingBlanks(block.text);
      Keep(failure, WriteNumberedLine(out, block.text, Outcome::kXilogMotion));
    }
  } else if (IsRadiusFullCircle(state)) {
    Keep(failure, WriteFullCircleHalves(out, state));
  } else {
    Keep(failure, WriteMoveBlock(out));
  }
  prevMotion_ = state.motionKind;
  return failure;
}

Outcome DinBlockWriter::WriteMoveBlock(OutputBuffer& out) {
  // Written even without a word: then the block number alone (or an empty
  // line) keeps the place of the move.
  TrimTrailingBlanks(words_);
  if (!pendingFeedWord_.empty()) {
    words_ += ' ';
    words_ += pendingFeedWord_;
    pendingFeedWord_.clear();
  }
  return WriteNumberedLine(out, words_, Outcome::kCncMotion);
}

bool DinBlockWriter::IsRadiusFullCircle(const MachineState& state) const {
  return profile_.RWerte && IsArc(state.motionKind) && state.posX == state.prevX && state.posY == state.prevY &&
         state.radius > 0;
}

Outcome DinBlockWriter::WriteFullCircleHalves(OutputBuffer& out, const MachineState& state) {
  // A radius cannot give a circle whose end is its start: no control knows
  // where it runs. Two half circles can: first to the point opposite the
  // start through the centre (half the way in Z), then back to the start.
  MachineState half = state;
  half.posX = 2 * state.posI - state.prevX;
  half.posY = 2 * state.posJ - state.prevY;
  half.posZ = (state.prevZ + state.posZ) / 2;
  half.largeArc = false;
  words_.clear();
  AppendMoveWords(half, words_);
  Outcome failure = WriteMoveBlock(out);

  prevMotion_ = state.motionKind;
  MachineState back = state;
  back.prevX = half.posX;
  back.prevY = half.posY;
  back.prevZ = half.posZ;
  back.prevI = state.posI;
  back.prevJ = state.posJ;
  back.prevK = state.posK;
  back.largeArc = false;
  back.firstUseX = back.firstUseY = back.firstUseZ = FirstUse::kBefore;
  words_.clear();
  AppendMoveWords(back, words_);
  Keep(failure, WriteMoveBlock(out));
  return failure;
}

Outcome DinBlockWriter::WriteFeed(OutputBuffer& out, const MachineState& state) {
  if (!profile_.FWerte) return Outcome::kSuccess;
  const std::string number = FixedPointText(state.feedOut, profile_.NachkommastellenF);
  if (number.empty()) return Outcome::kFeedNotInteger;
  std::string word(profile_.AdresseF.Text());
  word += valueAssignment_;
  word += number;
  if (profile_.OrdneFZuG0_3) {
    // Held back for the next move block of any kind; a newer one replaces it.
    pendingFeedWord_ = word + ' ';
    return Outcome::kSuccess;
  }
  return WriteNumberedLine(out, word, Outcome::kCncFeed);
}

Outcome DinBlockWriter::WriteSpindle(OutputBuffer& out, const InterpretedLine& line, const MachineState& state) {
  // Without S values the spindle codes go as well.
  if (!profile_.SWerte) return Outcome::kSuccess;
  std::string words;
  if (line.speedRead) {
    const std::string number = FixedPointText(state.speedOut, profile_.NachkommastellenS);
    if (number.empty()) return Outcome::kSpeedNotInteger;
    words += profile_.AdresseS.Text();
    words += valueAssignment_;
    words += number;
    words += ' ';
  }
  const std::pair<bool, std::string_view> codes[] = {
      {line.spindleCounterClockwise, profile_.SpindelLinkslauf.Trimmed()},
      {line.spindleClockwise, profile_.SpindelRechtslauf.Trimmed()},
      {line.spindleOff, profile_.SpindelAus.Trimmed()},
      {line.spindleOn, profile_.SpindelEin.Trimmed()},
  };
  for (const auto& [called, code] : codes) {
    if (!called || code.empty()) continue;
    words += code;
    words += ' ';
  }
  if (words.empty()) return Outcome::kSuccess;
  TrimTrailingBlanks(words);
  return WriteNumberedLine(out, words, Outcome::kCncSpindle);
}

Outcome DinBlockWriter::WriteToolChange(OutputBuffer& out, const MachineState& state) {
  const std::string toolNumber = DinToolNumberText(profile_, state.toolIndex);
  Outcome failure = Outcome::kSuccess;
  for (const auto* field : {&profile_.Werkzeugwechsel1, &profile_.Werkzeugwechsel2, &profile_.Werkzeugwechsel3}) {
    std::string line(field->Trimmed());
    if (line.empty()) continue;
    if (const std::size_t mark = line.find('?'); mark != std::string::npos) line.replace(mark, 1, toolNumber);
    Keep(failure, WriteNumberedLine(out, line, Outcome::kCncToolChange));
  }
  // After a tool change both change codes are due again.
  beforeG0Written_ = false;
  beforeG123Written_ = false;
  return failure;
}

Outcome DinBlockWriter::WriteTrailer(OutputBuffer& out) {
  if (const Outcome f = WriteCode(out, profile_.Nachspann1.Trimmed(), Outcome::kCncTrailer); f != Outcome::kSuccess)
    return f;
  if (const Outcome f = WriteCode(out, profile_.Nachspann2.Trimmed(), Outcome::kCncTrailer); f != Outcome::kSuccess)
    return f;
  const std::string_view last = profile_.Nachspann3.Trimmed();
  if (last.empty()) return Outcome::kSuccess;
  std::string drawn;  // the number is drawn, but not shown
  AppendBlockNumber(drawn);
  return WriteLine(out, last, Outcome::kCncTrailer);
}

}  // namespace morvatex
