#include "engine/IselInterpreter.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "engine/ExtendedPrecision.h"
#include "engine/IntegerReader.h"
#include "engine/InterpreterParts.h"
#include "engine/MoveGeometry.h"
#include "engine/OutcomeCodes.h"

namespace morvatex {
namespace {

enum class Effect {
  kMove,
  kFeed,
  kRapidFeed,
  kSpindle,
  kCoolant,
  kTool,
  kPlane,
  kWorkZeroAdd,
  kWorkZeroAbsolute,
  kWorkZeroClear,
  kHalt,
  kWait,
  kEnd,
};

struct Keyword {
  std::string_view word;
  Effect effect;
  MotionKind motionKind;  // for moves
  bool relative;          // for moves
  std::size_t removed;    // the keyword and the one character after it
  bool measuringPass;     // also recognised by the measuring pass
};

// Tested in this order; every keyword that matches applies its effect, so on
// a WPZEROABS line WPZERO matches first and WPZEROABS has the last word.
constexpr std::array<Keyword, 20> kKeywords = {{
    {"FASTABS", Effect::kMove, MotionKind::kRapid, false, 8, true},
    {"FASTREL", Effect::kMove, MotionKind::kRapid, true, 8, true},
    {"MOVEABS", Effect::kMove, MotionKind::kLinear, false, 8, true},
    {"MOVEREL", Effect::kMove, MotionKind::kLinear, true, 8, true},
    {"CWABS", Effect::kMove, MotionKind::kClockwise, false, 6, true},
    {"CCWABS", Effect::kMove, MotionKind::kCounterClockwise, false, 7, true},
    {"CWREL", Effect::kMove, MotionKind::kClockwise, true, 6, true},
    {"CCWREL", Effect::kMove, MotionKind::kCounterClockwise, true, 7, true},
    {"VEL", Effect::kFeed, MotionKind::kNone, false, 4, false},
    {"FASTVEL", Effect::kRapidFeed, MotionKind::kNone, false, 8, false},
    {"SPINDLE", Effect::kSpindle, MotionKind::kNone, false, 8, false},
    {"COOLANT", Effect::kCoolant, MotionKind::kNone, false, 8, false},
    {"GETTOOL", Effect::kTool, MotionKind::kNone, false, 8, false},
    {"PLANE", Effect::kPlane, MotionKind::kNone, false, 6, false},
    {"WPZERO", Effect::kWorkZeroAdd, MotionKind::kNone, false, 7, true},
    {"WPZEROABS", Effect::kWorkZeroAbsolute, MotionKind::kNone, false, 10, true},
    {"WPCLEAR", Effect::kWorkZeroClear, MotionKind::kNone, false, 8, true},
    {"HALT", Effect::kHalt, MotionKind::kNone, false, 5, false},
    {"WAIT", Effect::kWait, MotionKind::kNone, false, 5, false},
    {"PROGEND", Effect::kEnd, MotionKind::kNone, false, 8, true},
}};

}  // namespace

namespace isel {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

bool Contains(std::string_view text, std::string_view word) { return text.find(word) != std::string_view::npos; }

Outcome NotIntegerCode(Pass pass) {
  return pass == Pass::kWriting ? Outcome::kWritingNotInteger : Outcome::kMeasuringNotInteger;
}

// (offset + programmed) × 0.001. A sum beyond 64 bits is no value a program
// can mean: it sets `code` and gives the sum as near as extended precision
// holds it, never a wrapped one.
long double Millimetres(std::int64_t offset, std::int64_t programmed, Outcome notInteger, Outcome& code) {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(offset, programmed, &sum)) {
    code = notInteger;
    return (static_cast<long double>(offset) + static_cast<long double>(programmed)) * kMillimetresPerMicrometre;
  }
  return static_cast<long double>(sum) * kMillimetresPerMicrometre;
}

// The work offset moves by the programmed value; a sum beyond 64 bits keeps
// the offset and sets `code`, as the relative sums do.
void ShiftWorkOffset(std::int64_t& offset, std::int64_t programmed, Outcome notInteger, Outcome& code) {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(offset, programmed, &sum)) {
    code = notInteger;
  } else {
    offset = sum;
  }
}

