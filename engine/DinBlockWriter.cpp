#include "engine/DinBlockWriter.h"

#include "engine/NumberText.h"
#include "engine/OutcomeCodes.h"
#include "engine/ToolTable.h"

namespace morvatex {
namespace {

void TrimTrailingBlanks(std::string& text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
}

}  // namespace

void DinBlockWriter::StartRun(std::string_view valueAssignment) {
  valueAssignment_ = std::string(valueAssignment);
  numbered_ = false;
  blockNumber_ = 0;
}

void DinBlockWriter::StartWritingPass() {
  prevMotion_ = motion::kNone;
  beforeG0Written_ = false;
  beforeG123Written_ = false;
  pendingFeedWord_.clear();
  xilog_.StartWritingPass();
}

std::string DinBlockWriter::NextBlockNumber() {
  if (!profile_.Satznummerierung) return std::string();
  // A flag, not the value -1, marks the first line: a damaged settings file
  // may hold a negative first number, and counting must still go on.
  blockNumber_ = numbered_ ? blockNumber_ + profile_.SatznummernIncrement : profile_.ErsterSatz;
  numbered_ = true;
  std::string prefix(profile_._N.Text());
  prefix += std::to_string(blockNumber_);
  prefix += ' ';
  return prefix;
}

bool DinBlockWriter::WriteLine(WritableFile& out, std::string_view text) {
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text);
  line.append("\r\n");
  return out.Write(line);
}

bool DinBlockWriter::WriteNumberedLine(WritableFile& out, std::string_view text) {
  std::string line = NextBlockNumber();
  line.append(text);
  return WriteLine(out, line);
}

bool DinBlockWriter::WriteNumberedCodeLine(WritableFile& out, std::string_view code) {
  return code.empty() || WriteNumberedLine(out, code);
}

int DinBlockWriter::WriteCode(WritableFile& out, std::string_view code, int failure) {
  return WriteNumberedCodeLine(out, code) ? outcome::kSuccess : failure;
}

int DinBlockWriter::WriteHeader(WritableFile& out, const DrawingExtents& extents) {
  int failure = outcome::kSuccess;
  const std::string_view first = profile_.Vorspann1.Trimmed();
  if (!first.empty() && !WriteLine(out, first)) failure = outcome::kCncHeaderFirst;
  if (xilog() && !WriteNumberedLine(out, xilog_.WorkpieceHeader(extents))) {
    failure = outcome::kXilogHeaderOrContourStart;
  }
  for (const auto* line : {&profile_.Vorspann2, &profile_.Vorspann3, &profile_.Vorspann4, &profile_.Vorspann5,
                           &profile_.Vorspann6}) {
    if (failure != outcome::kSuccess) break;
    failure = WriteCode(out, line->Trimmed(), outcome::kCncHeader);
  }
  return failure;
}

int DinBlockWriter::WriteBlocks(WritableFile& out, const InterpretedLine& line, MachineState& state) {
  switch (line.commandClass) {
    case CommandClass::kMove:
      return WriteMove(out, state);
    case CommandClass::kFeed:
      return line.feedRead ? WriteFeed(out, state) : outcome::kSuccess;
    case CommandClass::kSpindle:
      return WriteSpindle(out, line, state);
    case CommandClass::kTool:
      return line.toolAccepted ? WriteToolChange(out, state) : outcome::kSuccess;
    case CommandClass::kCoolant:
      return WriteCode(out, (line.coolantOff ? profile_.KuehlungAus : profile_.KuehlungEin).Trimmed(),
                       outcome::kCncCoolantOrPlane);
    case CommandClass::kPlane:
      return line.planeXY ? WriteCode(out, profile_.G17.Trimmed(), outcome::kCncCoolantOrPlane) : outcome::kSuccess;
    case CommandClass::kHalt:
    case CommandClass::kWait:
      return WriteCode(out, profile_.Halt.Trimmed(), outcome::kCncHalt);
    case CommandClass::kNone:
    case CommandClass::kRapidFeed:
    case CommandClass::kEnd:
      break;
  }
  return outcome::kSuccess;
}

