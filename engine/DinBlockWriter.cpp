#include "engine/DinBlockWriter.h"

#include "base/Cp1252Codec.h"
#include "engine/MoveGeometry.h"
#include "engine/NumberText.h"
#include "engine/OutcomeCodes.h"
#include "engine/ToolTable.h"

namespace morvatex {
namespace {

// How far the segments that take an arc's place may stray from it, mm.
constexpr long double kChordTolerance = 0.001L;

void TrimTrailingBlanks(std::string& text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
}

// The code set last counts.
void Keep(Outcome& failure, Outcome code) {
  if (code != Outcome::kSuccess) failure = code;
}

}  // namespace

void DinBlockWriter::StartRun(std::string_view valueAssignment, const ControlFamily& family) {
  valueAssignment_ = std::string(valueAssignment);
  lines_.StartRun();
  layout_ = family.NewLayout(profile_, valueAssignment_);
}

void DinBlockWriter::StartWritingPass() {
  beforeG0Written_ = false;
  beforeG123Written_ = false;
  layout_->StartWritingPass();
}

Outcome DinBlockWriter::WriteHeader(OutputBuffer& out, const DrawingExtents& extents) {
  Outcome failure = Outcome::kSuccess;
  const std::string_view first = profile_.Vorspann1.Trimmed();
  if (!first.empty()) failure = CncLines::WriteLine(out, first, Outcome::kCncHeaderFirst);
  Keep(failure, layout_->WriteHeaderLine(lines_, out, extents));
  for (const auto* line :
       {&profile_.Vorspann2, &profile_.Vorspann3, &profile_.Vorspann4, &profile_.Vorspann5, &profile_.Vorspann6}) {
    if (failure != Outcome::kSuccess) break;
    failure = lines_.WriteCode(out, line->Trimmed(), Outcome::kCncHeader);
  }
  return failure;
}

Outcome DinBlockWriter::WriteBlocks(OutputBuffer& out, const InterpretedLine& line, MachineState& state) {
  notCarried_.clear();
  approximated_.clear();
  switch (line.commandClass) {
    case CommandClass::kMove: {
      Outcome failure = Outcome::kSuccess;
      line.moves.ForEach([&](const Move& move) { Keep(failure, WriteMove(out, move, state)); });
      return failure;
    }
    case CommandClass::kFeed: return line.feedRead ? WriteFeed(out, state) : Outcome::kSuccess;
    case CommandClass::kSpindle: return WriteSpindle(out, line, state);
    case CommandClass::kTool: return line.toolAccepted ? WriteToolChange(out, state) : Outcome::kSuccess;
    case CommandClass::kCoolant:
      return lines_.WriteCode(out, (line.coolantOff ? profile_.KuehlungAus : profile_.KuehlungEin).Trimmed(),
                              Outcome::kCncCoolantOrPlane);
    case CommandClass::kPlane: {
      if (line.planeXY) return lines_.WriteCode(out, profile_.G17.Trimmed(), Outcome::kCncCoolantOrPlane);
      // Another plane is chosen only where its arcs can be said; otherwise
      // they go out as straight segments and the control stays in XY.
      if (line.plane == Plane::kXY || !layout_->SaysArcsIn(line.plane)) return Outcome::kSuccess;
      const auto& code = line.plane == Plane::kXZ ? profile_.G18 : profile_.G19;
      return lines_.WriteCode(out, code.Trimmed(), Outcome::kCncCoolantOrPlane);
    }
    case CommandClass::kHalt: return lines_.WriteCode(out, profile_.Halt.Trimmed(), Outcome::kCncHalt);
    case CommandClass::kWait:
      if (line.dwellSeconds >= 0) return WriteDwell(out, line.dwellSeconds);
      return lines_.WriteCode(out, profile_.Halt.Trimmed(), Outcome::kCncHalt);
    case CommandClass::kFrame: {
      if (!layout_->SaysFrames()) return Outcome::kMachineFrameNotExpressible;
      const std::string code = "G" + std::to_string(static_cast<int>(line.frame));
      return lines_.WriteNumbered(out, code, Outcome::kCncCoolantOrPlane);
    }
    case CommandClass::kNone:
    case CommandClass::kRapidFeed:
    case CommandClass::kEnd: break;
  }
  return Outcome::kSuccess;
}

Outcome DinBlockWriter::WriteMove(OutputBuffer& out, const Move& move, MachineState& state) {
  if (move.kind < MotionKind::kRapid || move.kind > MotionKind::kCounterClockwise) {
    return Outcome::kUnknownInterpolation;
  }
  // A move in another frame, or with an axis whose place in its frame is
  // not known, is refused where the family cannot say it: left out, the
  // moves after it would run from the wrong place. Relative output cannot
  // say it either: its steps would be taken from a place in another frame.
  const bool framed = move.frame != Frame::kWork1 || move.unknownAxes != 0 || move.newlyKnownAxes != 0;
  if (framed && (!layout_->SaysFrames() || profile_.XYZRelativ)) return Outcome::kMachineFrameNotExpressible;
  if (move.IsArc() && !layout_->SaysArcsIn(move.plane)) {
    approximated_ = move.plane == Plane::kXZ ? "Bogen in der XZ-Ebene" : "Bogen in der YZ-Ebene";
    approximated_ += Cp1252<u8": als Geradenstücke (Abweichung höchstens 0.001 mm)">();
    Outcome failure = Outcome::kSuccess;
    ForEachChord(move, kChordTolerance, [&](const Move& chord) {
      Keep(failure, WriteChangeCode(out, chord.kind));
      Keep(failure, layout_->WriteMove(lines_, out, chord, state));
    });
    return failure;
  }
  Outcome failure = WriteChangeCode(out, move.kind);
  Keep(failure, layout_->WriteMove(lines_, out, move, state));
  return failure;
}

Outcome DinBlockWriter::WriteDwell(OutputBuffer& out, long double seconds) {
  if (!layout_->HasDwell()) {
    notCarried_ = "Verweilzeit: die Steuerung kennt keine";
    return Outcome::kSuccess;
  }
  std::string text = "G4 P";
  AppendFixedPointText(text, seconds, 3);
  return lines_.WriteNumbered(out, text, Outcome::kCncHalt);
}

Outcome DinBlockWriter::WriteChangeCode(OutputBuffer& out, MotionKind motionKind) {
  Outcome failure = Outcome::kSuccess;
  if (motionKind == MotionKind::kRapid) {
    if (!beforeG0Written_) {
      failure = lines_.WriteCode(out, profile_.VorWechselZuG0.Trimmed(), Outcome::kCncBeforeRapid);
      beforeG0Written_ = true;
      beforeG123Written_ = false;
    }
  } else if (!beforeG123Written_) {
    if (layout_->WritesFeedChangeCodeLine())
      failure = lines_.WriteCode(out, profile_.VorWechselZuG123.Trimmed(), Outcome::kCncBeforeFeed);
    beforeG123Written_ = true;
    beforeG0Written_ = false;
  }
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
    layout_->HoldFeedWord(word + ' ');
    return Outcome::kSuccess;
  }
  return lines_.WriteNumbered(out, word, Outcome::kCncFeed);
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
  return lines_.WriteNumbered(out, words, Outcome::kCncSpindle);
}

