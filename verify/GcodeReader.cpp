#include "verify/GcodeReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "base/Cp1252Codec.h"
#include "engine/ExtendedPrecision.h"
#include "engine/MoveGeometry.h"
#include "verify/DecimalText.h"

namespace morvatex {

std::string_view ControlModelName(ControlModel model) {
  return model == ControlModel::kRs274 ? "RS274/NGC" : "eingestellt";
}

struct GcodeReader::Words {
  bool hasX = false, hasY = false, hasZ = false, hasI = false, hasJ = false, hasK = false, hasR = false;
  double x = 0, y = 0, z = 0, i = 0, j = 0, k = 0, r = 0;
  bool largeArc = false;   // a negative R asks for the arc over 180°
  bool rGivesSize = true;  // the R word's sign tells the arc's size (not so a family's radius word)
  MotionKind motion = MotionKind::kNone;
  std::int8_t mCodes[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};  // RS274/NGC: the M code of each modal group
  bool ends = false;                                                  // an end code
  std::string_view endCode;
  bool opensContour = false;  // a family word that opens a sub-contour
  // RS274/NGC: the feed, speed and tool words, the decimals written.
  bool hasF = false, hasS = false, hasT = false;
  double feed = 0, speed = 0, tool = 0;
  int feedDecimals = 0, speedDecimals = 0;
  // G4 and its P word (seconds); G53 for this block; a work frame chosen.
  bool dwell = false, hasP = false, machineFrame = false, hasWorkFrame = false;
  double p = 0;
  int pDecimals = 0;
  Frame workFrame = Frame::kWork1;
  double groupZero = -1;  // RS274/NGC: the G code of modal group 0 (G4, G53) named
  bool HasAxes() const { return hasX || hasY || hasZ; }
  std::uint8_t Axes() const {
    return static_cast<std::uint8_t>((hasX ? kAxisX : 0) | (hasY ? kAxisY : 0) | (hasZ ? kAxisZ : 0));
  }
  // Whether the block names a centre word of `plane` (I J, I K or J K).
  bool HasCentreWord(Plane plane) const {
    return (plane != Plane::kYZ && hasI) || (plane != Plane::kXZ && hasJ) || (plane != Plane::kXY && hasK);
  }
};

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Quoted(std::string_view text) { return "\"" + std::string(text.substr(0, 40)) + "\""; }

void Find(std::vector<ReadFinding>& findings, std::size_t line, std::string message) {
  findings.push_back({line, std::move(message)});
}

// The end of the word that starts at `i`: the next blank or the line end.
std::size_t WordEnd(std::string_view text, std::size_t i) {
  while (i < text.size() && !IsBlank(text[i])) ++i;
  return i;
}

ModalValue Given(double value, int decimals, double scale) {
  return {true, value * scale, HalfUnit(decimals) * std::fabs(scale)};
}

// Divides by an output factor when it can be undone; otherwise keeps the value.
double Undone(double factor) { return std::isfinite(factor) && factor != 0 ? 1 / factor : 1; }

// The number of an RS274/NGC word from `from` (behind its letter), read as
// LinuxCNC reads it: blanks before and inside it are passed over ("X 1 05"
// is X105). Gives the index behind its last character; `valid` is false
// when no number stands there or when it does not end the word: a sign or
// point after it ("1-2", "1.2.3") makes the word one RS274/NGC cannot read,
// as anything else that is no blank, letter or comment does.
std::size_t WordNumber(std::string_view text, std::size_t from, double& value, int& decimals, bool& valid) {
  std::size_t i = from;
  while (i < text.size() && IsBlank(text[i])) ++i;
  const std::size_t length = ParseDecimalPrefix(text.substr(i), value, decimals);
  std::size_t end = i + length;
  // Mostly the line ends, or one blank and the next word's letter follow.
  if (length > 0 && (end == text.size() || (text[end] == ' ' && end + 1 < text.size() && IsLetter(text[end + 1])))) {
    valid = true;
    return end;
  }
  const auto endsWord = [&text](std::size_t at) {
    return at == text.size() || IsBlank(text[at]) || IsLetter(text[at]) || text[at] == '(' || text[at] == ';';
  };
  if (length > 0 && endsWord(end)) {
    std::size_t next = end;
    while (next < text.size() && IsBlank(text[next])) ++next;
    if (next == text.size() || !IsDecimalChar(text[next])) {
      valid = true;
      return end;
    }
  }
  // The number goes on behind blanks, or is none: its characters gathered.
  std::string gathered;
  for (std::size_t k = i; k < text.size() && (IsBlank(text[k]) || IsDecimalChar(text[k])); ++k) {
    if (IsBlank(text[k])) continue;
    gathered += text[k];
    end = k + 1;
  }
  valid = !gathered.empty() && ParseDecimalPrefix(gathered, value, decimals) == gathered.size() && endsWord(end);
  return end;
}

// "G18 (XZ)", as the findings name a plane.
std::string PlaneText(Plane plane) {
  return plane == Plane::kXY ? "XY-Ebene (G17)" : plane == Plane::kXZ ? "XZ-Ebene (G18)" : "YZ-Ebene (G19)";
}

// The centre words of an arc in `plane`, as the findings name them.
std::string_view CentreWords(Plane plane) {
  return plane == Plane::kXY ? "I, J" : plane == Plane::kXZ ? "I, K" : "J, K";
}

// An end code of a program: M2, M02 or M30 (and their zeros in front).
bool IsEndCode(std::string_view word) {
  if (word.size() < 2 || word[0] != 'M') return false;
  long code = 0;
  const auto [end, error] = std::from_chars(word.data() + 1, word.data() + word.size(), code);
  return error == std::errc() && end == word.data() + word.size() && (code == 2 || code == 30);
}

// Where `code` stands in `text` as whole words, the last place; npos for none.
std::size_t CodeAt(std::string_view text, std::string_view code) {
  std::size_t found = std::string_view::npos;
  for (std::size_t at = text.find(code); at != std::string_view::npos; at = text.find(code, at + 1)) {
    const std::size_t behind = at + code.size();
    if ((at == 0 || IsBlank(text[at - 1])) && (behind == text.size() || IsBlank(text[behind]))) found = at;
  }
  return found;
}

}  // namespace