int DinBlockWriter::WriteChangeCode(WritableFile& out, int motionKind) {
  int failure = outcome::kSuccess;
  if (motionKind == motion::kRapid) {
    if (!beforeG0Written_) {
      failure = WriteCode(out, profile_.VorWechselZuG0.Trimmed(), outcome::kCncBeforeRapid);
      beforeG0Written_ = true;
      beforeG123Written_ = false;
    }
  } else if (!beforeG123Written_) {
    // The Xilog layout carries this code in the opening line of a contour.
    if (!xilog()) failure = WriteCode(out, profile_.VorWechselZuG123.Trimmed(), outcome::kCncBeforeFeed);
    beforeG123Written_ = true;
    beforeG0Written_ = false;
  }
  return failure;
}

void DinBlockWriter::AppendWord(std::string& words, std::string_view address, long double value) const {
  words += address;
  words += valueAssignment_;
  words += FixedPointText(value, profile_.Nachkommastellen);
  words += ' ';
}

std::string DinBlockWriter::MoveWords(const MachineState& s) {
  const Maschinenprofil& p = profile_;
  const int kind = s.motionKind;
  const bool arc = IsArc(kind);
  // The Xilog layout ignores the first-use marks but always positions a
  // rapid move in X and Y.
  const bool firstUseCounts = !xilog();
  const bool xilogRapid = xilog() && kind == motion::kRapid;
  std::string words;

  if (kind != prevMotion_ || !p.ModaleG) {
    const ShortString<15>* const codes[] = {&p._G0, &p._G1, &p._G2, &p._G3};
    words += codes[kind]->Text();
    words += ' ';
  }
  if (s.posX != s.prevX || !p.ModaleXYZ || (firstUseCounts && s.firstUseX == first_use::kJustNow) || xilogRapid) {
    AppendWord(words, p._X.Text(), p.XYZRelativ ? s.posX - s.prevX : s.posX);
  }
  if (s.posY != s.prevY || !p.ModaleXYZ || (firstUseCounts && s.firstUseY == first_use::kJustNow) || xilogRapid) {
    AppendWord(words, p._Y.Text(), p.XYZRelativ ? s.posY - s.prevY : s.posY);
  }
  if (xilogRapid) xilog_.TakeRapidWords(words);
  // ZWerte only decides whether a Z given for the first time is repeated;
  // a changed Z is always written.
  if (s.posZ != s.prevZ || (!p.ModaleXYZ && !(p.ModalExtra == 1 && arc)) ||
      (firstUseCounts && s.firstUseZ == first_use::kJustNow && p.ZWerte)) {
    AppendWord(words, p._Z.Text(), p.XYZRelativ ? s.posZ - s.prevZ : s.posZ);
  }
  if (!arc) return words;

  if (p.IJWerte) {
    // Relative centres are measured from the start point.
    if (s.posI != s.prevI || !p.ModaleIJK) AppendWord(words, p._I.Text(), p.IJKRelativ ? s.posI - s.prevX : s.posI);
    if (s.posJ != s.prevJ || !p.ModaleIJK) AppendWord(words, p._J.Text(), p.IJKRelativ ? s.posJ - s.prevY : s.posJ);
  }
  if (p.KWerte && (s.posK != s.prevK || !p.ModaleIJK)) {
    AppendWord(words, p._K.Text(), p.IJKRelativ ? s.posK - s.prevZ : s.posK);
  }
  if (p.RWerte) {
    if (xilog()) {
      words += xilog_.TakeRadiusWord(kind, s.radius);
    } else {
      // A negative radius asks the control for the arc over 180°.
      words += p._R.Text();
      words += valueAssignment_;
      if (s.largeArc) words += '-';
      words += FixedPointText(s.radius, p.Nachkommastellen);
      words += ' ';
    }
  }
  return words;
}