Outcome DinBlockWriter::WriteToolChange(OutputBuffer& out, const MachineState& state) {
  const std::string toolNumber = DinToolNumberText(profile_, state.toolIndex);
  Outcome failure = Outcome::kSuccess;
  for (const auto* field : {&profile_.Werkzeugwechsel1, &profile_.Werkzeugwechsel2, &profile_.Werkzeugwechsel3}) {
    std::string line(field->Trimmed());
    if (line.empty()) continue;
    if (const std::size_t mark = line.find('?'); mark != std::string::npos) line.replace(mark, 1, toolNumber);
    Keep(failure, lines_.WriteNumbered(out, line, Outcome::kCncToolChange));
  }
  // After a tool change both change codes are due again.
  beforeG0Written_ = false;
  beforeG123Written_ = false;
  return failure;
}

Outcome DinBlockWriter::WriteTrailer(OutputBuffer& out) {
  if (const Outcome f = lines_.WriteCode(out, profile_.Nachspann1.Trimmed(), Outcome::kCncTrailer);
      f != Outcome::kSuccess)
    return f;
  if (const Outcome f = lines_.WriteCode(out, profile_.Nachspann2.Trimmed(), Outcome::kCncTrailer);
      f != Outcome::kSuccess)
    return f;
  const std::string_view last = profile_.Nachspann3.Trimmed();
  if (last.empty()) return Outcome::kSuccess;
  std::string drawn;  // the number is drawn, but not shown
  lines_.AppendBlockNumber(drawn);
  return CncLines::WriteLine(out, last, Outcome::kCncTrailer);
}

}  // namespace morvatex