GcodeReader::GcodeReader(ControlModel model, const MachineProfile& profile)
    : model_(model),
      profile_(profile),
      family_(ControlFamilyFor(profile)),
      arcAbsolute_(model == ControlModel::kConfigured && !profile.IJKRelativ) {}

void GcodeReader::ReadLine(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                           std::vector<ReadFinding>& findings) {
  if (Ended()) return;
  if (model_ == ControlModel::kRs274) {
    ReadRs274(text, lineNumber, moves, findings);
  } else {
    ReadConfigured(text, lineNumber, moves, findings);
  }
}

TracedMove GcodeReader::MoveFromHere(MotionKind kind, double x, double y, double z, std::size_t lineNumber) const {
  TracedMove move;
  move.kind = kind;
  move.start = {x_, y_, z_};
  move.end = {x, y, z};
  move.zKnown = zKnown_;
  move.feed = feed_;
  move.speed = speed_;
  move.tool = tool_;
  move.spindle = spindle_;
  move.line = lineNumber;
  move.plane = plane_;
  move.frame = positionFrame_;
  move.unknownAxes = unknownAxes_;
  return move;
}

std::uint8_t GcodeReader::EnterFrame(const Words& w, std::uint8_t given) {
  const Frame frame = w.machineFrame ? Frame::kMachine : workFrame_;
  if (frame != positionFrame_) {
    positionFrame_ = frame;
    unknownAxes_ = kAxisX | kAxisY | kAxisZ;
  }
  const auto newlyKnown = static_cast<std::uint8_t>(unknownAxes_ & given);
  unknownAxes_ &= static_cast<std::uint8_t>(~given);
  return newlyKnown;
}

bool GcodeReader::ArcCentre(const Words& w, TracedMove& move, std::size_t lineNumber,
                            std::vector<ReadFinding>& findings) const {
  const bool configured = model_ == ControlModel::kConfigured;
  const Plane plane = move.plane;
  const bool useI = plane != Plane::kYZ, useJ = plane != Plane::kXZ, useK = plane != Plane::kXY;
  // As configured, the plane's centre words may be modal: then an arc
  // without them turns about the centre last written.
  const bool wordsWritten = profile_.IJWerte && (!useK || profile_.KWerte);
  if (!w.HasCentreWord(plane) && !(configured && wordsWritten && profile_.ModaleIJK))
    return CentreByRadius(w, move, lineNumber, findings);
  if (!configured && w.hasR) Find(findings, lineNumber, "Kreisbogen mit R und I/J zugleich");
  const auto offset = [configured](bool has, double value, double last) {
    return has ? value : (configured ? last : 0);
  };
  move.centre = move.start;  // the axis along the plane's normal: where the arc starts
  if (useI) move.centre.x = (arcAbsolute_ ? 0 : x_) + offset(w.hasI, w.i, lastI_);
  if (useJ) move.centre.y = (arcAbsolute_ ? 0 : y_) + offset(w.hasJ, w.j, lastJ_);
  if (useK) move.centre.z = (arcAbsolute_ ? 0 : z_) + offset(w.hasK, w.k, lastK_);
  return true;
}