// The parameter words of a move line: address letter, value up to the next
// blank. X to K set or add to the programmed values; other letters must
// still carry an integer and are then ignored.
// Inlined into the original's line, where a line costs a microsecond; the
// extended dialect calls it through ReadMoveWords.
[[gnu::always_inline]] inline void ReadWordsOfMoveLine(std::string_view text, Pass pass, MachineState& state,
                                                       Outcome& code, InterpretedLine& out) {
  const bool writing = pass == Pass::kWriting;
  const Outcome notInteger = NotIntegerCode(pass);
  while (!text.empty()) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.empty()) break;
    const char letter = text.front();
    text.remove_prefix(1);
    const std::size_t blank = text.find(' ');
    const std::string_view valueText = text.substr(0, blank);
    text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);

    const IntegerRead read = ReadInteger(valueText);
    if (!read.ok) {
      code = notInteger;
      continue;
    }
    if (writing) {
      for (FirstUse* mark : {&state.firstUseX, &state.firstUseY, &state.firstUseZ}) {
        if (*mark == FirstUse::kJustNow) *mark = FirstUse::kBefore;
      }
    }
    std::int64_t* target = nullptr;
    FirstUse* mark = nullptr;
    switch (letter) {
      case 'X': target = &state.progX, mark = &state.firstUseX; break;
      case 'Y': target = &state.progY, mark = &state.firstUseY; break;
      case 'Z': target = &state.progZ, mark = &state.firstUseZ; break;
      case 'I': target = &state.progI; break;
      case 'J': target = &state.progJ; break;
      case 'K': target = &state.progK; break;
      default:
        if (writing) NoteNotCarried(out, "Wort " + std::string(1, letter) + std::string(valueText) + " wird ignoriert");
        continue;
    }
    if (!state.relative) {
      *target = read.value;
    } else if (__builtin_add_overflow(*target, std::int64_t{read.value}, target)) {
      code = notInteger;  // unreachable with real files; never wrap around
      continue;
    }
    if (writing && mark && *mark == FirstUse::kNever) *mark = FirstUse::kJustNow;
  }
}

// Long doubles are copied as bytes: an x87 store of one costs several
// times a vector move, and a line copies a dozen of them. The positions sit
// side by side in the state as in the move's points.
static_assert(offsetof(MachineState, posZ) - offsetof(MachineState, posX) == 2 * sizeof(long double) &&
              offsetof(MachineState, posK) - offsetof(MachineState, posI) == 2 * sizeof(long double) &&
              offsetof(MachineState, prevZ) - offsetof(MachineState, prevX) == 2 * sizeof(long double) &&
              offsetof(MachineState, prevK) - offsetof(MachineState, prevX) == 5 * sizeof(long double) &&
              offsetof(MachineState, posK) - offsetof(MachineState, posX) == 5 * sizeof(long double) &&
              sizeof(Point) == 3 * sizeof(long double) &&
              offsetof(Move, sweep) - offsetof(Move, radius) == 3 * sizeof(long double));

void CopyPoint(Point& to, const long double& x) { std::memcpy(static_cast<void*>(&to), &x, sizeof(Point)); }

// The positions of a move line, kept in the state and, as the line's move
// from the position before it, in `moves`, built in its place; an arc's
// geometry is computed here once, for the state as for the move.
[[gnu::always_inline]] inline void PlaceMoveOfLine(MachineState& state, Pass pass, Outcome& code, LineMoves& moves) {
  const Outcome e = NotIntegerCode(pass);
  state.posX = Millimetres(state.workOffsetX, state.progX, e, code);
  state.posY = Millimetres(state.workOffsetY, state.progY, e, code);
  state.posZ = Millimetres(state.workOffsetZ, state.progZ, e, code);
  state.posI = Millimetres(state.workOffsetX, state.progI, e, code);
  state.posJ = Millimetres(state.workOffsetY, state.progJ, e, code);
  state.posK = Millimetres(state.workOffsetZ, state.progK, e, code);
  // An axis not given since the frame changed stays where it stands.
  if (state.unknownAxes != 0) {
    if (state.unknownAxes & kAxisX) state.posX = state.prevX;
    if (state.unknownAxes & kAxisY) state.posY = state.prevY;
    if (state.unknownAxes & kAxisZ) state.posZ = state.prevZ;
  }
  Move& move = moves.AppendForOverwrite();
  move.kind = state.motionKind;
  move.plane = static_cast<Plane>(state.plane);
  move.line = 0;
  move.frame = static_cast<Frame>(state.frame);
  move.unknownAxes = state.unknownAxes;
  move.newlyKnownAxes = 0;
  CopyPoint(move.start, state.prevX);
  CopyPoint(move.end, state.posX);
  CopyPoint(move.centre, state.posI);
  if (!move.IsArc()) {
    std::memset(&move.radius, 0, 4 * sizeof(long double));  // radius, angles, sweep: +0
    return;
  }
  CompleteArc(move);
  state.radius = move.radius;
  state.startAngle = move.startAngle;
  state.endAngle = move.endAngle;
  state.largeArc = IsLargeArc(move);
}

void ReadMoveWords(std::string_view text, Pass pass, MachineState& state, Outcome& code, InterpretedLine& out) {
  ReadWordsOfMoveLine(text, pass, state, code, out);
}

