// The extended Isel dialect: what today's CAM post-processors write beyond
// the original language. The words and positions are read as the original
// reads them (engine/InterpreterParts.h); what is new is the line syntax
// (blanks and tabs before the keyword), the commands that give several
// moves or steps, and the frames.
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ExtendedPrecision.h"
#include "engine/IntegerReader.h"
#include "engine/InterpreterParts.h"
#include "engine/IselInterpreter.h"
#include "engine/MoveGeometry.h"

namespace morvatex {
namespace {

using namespace isel;

enum class Command {
  kMove,
  kHelix,
  kFeed,
  kRapidFeed,
  kSpindle,
  kCoolant,
  kTool,
  kPlane,
  kWorkZeroAdd,
  kWorkZeroAbsolute,
  kWorkClear,
  kHalt,
  kWait,
  kEnd,
  kNothing,  // METRIC, PROGBEGIN, TYPE: no output by design
  kInch,
  kDrillDefine,
  kDrill,
};

struct Keyword {
  std::string_view word;
  Command command;
  MotionKind kind = MotionKind::kNone;
  bool relative = false;
  bool measuring = true;  // also taken by the measuring pass (it follows positions only)
};

constexpr std::array<Keyword, 30> kKeywords = {{
    {"FASTABS", Command::kMove, MotionKind::kRapid, false},
    {"FASTREL", Command::kMove, MotionKind::kRapid, true},
    {"MOVEABS", Command::kMove, MotionKind::kLinear, false},
    {"MOVEREL", Command::kMove, MotionKind::kLinear, true},
    {"CWABS", Command::kMove, MotionKind::kClockwise, false},
    {"CCWABS", Command::kMove, MotionKind::kCounterClockwise, false},
    {"CWREL", Command::kMove, MotionKind::kClockwise, true},
    {"CCWREL", Command::kMove, MotionKind::kCounterClockwise, true},
    {"CWHLXABS", Command::kHelix, MotionKind::kClockwise, false},
    {"CCWHLXABS", Command::kHelix, MotionKind::kCounterClockwise, false},
    {"CWHLXREL", Command::kHelix, MotionKind::kClockwise, true},
    {"CCWHLXREL", Command::kHelix, MotionKind::kCounterClockwise, true},
    {"VEL", Command::kFeed, MotionKind::kNone, false, false},
    {"FASTVEL", Command::kRapidFeed, MotionKind::kNone, false, false},
    {"SPINDLE", Command::kSpindle, MotionKind::kNone, false, false},
    {"COOLANT", Command::kCoolant, MotionKind::kNone, false, false},
    {"COOLANT2", Command::kCoolant, MotionKind::kNone, false, false},
    {"GETTOOL", Command::kTool, MotionKind::kNone, false, false},
    {"PLANE", Command::kPlane},
    {"WPZERO", Command::kWorkZeroAdd},
    {"WPZEROABS", Command::kWorkZeroAbsolute},
    {"WPCLEAR", Command::kWorkClear},
    {"HALT", Command::kHalt, MotionKind::kNone, false, false},
    {"WAIT", Command::kWait, MotionKind::kNone, false, false},
    {"PROGEND", Command::kEnd},
    {"METRIC", Command::kNothing},
    {"PROGBEGIN", Command::kNothing},
    {"TYPE", Command::kNothing},
    {"INCH", Command::kInch},
    {"DRILLDEF", Command::kDrillDefine},
}};
constexpr Keyword kDrillKeyword{"DRILL", Command::kDrill};

// The most a helix line may turn, degrees.
constexpr long double kMostHelixDegrees = 36000;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimAll(std::string_view text) {
  text = SkipBlanks(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

const Keyword* FindKeyword(std::string_view word) {
  if (word == kDrillKeyword.word) return &kDrillKeyword;
  for (const Keyword& keyword : kKeywords) {
    if (keyword.word == word) return &keyword;
  }
  return nullptr;
}

// WPREG1ACT to WPREG6ACT: the number of the work frame, or 0.
int WorkRegister(std::string_view word) {
  if (word.size() != 9 || !word.starts_with("WPREG") || !word.ends_with("ACT")) return 0;
  const char digit = word[5];
  return digit >= '1' && digit <= '6' ? digit - '0' : 0;
}

// One word of a parameter text: its letter and its value text.
struct Word {
  char letter = 0;
  std::string_view value;
};

// Takes the next word off `text` (blanks and tabs separate words).
std::optional<Word> NextWord(std::string_view& text) {
  text = SkipBlanks(text);
  if (text.empty()) return std::nullopt;
  Word word{text.front(), {}};
  text.remove_prefix(1);
  std::size_t end = 0;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  word.value = text.substr(0, end);
  text.remove_prefix(end);
  return word;
}

// A decimal number such as 540 or 360.5 (the sweep of a helix in degrees).
std::optional<long double> ReadDecimal(std::string_view text) {
  std::string digits(text);
  if (digits.empty() || digits.find_first_not_of("+-.0123456789") != std::string::npos) return std::nullopt;
  long double value = 0, scale = 0;
  bool negative = false, any = false;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const char c = digits[i];
    if ((c == '+' || c == '-') && i == 0) {
      negative = c == '-';
    } else if (c == '.' && scale == 0) {
      scale = 1;
    } else if (c >= '0' && c <= '9') {
      any = true;
      if (scale > 0) {
        scale /= 10;
        value += (c - '0') * scale;
      } else {
        value = value * 10 + (c - '0');
      }
    } else {
      return std::nullopt;
    }
  }
  if (!any) return std::nullopt;
  return negative ? -value : value;
}

// Everything one line of the extended dialect works with.
class ExtendedLine {
 public:
  ExtendedLine(Pass pass, const MachineProfile& profile, MachineState& state, std::string& currentLineText,
               Outcome& code, const std::function<void(InterpretedLine&)>& step)
      : pass_(pass), profile_(profile), state_(state), currentLineText_(currentLineText), code_(code), step_(step) {}

  void Interpret(std::string_view line);

 private:
  bool Writing() const { return pass_ == Pass::kWriting; }
  // Hands `out` on as one step, with the notes of the line on its first.
  void Hand(InterpretedLine& out) {
    if (!notes_.empty()) {
      NoteNotCarried(out, notes_);
      notes_.clear();
    }
    step_(out);
    handed_ = true;
  }
  void Note(std::string_view reason) {
    if (!Writing()) return;
    if (!notes_.empty()) notes_ += "; ";
    notes_ += reason;
  }

  void Move(const Keyword& keyword, std::string_view text);
  void Helix(const Keyword& keyword, std::string_view text);
  // Reads the words of a move line; `helixSweep` takes W (degrees).
  // Returns the axes the line gives.
  std::uint8_t ReadWords(std::string_view text, std::optional<long double>* helixSweep);
  // The frame changed: no axis is known in the new one until given.
  void FrameChanged(std::int8_t frame);
  // A word that is no keyword: a work frame (WPREGnACT), a post's header,
  // or a command the dialect does not know, which is named.
  void NotAKeyword(std::string_view word, InterpretedLine& out);
  void PlaneLine(std::string_view parameters, InterpretedLine& out);
  // WPZERO (STANDARD or a shift), WPZEROABS, WPCLEAR.
  void WorkZero(Command command, std::string_view parameters);
  void Spindle(std::string_view text, InterpretedLine& out);
  void Wait(std::string_view text, InterpretedLine& out);
  void DrillDefine(std::string_view text);
  void Drill(std::string_view text);
  // One move of a cycle to the given absolute programmed values.
  void CycleMove(MotionKind kind, std::optional<std::int64_t> x, std::optional<std::int64_t> y,
                 std::optional<std::int64_t> z);
  // A feed change of a cycle, in µm/s; a negative value puts back `feed`
  // and `feedOut` as they were.
  void CycleFeed(std::int64_t microPerSecond, long double feed, long double feedOut);

  Pass pass_;
  const MachineProfile& profile_;
  MachineState& state_;
  std::string& currentLineText_;
  Outcome& code_;
  const std::function<void(InterpretedLine&)>& step_;
  std::string notes_;  // why the line is not carried over whole, until handed on
  bool handed_ = false;
};

void ExtendedLine::Interpret(std::string_view line) {
  state_.motionKind = MotionKind::kNone;
  std::string_view text = SkipBlanks(line);
  if (text.size() > 1 && text.front() == 'N' && text[1] >= '0' && text[1] <= '9') {
    std::size_t end = 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end < text.size() && IsBlank(text[end])) {
      text.remove_prefix(end);
    } else if (end == text.size()) {
      code_ = Outcome::kBlockNumber;  // a block number and nothing after it
    }
  }
  if (const std::size_t semicolon = text.find(';'); semicolon != std::string_view::npos)
    text = text.substr(0, semicolon);
  text = TrimAll(text);
  // A G-code comment in parentheses, as some posts write one, means nothing.
  if (text.starts_with('(') && text.ends_with(')')) text = {};
  std::size_t wordEnd = 0;
  while (wordEnd < text.size() && !IsBlank(text[wordEnd])) ++wordEnd;
  const std::string_view word = text.substr(0, wordEnd);
  const std::string_view parameters = TrimAll(text.substr(wordEnd));
  currentLineText_.assign(parameters);

  InterpretedLine out;
  const Keyword* keyword = FindKeyword(word);
  if (!keyword) {
    NotAKeyword(word, out);
    Hand(out);
    return;
  }
  if (pass_ == Pass::kMeasuring && !keyword->measuring) {
    Hand(out);
    return;
  }
  switch (keyword->command) {
    case Command::kMove: Move(*keyword, parameters); break;
    case Command::kHelix: Helix(*keyword, parameters); break;
    case Command::kFeed:
      out.commandClass = CommandClass::kFeed;
      ReadFeed(parameters, profile_, state_, out, code_);
      break;
    case Command::kRapidFeed: out.commandClass = CommandClass::kRapidFeed; break;
    case Command::kSpindle: Spindle(parameters, out); return;
    case Command::kCoolant:
      out.commandClass = CommandClass::kCoolant;
      out.coolantOff = parameters.find("OFF") != std::string_view::npos;
      break;
    case Command::kTool:
      out.commandClass = CommandClass::kTool;
      ReadTool(parameters, state_, out, code_);
      break;
    case Command::kPlane: PlaneLine(parameters, out); break;
    case Command::kWorkZeroAdd:
    case Command::kWorkZeroAbsolute:
    case Command::kWorkClear: WorkZero(keyword->command, parameters); break;
    case Command::kHalt: out.commandClass = CommandClass::kHalt; break;
    case Command::kWait: Wait(parameters, out); break;
    case Command::kEnd:
      out.commandClass = CommandClass::kEnd;
      state_.finished = true;
      break;
    case Command::kNothing: break;
    case Command::kInch: code_ = Outcome::kInchNotSupported; break;
    case Command::kDrillDefine: DrillDefine(parameters); break;
    case Command::kDrill: Drill(parameters); break;
  }
  if (!handed_) Hand(out);
}

void ExtendedLine::NotAKeyword(std::string_view word, InterpretedLine& out) {
  if (const int n = WorkRegister(word); n != 0) {
    const bool shifted = state_.workOffsetX != 0 || state_.workOffsetY != 0 || state_.workOffsetZ != 0;
    state_.workOffsetX = state_.workOffsetY = state_.workOffsetZ = 0;
    state_.workFrame = static_cast<std::int8_t>(53 + n);
    if (shifted || state_.frame != state_.workFrame) FrameChanged(state_.workFrame);
    out.commandClass = CommandClass::kFrame;
    out.frame = static_cast<Frame>(state_.workFrame);
    return;
  }
  if (word.empty() || word.starts_with("IMF_PBL")) return;  // nothing, or the header of a post's program
  std::string upper(word);
  for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  Note(upper != word && (FindKeyword(upper) || WorkRegister(upper)) ? "Befehl nicht erkannt: klein geschrieben"
                                                                    : "Befehl unbekannt: " + std::string(word));
}

void ExtendedLine::PlaneLine(std::string_view parameters, InterpretedLine& out) {
  out.commandClass = CommandClass::kPlane;
  if (parameters == "XY") {
    out.plane = Plane::kXY;
  } else if (parameters == "XZ") {
    out.plane = Plane::kXZ;
  } else if (parameters == "YZ") {
    out.plane = Plane::kYZ;
  } else {
    if (Writing()) code_ = Outcome::kPlaneNotSupported;
    return;
  }
  out.planeXY = out.plane == Plane::kXY;
  state_.plane = static_cast<std::int8_t>(out.plane);
}

void ExtendedLine::WorkZero(Command command, std::string_view parameters) {
  const bool shifted = state_.workOffsetX != 0 || state_.workOffsetY != 0 || state_.workOffsetZ != 0;
  if (command == Command::kWorkZeroAdd && parameters.find("STANDARD") == std::string_view::npos) {
    ShiftWorkOffset(state_.workOffsetX, state_.progX, NotIntegerCode(pass_), code_);
    ShiftWorkOffset(state_.workOffsetY, state_.progY, NotIntegerCode(pass_), code_);
    ShiftWorkOffset(state_.workOffsetZ, state_.progZ, NotIntegerCode(pass_), code_);
    return;
  }
  state_.workOffsetX = state_.workOffsetY = state_.workOffsetZ = 0;
  if (command == Command::kWorkClear) {
    if (state_.frame != static_cast<std::int8_t>(Frame::kMachine))
      FrameChanged(static_cast<std::int8_t>(Frame::kMachine));
  } else if (command == Command::kWorkZeroAdd && (shifted || state_.frame != state_.workFrame)) {
    // WPZERO STANDARD: back to the work zero of the frame in use, unshifted.
    FrameChanged(state_.workFrame);
  }
}

void ExtendedLine::FrameChanged(std::int8_t frame) {
  state_.frame = frame;
  state_.unknownAxes = kAxisX | kAxisY | kAxisZ;
}

std::uint8_t ExtendedLine::ReadWords(std::string_view text, std::optional<long double>* helixSweep) {
  const Outcome notInteger = NotIntegerCode(pass_);
  std::uint8_t given = 0;
  while (const std::optional<Word> word = NextWord(text)) {
    if (word->letter == 'A' || word->letter == 'B' || word->letter == 'C') {
      code_ = Outcome::kRotaryAxisNotSupported;
      continue;
    }
    if (word->letter == 'W' && helixSweep) {
      // No post writes more than a turn a line; a hundred is plenty, and
      // bounds the pieces a line can give.
      *helixSweep = ReadDecimal(word->value);
      if (!*helixSweep || **helixSweep < 0 || **helixSweep > kMostHelixDegrees) {
        code_ = notInteger;
        helixSweep->reset();
      }
      continue;
    }
    std::int64_t* target = nullptr;
    std::uint8_t axis = 0;
    switch (word->letter) {
      case 'X': target = &state_.progX, axis = kAxisX; break;
      case 'Y': target = &state_.progY, axis = kAxisY; break;
      case 'Z': target = &state_.progZ, axis = kAxisZ; break;
      case 'I': target = &state_.progI; break;
      case 'J': target = &state_.progJ; break;
      case 'K': target = &state_.progK; break;
      default: break;
    }
    const IntegerRead read = ReadInteger(word->value);
    if (!read.ok) {
      code_ = notInteger;
      continue;
    }
    if (!target) {
      Note("Wort " + std::string(1, word->letter) + std::string(word->value) + " wird ignoriert");
      continue;
    }
    if (state_.relative && (state_.unknownAxes & axis)) {
      // A step from a place nobody knows in this frame leads nowhere known.
      Note("Relativbewegung einer Achse, deren Lage nach dem Nullpunktwechsel unbekannt ist");
      continue;
    }
    if (!state_.relative) {
      *target = read.value;
    } else if (__builtin_add_overflow(*target, std::int64_t{read.value}, target)) {
      code_ = notInteger;
      continue;
    }
    given |= axis;
  }
  return given;
}

void ExtendedLine::Move(const Keyword& keyword, std::string_view text) {
  InterpretedLine out;
  out.commandClass = CommandClass::kMove;
  state_.relative = keyword.relative;
  const std::uint8_t given = ReadWords(text, nullptr);
  const std::uint8_t newlyKnown = given & state_.unknownAxes;
  state_.unknownAxes &= static_cast<std::uint8_t>(~given);
  MotionKind kind = keyword.kind;
  // Isel sees the XZ plane from the other side than RS274's G18 does.
  if (IsArc(kind) && state_.plane == static_cast<std::int8_t>(Plane::kXZ))
    kind = kind == MotionKind::kClockwise ? MotionKind::kCounterClockwise : MotionKind::kClockwise;
  state_.motionKind = kind;
  if (IsArc(kind) && state_.frame == static_cast<std::int8_t>(Frame::kMachine)) code_ = Outcome::kArcInMachineFrame;
  AddMoveOfLine(state_, pass_, code_, out.moves);
  out.moves[0].newlyKnownAxes = newlyKnown;
  currentLineText_.clear();
  Hand(out);
}

void ExtendedLine::Helix(const Keyword& keyword, std::string_view text) {
  InterpretedLine whole;
  whole.commandClass = CommandClass::kMove;
  state_.relative = keyword.relative;
  std::optional<long double> degrees;
  const std::uint8_t given = ReadWords(text, &degrees);
  const std::uint8_t newlyKnown = given & state_.unknownAxes;
  state_.unknownAxes &= static_cast<std::uint8_t>(~given);
  // A helix turns in the plane in force (about Z in XY), seen in XZ from
  // the other side, as the arcs are.
  MotionKind kind = keyword.kind;
  if (state_.plane == static_cast<std::int8_t>(Plane::kXZ))
    kind = kind == MotionKind::kClockwise ? MotionKind::kCounterClockwise : MotionKind::kClockwise;
  state_.motionKind = kind;
  if (state_.frame == static_cast<std::int8_t>(Frame::kMachine)) code_ = Outcome::kArcInMachineFrame;
  AddMoveOfLine(state_, pass_, code_, whole.moves);
  currentLineText_.clear();
  const morvatex::Move arc = whole.moves[0];
  // W counts the turns; the end point fixes the part of a turn exactly (a
  // post rounds W to whole degrees).
  long double sweep = arc.sweep;
  if (degrees) {
    const long double turn = 2 * static_cast<long double>(kPi);
    const long double partial = IsFullCircle(arc) ? 0 : arc.sweep;
    const long double turns = std::max(0.0L, std::round((*degrees * turn / 360 - partial) / turn));
    sweep = partial + turns * turn;
  }
  InterpretedLine out;
  out.commandClass = CommandClass::kMove;
  // Pieces of less than half a turn each: every RS274 control reads them,
  // with R words too, and no piece is a full circle.
  const auto pieces = static_cast<std::size_t>(std::floor(sweep / static_cast<long double>(kPi))) + 1;
  const long double direction = arc.Clockwise() ? -1 : 1;
  const Plane plane = arc.plane;
  const long double cu = PlaneU(arc.centre, plane), cv = PlaneV(arc.centre, plane);
  const long double n0 = PlaneNormal(arc.start, plane), n1 = PlaneNormal(arc.end, plane);
  morvatex::Move piece = arc;
  for (std::size_t i = 1; i <= pieces; ++i) {
    const long double share = static_cast<long double>(i) / static_cast<long double>(pieces);
    const long double angle = arc.startAngle + direction * sweep * share;
    piece.end = i == pieces ? arc.end
                            : PlanePoint(cu + arc.radius * std::cos(angle), cv + arc.radius * std::sin(angle),
                                         n0 + (n1 - n0) * share, plane);
    CompleteArc(piece);
    piece.newlyKnownAxes = i == 1 ? newlyKnown : 0;
    out.moves.push_back(piece);
    piece.start = piece.end;
  }
  const morvatex::Move& last = out.moves[out.moves.size() - 1];
  state_.radius = last.radius;
  state_.startAngle = last.startAngle;
  state_.endAngle = last.endAngle;
  state_.largeArc = false;
  Hand(out);
}

void ExtendedLine::Spindle(std::string_view text, InterpretedLine& out) {
  out.commandClass = CommandClass::kSpindle;
  // The speed may stand apart from its RPM or RPS, and TIME (also apart
  // from its number) is a dwell after the start: both are put in the
  // original's form, or taken out, before the original reading.
  const auto nextToken = [](std::string_view& rest) {
    rest = SkipBlanks(rest);
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    const std::string_view token = rest.substr(0, end);
    rest.remove_prefix(end);
    return token;
  };
  std::string cleaned;
  std::optional<std::int64_t> dwell;
  std::string_view rest = text;
  for (std::string_view token = nextToken(rest); !token.empty(); token = nextToken(rest)) {
    std::string joined(token);
    if (token == "RPM" || token == "RPS" || token == "TIME") joined += nextToken(rest);
    if (joined.starts_with("TIME")) {
      const IntegerRead read = ReadInteger(std::string_view(joined).substr(4));
      if (read.ok && read.value >= 0) {
        dwell = read.value;
      } else {
        Note("TIME ohne lesbare Wartezeit wird ignoriert");
      }
      continue;
    }
    cleaned += joined;
    cleaned += ' ';
  }
  ReadSpindle(TrimAll(cleaned), profile_, state_, out, code_);
  Hand(out);
  if (dwell && *dwell > 0) {
    InterpretedLine wait;
    wait.commandClass = CommandClass::kWait;
    wait.dwellSeconds = static_cast<long double>(*dwell) / 1000;
    Hand(wait);
  }
}

void ExtendedLine::Wait(std::string_view text, InterpretedLine& out) {
  out.commandClass = CommandClass::kWait;
  if (text.empty()) return;  // a WAIT without a time: the halt code, as ever
  const IntegerRead read = ReadInteger(text);
  if (!read.ok || read.value < 0) {
    Note("Wartezeit nicht lesbar: " + std::string(text));
    return;
  }
  out.dwellSeconds = static_cast<long double>(read.value) / 1000;
}

void ExtendedLine::DrillDefine(std::string_view text) {
  MachineState::DrillDefinition& drill = state_.drill;
  while (const std::optional<Word> word = NextWord(text)) {
    const IntegerRead read = ReadInteger(word->value);
    if (!read.ok) {
      code_ = NotIntegerCode(pass_);
      continue;
    }
    switch (word->letter) {
      case 'C': drill.cycle = read.value, drill.cycleGiven = true; break;
      case 'P': drill.surface = read.value, drill.surfaceGiven = true; break;
      case 'S': drill.safety = read.value, drill.safetyGiven = true; break;
      case 'D': drill.depth = read.value, drill.depthGiven = true; break;
      case 'V': drill.feed = read.value, drill.feedGiven = true; break;
      case 'T': drill.dwell = read.value; break;
      default: Note("Wort " + std::string(1, word->letter) + std::string(word->value) + " wird ignoriert"); break;
    }
  }
  if (drill.cycleGiven && drill.cycle != 1) code_ = Outcome::kDrillCycleNotSupported;
}

void ExtendedLine::Drill(std::string_view text) {
  const MachineState::DrillDefinition drill = state_.drill;
  std::optional<std::int64_t> x, y;
  while (const std::optional<Word> word = NextWord(text)) {
    const IntegerRead read = ReadInteger(word->value);
    if (!read.ok) {
      code_ = NotIntegerCode(pass_);
      continue;
    }
    if (word->letter == 'X') {
      x = read.value;
    } else if (word->letter == 'Y') {
      y = read.value;
    } else {
      Note("Wort " + std::string(1, word->letter) + std::string(word->value) + " wird ignoriert");
    }
  }
  currentLineText_.clear();
  if (drill.cycleGiven && drill.cycle != 1) {
    code_ = Outcome::kDrillCycleNotSupported;
    return;
  }
  if (!drill.cycleGiven || !drill.surfaceGiven || !drill.safetyGiven || !drill.depthGiven || !drill.feedGiven) {
    code_ = Outcome::kDrillNotDefined;
    return;
  }
  if (state_.frame == static_cast<std::int8_t>(Frame::kMachine)) {
    code_ = Outcome::kMachineFrameNotExpressible;
    return;
  }
  const std::int64_t clear = drill.surface + drill.safety;
  const long double feed = state_.feed, feedOut = state_.feedOut;
  CycleMove(MotionKind::kRapid, std::nullopt, std::nullopt, clear);
  CycleMove(MotionKind::kRapid, x, y, std::nullopt);
  const bool ownFeed = static_cast<long double>(drill.feed * 60) / 1000 != feed;
  if (ownFeed) CycleFeed(drill.feed, 0, 0);
  CycleMove(MotionKind::kLinear, std::nullopt, std::nullopt, drill.surface - drill.depth);
  if (drill.dwell > 0) {
    InterpretedLine wait;
    wait.commandClass = CommandClass::kWait;
    wait.dwellSeconds = static_cast<long double>(drill.dwell) / 1000;
    Hand(wait);
  }
  CycleMove(MotionKind::kRapid, std::nullopt, std::nullopt, clear);
  if (ownFeed) CycleFeed(-1, feed, feedOut);
}

void ExtendedLine::CycleMove(MotionKind kind, std::optional<std::int64_t> x, std::optional<std::int64_t> y,
                             std::optional<std::int64_t> z) {
  InterpretedLine out;
  out.commandClass = CommandClass::kMove;
  std::uint8_t given = 0;
  if (x) state_.progX = *x, given |= kAxisX;
  if (y) state_.progY = *y, given |= kAxisY;
  if (z) state_.progZ = *z, given |= kAxisZ;
  const std::uint8_t newlyKnown = given & state_.unknownAxes;
  state_.unknownAxes &= static_cast<std::uint8_t>(~given);
  state_.motionKind = kind;
  state_.relative = false;
  AddMoveOfLine(state_, pass_, code_, out.moves);
  out.moves[0].newlyKnownAxes = newlyKnown;
  Hand(out);
}

void ExtendedLine::CycleFeed(std::int64_t microPerSecond, long double feed, long double feedOut) {
  InterpretedLine out;
  out.commandClass = CommandClass::kFeed;
  if (microPerSecond >= 0) {
    state_.feed = static_cast<long double>(microPerSecond * 60) / 1000;
    state_.feedOut = state_.feed * static_cast<long double>(profile_.FaktorSonderF);
  } else {
    state_.feed = feed;
    state_.feedOut = feedOut;
  }
  state_.feedChanged = true;
  // Without a feed before the cycle there is none to put back.
  out.feedRead = state_.feed > 0;
  Hand(out);
}

}  // namespace

void InterpretExtendedLine(std::string_view line, Pass pass, const MachineProfile& profile, MachineState& state,
                           std::string& currentLineText, Outcome& code,
                           const std::function<void(InterpretedLine&)>& step) {
  ExtendedLine(pass, profile, state, currentLineText, code, step).Interpret(line);
}

}  // namespace morvatex