bool GcodeReader::CentreByRadius(const Words& w, TracedMove& move, std::size_t lineNumber,
                                 std::vector<ReadFinding>& findings) const {
  const Plane plane = move.plane;
  if (!w.hasR) {
    Find(findings, lineNumber, "Kreisbogen ohne Mittelpunkt (" + std::string(CentreWords(plane)) + ") oder Radius (R)");
    return false;
  }
  const double su = PlaneU(move.start, plane), sv = PlaneV(move.start, plane);
  const double eu = PlaneU(move.end, plane), ev = PlaneV(move.end, plane);
  if (eu == su && ev == sv) {
    Find(findings, lineNumber, "Vollkreis mit R-Wort: Endpunkt gleich Anfangspunkt, der Bogen ist nicht bestimmt");
    return false;
  }
  const double du = eu - su, dv = ev - sv, chord = std::sqrt(du * du + dv * dv);
  const double r = std::fabs(w.r);
  double h2 = r * r - chord * chord / 4;
  if (h2 < 0) {
    if (chord / 2 - r > HalfUnit(profile_.Nachkommastellen) * 2)
      Find(findings, lineNumber, std::string(Cp1252<u8"Radius zu klein für den Abstand von Anfangs- und Endpunkt">()));
    h2 = 0;
  }
  // The centre lies right of the chord for a clockwise arc up to 180°,
  // left for a counter-clockwise one; the larger arc swaps the sides.
  const double side = (move.Clockwise() ? -1 : 1) * (w.largeArc ? -1 : 1);
  const double h = std::sqrt(h2);
  move.byRadius = true;
  move.centre = PlanePoint((eu + su) / 2 - side * h * dv / chord, (ev + sv) / 2 + side * h * du / chord,
                           PlaneNormal(move.start, plane), plane);
  return true;
}

void GcodeReader::CheckRadiusWord(const Words& w, const TracedMove& move, std::size_t lineNumber,
                                  std::vector<ReadFinding>& findings) const {
  // What the rounding of the written centre, end point and radius allows.
  const double slack = 4 * HalfUnit(profile_.Nachkommastellen);
  const double r = std::fabs(w.r);
  if (std::fabs(move.radius - r) > slack) {
    Find(findings, lineNumber,
         "R-Wort passt nicht zu I/J: Radius " + DecimalText(r) + ", aus I/J " + DecimalText(move.radius));
    return;
  }
  if (w.rGivesSize && !IsFullCircle(move) && std::fabs(move.sweep - kPi) * move.radius > slack &&
      (move.sweep > kPi) != w.largeArc) {
    Find(findings, lineNumber,
         std::string(Cp1252<u8"R-Wort passt nicht zu I/J: das Vorzeichen verlangt einen Bogen ">()) +
             (w.largeArc ? std::string(Cp1252<u8"über">()) : std::string("bis")) +
             std::string(Cp1252<u8" 180°, I/J geben ">()) + DecimalText(move.sweep * 180 / kPi, 3) +
             std::string(Cp1252<u8"°">()));
  }
}

void GcodeReader::Move(const Words& w, double x, double y, double z, std::uint8_t given, std::size_t lineNumber,
                       std::vector<TracedMove>& moves, std::vector<ReadFinding>& findings) {
  if (motion_ == MotionKind::kNone) {
    Find(findings, lineNumber, "Achsen ohne Bewegungsart (G0 bis G3)");
    return;
  }
  TracedMove move = MoveFromHere(motion_, x, y, z, lineNumber);
  if (move.IsArc()) {
    if (!ArcCentre(w, move, lineNumber, findings)) return;
    CompleteArc(move);
    if (model_ == ControlModel::kConfigured && w.hasR && !move.byRadius) CheckRadiusWord(w, move, lineNumber, findings);
  }
  move.newlyKnownAxes = EnterFrame(w, given);
  move.frame = positionFrame_;
  move.unknownAxes = unknownAxes_;
  moves.push_back(move);
  x_ = x;
  y_ = y;
  z_ = z;
}