void AddMoveOfLine(MachineState& state, Pass pass, Outcome& code, LineMoves& moves) {
  PlaceMoveOfLine(state, pass, code, moves);
}

void ReadFeed(std::string_view text, const MachineProfile& profile, MachineState& state, InterpretedLine& out,
              Outcome& code) {
  const IntegerRead read = ReadInteger(text);
  if (!read.ok) {
    code = Outcome::kFeedNotInteger;
    return;
  }
  // µm/s to mm/min; the product is exact in 64 bits.
  state.feed = static_cast<long double>(std::int64_t{read.value} * 60) / 1000;
  state.feedOut = state.feed * static_cast<long double>(profile.FaktorSonderF);
  state.feedChanged = true;
  out.feedRead = true;
}

void ReadSpindle(std::string_view text, const MachineProfile& profile, MachineState& state, InterpretedLine& out,
                 Outcome& code) {
  std::size_t marker = text.find("RPM");
  bool perSecond = false;
  if (marker == std::string_view::npos) {
    marker = text.find("RPS");
    perSecond = marker != std::string_view::npos;
  }
  if (marker != std::string_view::npos) {
    std::string_view number = text.substr(marker + 3, 10);
    number = number.substr(0, number.find(' '));
    const IntegerRead read = ReadInteger(number);
    if (!read.ok) {
      code = Outcome::kSpeedNotInteger;
    } else {
      const std::int64_t rpm = perSecond ? std::int64_t{read.value} * 60 : read.value;
      state.speed = static_cast<long double>(rpm);
      state.speedOut = static_cast<long double>(rpm * 6) * static_cast<long double>(profile.FaktorSonderS);
      state.speedChanged = true;
      out.speedRead = true;
    }
  }
  out.spindleCounterClockwise = Contains(text, "CCW");
  for (std::size_t at = text.find("CW"); at != std::string_view::npos; at = text.find("CW", at + 1)) {
    if (at == 0 || text[at - 1] != 'C') {
      out.spindleClockwise = true;
      break;
    }
  }
  out.spindleOff = Contains(text, "OFF");
  out.spindleOn = Contains(text, "ON");
}

void ReadTool(std::string_view text, MachineState& state, InterpretedLine& out, Outcome& code) {
  const IntegerRead read = ReadInteger(text);
  if (!read.ok) code = Outcome::kToolNotInteger;
  if (read.value < 0 || read.value > 99) code = Outcome::kToolOutOfRange;
  if (IsGood(code)) {
    state.toolIndex = static_cast<std::uint16_t>(read.value);
    out.toolAccepted = true;
  }
}

void NoteNotCarried(InterpretedLine& out, std::string_view reason) {
  if (!out.notCarried.empty()) out.notCarried += "; ";
  out.notCarried += reason;
}

std::string_view KnownKeywordAt(std::string_view text) {
  for (const Keyword& keyword : kKeywords) {
    if (text.substr(0, keyword.word.size()) == keyword.word) return keyword.word;
  }
  return {};
}

}  // namespace isel

namespace {

using namespace isel;

// Why an original line with no keyword the original language knows is not
// carried over: blank lines, comments and the header line of a CAM post
// mean nothing; a keyword kept from being seen by a blank before it or by
// lower case, and an unknown command, are named.
void NoteUnrecognised(std::string_view text, InterpretedLine& out) {
  std::string_view rest = text;
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  if (rest.empty() || rest.starts_with("IMF_PBL")) return;
  const std::string_view word = rest.substr(0, rest.find_first_of(" \t"));
  if (rest.size() < text.size() && !KnownKeywordAt(rest).empty()) {
    NoteNotCarried(out, "Befehl nicht erkannt: Leerzeichen vor dem Befehl");
    return;
  }
  std::string upper(word);
  for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  if (upper != word && !KnownKeywordAt(upper).empty()) {
    NoteNotCarried(out, "Befehl nicht erkannt: klein geschrieben");
    return;
  }
  NoteNotCarried(out, "Befehl unbekannt: " + std::string(word));
}

// What a recognised original line loses: a character glued to its keyword
// (taken as the keyword's separator), and words the posts mean but the
// original reads past. `line` is the line from its keyword on, `parameters`
// its parameter text.
void NoteWhatIsLost(const Keyword& keyword, std::string_view line, std::string_view parameters, InterpretedLine& out) {
  // COOLANT2 is the second coolant, still coolant.
  if (line.size() > keyword.word.size() && line[keyword.word.size()] != ' ' &&
      !line.substr(0, keyword.removed).starts_with("COOLANT2"))
    NoteNotCarried(out, "Zeichen direkt hinter " + std::string(keyword.word) + " geht verloren");
  switch (keyword.effect) {
    case Effect::kSpindle:
      if (Contains(parameters, "TIME")) NoteNotCarried(out, "TIME (Wartezeit nach dem Anlauf) wird ignoriert");
      break;
    case Effect::kWait:
      if (!parameters.empty())
        NoteNotCarried(out, "Wartezeit " + std::string(parameters) + " ms: WAIT schreibt nur den Haltcode");
      break;
    case Effect::kWorkZeroAdd:
      // STANDARD means the machine's work zero to a CAM post; here WPZERO
      // shifts the zero by the last programmed values.
      if (Contains(parameters, "STANDARD"))
        NoteNotCarried(out, "STANDARD wird ignoriert: WPZERO verschiebt den Nullpunkt um die letzten Werte");
      break;
    default: break;
  }
}

}  // namespace