int DinBlockWriter::WriteMove(WritableFile& out, MachineState& s) {
  if (s.motionKind < motion::kRapid || s.motionKind > motion::kCounterClockwise) {
    return outcome::kUnknownInterpolation;
  }
  int failure = WriteChangeCode(out, s.motionKind);
  std::string words = MoveWords(s);

  if (xilog()) {
    const XilogBlock block = xilog_.TakeMove(s, words);
    if (block.valueError != outcome::kSuccess) {
      failure = block.valueError;
    } else if (block.kind == XilogBlock::Kind::kOpeningLine) {
      if (!WriteNumberedLine(out, block.text)) failure = outcome::kXilogHeaderOrContourStart;
    } else if (block.kind == XilogBlock::Kind::kContourBlock) {
      std::string text = block.text;
      TrimTrailingBlanks(text);
      if (!WriteNumberedLine(out, text)) failure = outcome::kXilogMotion;
    }
  } else {
    // Written even without a word: then the block number alone (or an empty
    // line) keeps the place of the move.
    TrimTrailingBlanks(words);
    if (!pendingFeedWord_.empty()) {
      words += ' ';
      words += pendingFeedWord_;
      pendingFeedWord_.clear();
    }
    if (!WriteNumberedLine(out, words)) failure = outcome::kCncMotion;
  }
  prevMotion_ = s.motionKind;
  return failure;
}

int DinBlockWriter::WriteFeed(WritableFile& out, const MachineState& s) {
  if (!profile_.FWerte) return outcome::kSuccess;
  const std::string number = FixedPointText(s.feedOut, profile_.NachkommastellenF);
  if (number.empty()) return outcome::kFeedNotInteger;
  std::string word(profile_._F.Text());
  word += valueAssignment_;
  word += number;
  if (profile_.OrdneFZuG0_3) {
    // Held back for the next move block of any kind; a newer one replaces it.
    pendingFeedWord_ = word + ' ';
    return outcome::kSuccess;
  }
  return WriteNumberedLine(out, word) ? outcome::kSuccess : outcome::kCncFeed;
}

int DinBlockWriter::WriteSpindle(WritableFile& out, const InterpretedLine& line, const MachineState& s) {
  // Without S values the spindle codes go as well.
  if (!profile_.SWerte) return outcome::kSuccess;
  std::string words;
  if (line.speedRead) {
    const std::string number = FixedPointText(s.speedOut, profile_.NachkommastellenS);
    if (number.empty()) return outcome::kSpeedNotInteger;
    words += profile_._S.Text();
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
  if (words.empty()) return outcome::kSuccess;
  TrimTrailingBlanks(words);
  return WriteNumberedLine(out, words) ? outcome::kSuccess : outcome::kCncSpindle;
}

int DinBlockWriter::WriteToolChange(WritableFile& out, const MachineState& s) {
  const std::string toolNumber = DinToolNumberText(profile_, s.toolIndex);
  int failure = outcome::kSuccess;
  for (const auto* field : {&profile_.Werkzeugwechsel1, &profile_.Werkzeugwechsel2, &profile_.Werkzeugwechsel3}) {
    std::string line(field->Trimmed());
    if (line.empty()) continue;
    if (const std::size_t mark = line.find('?'); mark != std::string::npos) line.replace(mark, 1, toolNumber);
    if (!WriteNumberedLine(out, line)) failure = outcome::kCncToolChange;
  }
  // After a tool change both change codes are due again.
  beforeG0Written_ = false;
  beforeG123Written_ = false;
  return failure;
}

int DinBlockWriter::WriteTrailer(WritableFile& out) {
  if (!WriteNumberedCodeLine(out, profile_.Nachspann1.Trimmed())) return outcome::kCncTrailer;
  if (!WriteNumberedCodeLine(out, profile_.Nachspann2.Trimmed())) return outcome::kCncTrailer;
  const std::string_view last = profile_.Nachspann3.Trimmed();
  if (!last.empty()) {
    NextBlockNumber();  // drawn, but not shown
    if (!WriteLine(out, last)) return outcome::kCncTrailer;
  }
  return outcome::kSuccess;
}

}  // namespace morvatex