void GcodeReader::Dwell(const Words& w, std::size_t lineNumber, std::vector<TracedMove>& moves) {
  if (!w.dwell || !w.hasP || w.p < 0) return;
  TracedMove dwell = MoveFromHere(MotionKind::kNone, x_, y_, z_, lineNumber);
  dwell.dwell = {true, w.p, HalfUnit(w.pDecimals)};
  moves.push_back(dwell);
}

void GcodeReader::TakeGCode(double value, Words& w, std::size_t lineNumber, std::vector<ReadFinding>& findings) {
  const long code = std::lround(value * 10);
  MotionKind motion = MotionKind::kNone;
  switch (code) {
    case 0: motion = MotionKind::kRapid; break;
    case 10: motion = MotionKind::kLinear; break;
    case 20: motion = MotionKind::kClockwise; break;
    case 30: motion = MotionKind::kCounterClockwise; break;
    case 170:
    case 180:
    case 190: plane_ = static_cast<Plane>(code / 10); break;
    case 200: unit_ = 25.4; break;
    case 210: unit_ = 1; break;
    case 900: incremental_ = false; break;
    case 910: incremental_ = true; break;
    case 901: arcAbsolute_ = true; break;
    case 911: arcAbsolute_ = false; break;
    case 40:
    case 530:
      // Modal group 0 of LinuxCNC: one code of it in a block.
      if (w.groupZero >= 0) {
        Find(findings, lineNumber,
             "zwei G-Codes einer Gruppe in einem Satz: G" + DecimalText(w.groupZero) + " und G" + DecimalText(value));
      }
      w.groupZero = value;
      (code == 40 ? w.dwell : w.machineFrame) = true;
      break;
    case 540:
    case 550:
    case 560:
    case 570:
    case 580:
    case 590:
      if (w.hasWorkFrame) {
        Find(findings, lineNumber,
             "zwei G-Codes einer Gruppe in einem Satz: G" + std::to_string(static_cast<int>(w.workFrame)) + " und G" +
                 DecimalText(value));
      }
      w.hasWorkFrame = true;
      w.workFrame = static_cast<Frame>(code / 10);
      break;
    case 400:
    case 490:
    case 800:
    case 940:
    case 610:
    case 640: break;
    default: Find(findings, lineNumber, "G-Code " + DecimalText(value) + " kennt RS274/NGC nicht");
  }
  if (motion != MotionKind::kNone) {
    if (w.motion != MotionKind::kNone) Find(findings, lineNumber, "zwei Bewegungsarten in einem Satz");
    w.motion = motion;
  }
}

void GcodeReader::TakeMCode(double value, Words& w, std::size_t lineNumber, std::vector<ReadFinding>& findings) {
  const long code = std::lround(value * 10);
  if (code < 0 || code % 10 != 0 || (code > 90 && code != 300)) {
    Find(findings, lineNumber, "M-Code " + DecimalText(value) + " kennt RS274/NGC nicht");
    return;
  }
  // The modal groups of LinuxCNC: a block names at most one code of each.
  const int m = static_cast<int>(code / 10);
  constexpr int kGroupOf[] = {4, 4, 4, 7, 7, 7, 6, 8, 8, 8};
  const int group = m == 30 ? 4 : kGroupOf[m];
  if (w.mCodes[group] >= 0) {
    Find(findings, lineNumber,
         "zwei M-Codes einer Gruppe in einem Satz: M" + std::to_string(w.mCodes[group]) + " und M" + std::to_string(m));
  }
  w.mCodes[group] = static_cast<std::int8_t>(m);
  if (m == 2 || m == 30) {
    w.ends = true;
    w.endCode = m == 2 ? "M2" : "M30";
  }
}

void GcodeReader::TakeRs274Modes(const Words& w, std::size_t lineNumber, std::vector<ReadFinding>& findings) {
  if (w.hasF) feed_ = Given(w.feed, w.feedDecimals, unit_);
  if (w.hasS) speed_ = Given(w.speed, w.speedDecimals, 1);
  if (w.hasT) {
    // A tool number is an integer for LinuxCNC; kept as written, so that
    // the report shows it so.
    if (std::fabs(w.tool - std::round(w.tool)) > 0.0001)
      Find(findings, lineNumber, "T-Wort T" + DecimalText(w.tool, 6) + " ist keine ganze Zahl");
    pendingTool_ = w.tool;
  }
  if (w.mCodes[6] == 6) tool_ = {true, pendingTool_, 0};
  // The spindle turns before the block moves; the program ends after it.
  if (w.mCodes[7] >= 0) {
    constexpr SpindleState kSpindleOf[] = {SpindleState::kClockwise, SpindleState::kCounterClockwise,
                                           SpindleState::kStopped};
    spindle_ = kSpindleOf[w.mCodes[7] - 3];
  }
  if (w.motion != MotionKind::kNone) motion_ = w.motion;
  if (w.hasWorkFrame) workFrame_ = w.workFrame;
  if (w.ends) {
    endLine_ = lineNumber;
    endCode_ = w.endCode;
  }
}