void StartPass(MachineState& state) { state = MachineState{}; }

InterpretedLine InterpretLine(std::string_view line, Pass pass, const MachineProfile& profile, MachineState& state,
                              std::string& currentLineText, Outcome& code) {
  InterpretedLine out;
  state.motionKind = MotionKind::kNone;
  std::string_view text = line;

  if (!text.empty() && text.front() == 'N') {
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos) {
      code = Outcome::kBlockNumber;
    } else {
      text.remove_prefix(blank + 1);
    }
  }
  if (const std::size_t semicolon = text.find(';'); semicolon != std::string_view::npos) {
    text = text.substr(0, semicolon);
  }

  const Keyword* matched = nullptr;
  for (const Keyword& keyword : kKeywords) {
    if (pass == Pass::kMeasuring && !keyword.measuringPass) continue;
    if (text.empty() || text.front() != keyword.word.front()) continue;  // the cheap test first
    if (text.substr(0, keyword.word.size()) != keyword.word) continue;
    matched = &keyword;
    switch (keyword.effect) {
      case Effect::kWorkZeroAdd:
        ShiftWorkOffset(state.workOffsetX, state.progX, NotIntegerCode(pass), code);
        ShiftWorkOffset(state.workOffsetY, state.progY, NotIntegerCode(pass), code);
        ShiftWorkOffset(state.workOffsetZ, state.progZ, NotIntegerCode(pass), code);
        break;
      case Effect::kWorkZeroAbsolute:
      case Effect::kWorkZeroClear: state.workOffsetX = state.workOffsetY = state.workOffsetZ = 0; break;
      default: break;
    }
  }
  if (!matched) {
    if (pass == Pass::kWriting) NoteUnrecognised(text, out);  // before trimming: a blank may be the reason
    text = TrimBlanks(text);
    currentLineText.assign(text);
    return out;
  }
  const std::string_view keywordText = text;
  text.remove_prefix(std::min(matched->removed, text.size()));
  text = TrimBlanks(text);
  currentLineText.assign(text);

  switch (matched->effect) {
    case Effect::kMove:
      out.commandClass = CommandClass::kMove;
      state.motionKind = matched->motionKind;
      state.relative = matched->relative;
      ReadWordsOfMoveLine(text, pass, state, code, out);
      currentLineText.clear();  // the words consume the whole parameter text
      PlaceMoveOfLine(state, pass, code, out.moves);
      break;
    case Effect::kFeed:
      out.commandClass = CommandClass::kFeed;
      ReadFeed(text, profile, state, out, code);
      break;
    case Effect::kRapidFeed: out.commandClass = CommandClass::kRapidFeed; break;
    case Effect::kSpindle:
      out.commandClass = CommandClass::kSpindle;
      ReadSpindle(text, profile, state, out, code);
      break;
    case Effect::kCoolant:
      out.commandClass = CommandClass::kCoolant;
      out.coolantOff = Contains(text, "OFF");
      break;
    case Effect::kTool:
      out.commandClass = CommandClass::kTool;
      ReadTool(text, state, out, code);
      break;
    case Effect::kPlane:
      out.commandClass = CommandClass::kPlane;
      out.planeXY = Contains(text, "XY");
      if (!out.planeXY) code = Outcome::kPlaneNotSupported;
      break;
    case Effect::kHalt: out.commandClass = CommandClass::kHalt; break;
    case Effect::kWait: out.commandClass = CommandClass::kWait; break;
    case Effect::kEnd:
      out.commandClass = CommandClass::kEnd;
      state.finished = true;
      break;
    case Effect::kWorkZeroAdd:
    case Effect::kWorkZeroAbsolute:
    case Effect::kWorkZeroClear: break;  // applied above; they take effect at the next move
  }
  if (pass == Pass::kWriting) NoteWhatIsLost(*matched, keywordText, text, out);
  return out;
}

void EndOfLine(MachineState& state) {
  // posX to posK become prevX to prevK, as bytes (see CopyPoint).
  std::memcpy(&state.prevX, &state.posX, 6 * sizeof(long double));
}

}  // namespace morvatex