bool GcodeReader::CheckRs274Block(const Words& w, std::size_t lineNumber, std::vector<ReadFinding>& findings) {
  const bool feedMissing = IsFeedMove(motion_) && w.HasAxes() && !(feed_.known && feed_.value > 0) && !noFeedNoted_;
  if (w.dwell && !(w.hasP && w.p >= 0)) Find(findings, lineNumber, "G4 ohne Verweilzeit (P-Wort)");
  if (w.hasP && !w.dwell) {
    Find(findings, lineNumber,
         IsArc(motion_) ? std::string(Cp1252<u8"Kreisbogen mit P-Wort (Umläufe) liest die Prüfung nicht">())
                        : std::string("P-Wort ohne G4"));
  }
  if (w.machineFrame) {
    if (motion_ != MotionKind::kRapid && motion_ != MotionKind::kLinear) {
      Find(findings, lineNumber, "G53 nur mit G0 oder G1");
      return false;
    }
    if (incremental_) {
      Find(findings, lineNumber, "G53 nicht mit G91 (inkrementell)");
      return false;
    }
  }
  if (feedMissing) {
    Find(findings, lineNumber,
         "G" + std::to_string(GNumber(motion_)) + " ohne Vorschub (F): LinuxCNC verweigert den Satz");
    noFeedNoted_ = true;
  }
  if (IsArc(motion_) && w.HasAxes()) {
    const char stray = plane_ == Plane::kXY   ? (w.hasK ? 'K' : 0)
                       : plane_ == Plane::kXZ ? (w.hasJ ? 'J' : 0)
                                              : (w.hasI ? 'I' : 0);
    if (stray) Find(findings, lineNumber, std::string(1, stray) + "-Wort bei Kreisbogen in der " + PlaneText(plane_));
  }
  return true;
}

void GcodeReader::ReadRs274(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                            std::vector<ReadFinding>& findings) {
  Words w;
  ReadRs274Words(text, lineNumber, w, findings);
  TakeRs274Modes(w, lineNumber, findings);
  MoveRs274(w, lineNumber, moves, findings);
}

void GcodeReader::ReadRs274Words(std::string_view text, std::size_t lineNumber, Words& w,
                                 std::vector<ReadFinding>& findings) {
  bool seen[26] = {};
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (IsBlank(c) || (c == '%' && i == 0) || (c == '/' && i == 0)) {
      ++i;
      continue;
    }
    if (c == ';') break;
    if (c == '(') {
      const std::size_t close = text.find(')', i);
      if (close == std::string_view::npos) {
        Find(findings, lineNumber, "Kommentar ohne \")\"");
        break;
      }
      i = close + 1;
      continue;
    }
    if (!IsLetter(c)) {
      const std::size_t end = WordEnd(text, i);
      Find(findings, lineNumber, "Wort " + Quoted(text.substr(i, end - i)) + " liest RS274/NGC nicht");
      i = end;
      continue;
    }
    const char letter = Upper(c);
    double value = 0;
    int decimals = 0;
    bool valid = false;
    const std::size_t numberEnd = WordNumber(text, i + 1, value, decimals, valid);
    if (!valid) {
      const std::size_t end = WordEnd(text, std::max(numberEnd, i));
      Find(findings, lineNumber, "Wort " + Quoted(text.substr(i, end - i)) + " liest RS274/NGC nicht");
      i = end;
      continue;
    }
    i = numberEnd;
    if (letter == 'G') {
      TakeGCode(value, w, lineNumber, findings);
    } else if (letter == 'M') {
      TakeMCode(value, w, lineNumber, findings);
    } else if (letter != 'N') {
      TakeRs274Address(letter, value, decimals, seen, w, lineNumber, findings);
    }
  }
}

void GcodeReader::TakeRs274Address(char letter, double value, int decimals, bool (&seen)[26], Words& w,
                                   std::size_t lineNumber, std::vector<ReadFinding>& findings) {
  const bool known = letter == 'X' || letter == 'Y' || letter == 'Z' || letter == 'I' || letter == 'J' ||
                     letter == 'K' || letter == 'R' || letter == 'F' || letter == 'S' || letter == 'T' || letter == 'P';
  if (!known) {
    Find(findings, lineNumber, std::string("Buchstabe ") + letter + " kennt RS274/NGC nicht");
    return;
  }
  if (seen[letter - 'A']) {
    Find(findings, lineNumber, std::string(std::string(Cp1252<u8"zwei Werte für ">())) + letter + " in einem Satz");
    return;
  }
  seen[letter - 'A'] = true;
  switch (letter) {
    case 'X': w.hasX = true, w.x = value; break;
    case 'Y': w.hasY = true, w.y = value; break;
    case 'Z': w.hasZ = true, w.z = value; break;
    case 'I': w.hasI = true, w.i = value; break;
    case 'J': w.hasJ = true, w.j = value; break;
    case 'K': w.hasK = true, w.k = value; break;
    case 'P': w.hasP = true, w.p = value, w.pDecimals = decimals; break;
    case 'R': w.hasR = true, w.r = value, w.largeArc = value < 0; break;
    case 'F': w.hasF = true, w.feed = value, w.feedDecimals = decimals; break;
    case 'S': w.hasS = true, w.speed = value, w.speedDecimals = decimals; break;
    case 'T': w.hasT = true, w.tool = value; break;
    default: break;
  }
}

void GcodeReader::MoveRs274(Words& w, std::size_t lineNumber, std::vector<TracedMove>& moves,
                            std::vector<ReadFinding>& findings) {
  // Mostly a straight move with its feed in force: nothing to refuse.
  const bool plain = !w.dwell && !w.hasP && !w.machineFrame && !IsArc(motion_) &&
                     (motion_ != MotionKind::kLinear || (feed_.known && feed_.value > 0));
  const bool movable = plain || CheckRs274Block(w, lineNumber, findings);
  if (w.dwell) Dwell(w, lineNumber, moves);
  if (!w.HasAxes()) {
    if (IsArc(w.motion) && (w.hasI || w.hasJ || w.hasK || w.hasR))
      Find(findings, lineNumber, "Kreisbogen ohne Endpunkt");
    return;
  }
  if (!movable) return;
  w.i *= unit_;
  w.j *= unit_;
  w.k *= unit_;
  w.r *= unit_;
  const auto axis = [&](bool has, double value, double current) {
    return !has ? current : incremental_ ? current + value * unit_ : value * unit_;
  };
  Move(w, axis(w.hasX, w.x, x_), axis(w.hasY, w.y, y_), axis(w.hasZ, w.z, z_), incremental_ ? 0 : w.Axes(), lineNumber,
       moves, findings);
}

namespace {

// The text of a line after the block number prefix, when numbering is on.
std::string_view WithoutBlockNumber(std::string_view text, const MachineProfile& p) {
  const std::string_view n = p.AdresseN.Text();
  if (!p.Satznummerierung || n.empty() || text.substr(0, n.size()) != n) return text;
  std::size_t i = n.size();
  if (i < text.size() && text[i] == '-') ++i;
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return text;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i < text.size() && text[i] == ' ' ? text.substr(i + 1) : text.substr(i);
}

// The tool number of a tool change line written from one of the three
// templates ("T? M6" gives "T7 M6"); -1 when the line is none.
long ToolOfChangeLine(std::string_view text, const MachineProfile& p) {
  for (const auto* field : {&p.Werkzeugwechsel1, &p.Werkzeugwechsel2, &p.Werkzeugwechsel3}) {
    const std::string_view pattern = field->Trimmed();
    const std::size_t mark = pattern.find('?');
    if (mark == std::string_view::npos) continue;
    const std::string_view before = pattern.substr(0, mark), after = pattern.substr(mark + 1);
    if (text.size() <= before.size() + after.size() || text.substr(0, before.size()) != before ||
        text.substr(text.size() - after.size()) != after)
      continue;
    const std::string_view digits = text.substr(before.size(), text.size() - before.size() - after.size());
    long tool = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), tool);
    if (error == std::errc() && end == digits.data() + digits.size()) return tool;
  }
  return -1;
}

}  // namespace

void GcodeReader::TakeSpindleCodes(std::string_view text) {
  const MachineProfile& p = profile_;
  const struct {
    std::string_view code;
    SpindleState state;
  } codes[] = {
      {p.SpindelLinkslauf.Trimmed(), SpindleState::kCounterClockwise},
      {p.SpindelRechtslauf.Trimmed(), SpindleState::kClockwise},
      {p.SpindelAus.Trimmed(), SpindleState::kStopped},
      {p.SpindelEin.Trimmed(), SpindleState::kRunning},
  };
  // The code standing last counts; of two ending at one place ("M81" in
  // "M81 M03") the longer.
  std::size_t lastEnd = 0, lastSize = 0;
  SpindleState state = SpindleState::kUnknown;
  for (const auto& [code, codeState] : codes) {
    if (code.empty()) continue;
    const std::size_t at = CodeAt(text, code);
    if (at == std::string_view::npos) continue;
    const std::size_t end = at + code.size();
    if (end > lastEnd || (end == lastEnd && code.size() > lastSize)) {
      lastEnd = end, lastSize = code.size();
      state = codeState;
    }
  }
  if (state == SpindleState::kUnknown) return;
  // Switched on, a spindle keeps the direction it ran in.
  if (state != SpindleState::kRunning ||
      (spindle_ != SpindleState::kClockwise && spindle_ != SpindleState::kCounterClockwise))
    spindle_ = state;
}

void GcodeReader::TakePlaneCodes(std::string_view text) {
  const MachineProfile& p = profile_;
  const struct {
    std::string_view code;
    Plane plane;
  } codes[] = {{p.G17.Trimmed(), Plane::kXY}, {p.G18.Trimmed(), Plane::kXZ}, {p.G19.Trimmed(), Plane::kYZ}};
  std::size_t lastEnd = 0;
  for (const auto& [code, plane] : codes) {
    if (code.empty()) continue;
    const std::size_t at = CodeAt(text, code);
    if (at != std::string_view::npos && at + code.size() > lastEnd) {
      lastEnd = at + code.size();
      plane_ = plane;
    }
  }
}

bool GcodeReader::TakeFrameOrDwellWord(std::string_view word, Words& w) {
  // As the writer puts them, whatever the settings' letters: G53 before a
  // block's motion word, G54 to G59 on a line of their own, "G4 P2.500".
  if (word == "G53") {
    w.machineFrame = true;
  } else if (word.size() == 3 && word[0] == 'G' && word[1] == '5' && word[2] >= '4' && word[2] <= '9') {
    w.hasWorkFrame = true;
    w.workFrame = static_cast<Frame>(50 + (word[2] - '0'));
  } else if (word == "G4" || word == "G04") {
    w.dwell = true;
  } else if (word.size() > 1 && word[0] == 'P' && ParseDecimal(word.substr(1), w.p, w.pDecimals)) {
    w.hasP = true;
  } else {
    return false;
  }
  return true;
}

bool GcodeReader::TakeConfiguredWord(std::string_view word, bool lastWord, Words& w) {
  const MachineProfile& p = profile_;
  const std::string_view assign = p.ZeichenWertzuweisung.Trimmed();
  double value = 0;
  int decimals = 0;
  // The family's own words first: the letters of the settings do not know them.
  if (const FamilyWord own = family_.ReadWord(word, lastWord, assign);
      own.kind != FamilyWord::Kind::kNone && ParseDecimal(own.number, value, decimals)) {
    switch (own.kind) {
      case FamilyWord::Kind::kFeed: feed_ = Given(value, decimals, own.scale * Undone(p.FaktorSonderF)); break;
      case FamilyWord::Kind::kSpeed: speed_ = Given(value, decimals, own.scale * Undone(6 * p.FaktorSonderS)); break;
      case FamilyWord::Kind::kTool: tool_ = {true, value * own.scale, 0}; break;
      case FamilyWord::Kind::kRadius: w.hasR = true, w.r = value * own.scale, w.rGivesSize = false; break;
      case FamilyWord::Kind::kZ: w.hasZ = true, w.z = value * own.scale; break;
      case FamilyWord::Kind::kNone: break;
    }
    w.opensContour = w.opensContour || own.opensContour;
    return true;
  }
  const auto is = [&](const auto& address) {
    const std::string_view letter = address.Text();
    return !letter.empty() && word.size() > letter.size() + assign.size() && word.substr(0, letter.size()) == letter &&
           word.substr(letter.size(), assign.size()) == assign &&
           ParseDecimal(word.substr(letter.size() + assign.size()), value, decimals);
  };
  if (is(p.AdresseX)) {
    w.hasX = true, w.x = value;
  } else if (is(p.AdresseY)) {
    w.hasY = true, w.y = value;
  } else if (is(p.AdresseZ)) {
    w.hasZ = true, w.z = value;
  } else if (p.IJWerte && is(p.AdresseI)) {
    w.hasI = true, w.i = value;
  } else if (p.IJWerte && is(p.AdresseJ)) {
    w.hasJ = true, w.j = value;
  } else if (p.KWerte && is(p.AdresseK)) {
    w.hasK = true, w.k = value;
  } else if (is(p.AdresseR)) {
    w.hasR = true, w.r = std::fabs(value), w.largeArc = value < 0 || word.find('-') != std::string_view::npos;
  } else if (is(p.AdresseF)) {
    feed_ = Given(value, decimals, Undone(p.FaktorSonderF));
  } else if (is(p.AdresseS)) {
    speed_ = Given(value, decimals, Undone(6 * p.FaktorSonderS));
  } else if (IsEndCode(word)) {
    w.ends = true;
    w.endCode = word;
  } else {
    return false;
  }
  return true;
}

void GcodeReader::ReadConfigured(std::string_view line, std::size_t lineNumber, std::vector<TracedMove>& moves,
                                 std::vector<ReadFinding>& findings) {
  const MachineProfile& p = profile_;
  std::string_view text = WithoutBlockNumber(line, p);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty() || family_.IsHeaderLine(text)) return;
  TakeSpindleCodes(text);
  TakePlaneCodes(text);
  if (const long tool = ToolOfChangeLine(text, p); tool >= 0) {
    tool_ = {true, static_cast<double>(tool), 0};
    return;
  }
  const ShortString<15>* const codes[] = {&p.CodeG0, &p.CodeG1, &p.CodeG2, &p.CodeG3};
  Words w;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    const std::size_t end = WordEnd(text, i);
    const std::string_view word = text.substr(i, end - i);
    i = end;
    bool taken = false;
    for (int g = 0; g < 4 && !taken; ++g) {
      if (!codes[g]->Trimmed().empty() && word == codes[g]->Trimmed()) {
        w.motion = static_cast<MotionKind>(g);
        taken = true;
      }
    }
    // Any other word is a code of the settings (M3, E=300, ...): no move.
    if (!taken && !TakeConfiguredWord(word, i >= text.size(), w)) TakeFrameOrDwellWord(word, w);
  }
  if (w.motion != MotionKind::kNone) motion_ = w.motion;
  if (w.hasWorkFrame) workFrame_ = w.workFrame;
  Dwell(w, lineNumber, moves);
  if (w.ends) {
    endLine_ = lineNumber;
    endCode_ = std::string(w.endCode);
  }
  const auto axis = [&p](bool has, double value, double current) {
    return !has ? current : p.XYZRelativ ? current + value : value;
  };
  const std::uint8_t given = p.XYZRelativ ? 0 : w.Axes();
  if (w.opensContour) {
    // The opening line of a sub-contour: to the rapid position (its Z is
    // never written), then down to the depth at the feed.
    if (w.hasX || w.hasY) {
      zKnown_ = false;
      const MotionKind before = motion_;
      motion_ = MotionKind::kRapid;
      Move(w, axis(w.hasX, w.x, x_), axis(w.hasY, w.y, y_), z_, given & (kAxisX | kAxisY), lineNumber, moves, findings);
      motion_ = before;
      zKnown_ = true;
      z_ = std::numeric_limits<double>::quiet_NaN();  // the plunge starts wherever the rapid move left Z
    }
    motion_ = MotionKind::kLinear;
    Words plunge;
    Move(plunge, x_, y_, axis(w.hasZ, w.z, z_), given & kAxisZ, lineNumber, moves, findings);
    return;
  }
  if (w.hasI) lastI_ = w.i;
  if (w.hasJ) lastJ_ = w.j;
  if (w.hasK) lastK_ = w.k;
  // With modal axes a full circle writes none: an arc block with its centre
  // and no axis goes round back to where it stands.
  const bool modalCentre = p.IJWerte && (plane_ == Plane::kXY || p.KWerte) && p.ModaleIJK;
  const bool fullCircle = IsArc(motion_) && (w.HasCentreWord(plane_) || (IsArc(w.motion) && modalCentre));
  if (!w.HasAxes() && !fullCircle) return;
  Move(w, axis(w.hasX, w.x, x_), axis(w.hasY, w.y, y_), axis(w.hasZ, w.z, z_), given, lineNumber, moves, findings);
}

}  // namespace morvatex
