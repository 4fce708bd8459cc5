#include "verify/GcodeReader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "base/Cp1252Codec.h"
#include "engine/ExtendedPrecision.h"
#include "verify/DecimalText.h"

namespace morvatex {

std::string_view ControlModelName(ControlModel model) {
  return model == ControlModel::kRs274 ? "RS274/NGC" : "eingestellt";
}

struct GcodeReader::Words {
  bool hasX = false, hasY = false, hasZ = false, hasI = false, hasJ = false, hasR = false;
  double x = 0, y = 0, z = 0, i = 0, j = 0, r = 0;
  bool largeArc = false;  // a negative R asks for the arc over 180°
  MotionKind motion = MotionKind::kNone;
  bool HasAxes() const { return hasX || hasY || hasZ; }
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

}  // namespace

GcodeReader::GcodeReader(ControlModel model, const MachineProfile& profile)
    : model_(model), profile_(profile), arcAbsolute_(model == ControlModel::kConfigured && !profile.IJKRelativ) {}

void GcodeReader::ReadLine(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                           std::vector<ReadFinding>& findings) {
  if (model_ == ControlModel::kRs274) {
    ReadRs274(text, lineNumber, moves, findings);
  } else {
    ReadConfigured(text, lineNumber, moves, findings);
  }
}

TracedMove GcodeReader::MoveFromHere(MotionKind kind, double x, double y, double z, std::size_t lineNumber) const {
  TracedMove move;
  move.kind = kind;
  move.startX = x_;
  move.startY = y_;
  move.startZ = z_;
  move.x = x;
  move.y = y;
  move.z = z;
  move.zKnown = zKnown_;
  move.feed = feed_;
  move.speed = speed_;
  move.tool = tool_;
  move.line = lineNumber;
  return move;
}

void GcodeReader::Move(const Words& w, double x, double y, double z, std::size_t lineNumber,
                       std::vector<TracedMove>& moves, std::vector<ReadFinding>& findings) {
  if (motion_ == MotionKind::kNone) {
    Find(findings, lineNumber, "Achsen ohne Bewegungsart (G0 bis G3)");
    return;
  }
  TracedMove move = MoveFromHere(motion_, x, y, z, lineNumber);
  if (IsArc(motion_)) {
    const bool clockwise = motion_ == MotionKind::kClockwise;
    const bool closed = x == x_ && y == y_;
    if (plane_ != 17) {
      Find(findings, lineNumber, std::string(Cp1252<u8"Kreisbogen außerhalb der XY-Ebene (G17)">()));
      return;
    }
    if (w.hasI || w.hasJ || (model_ == ControlModel::kConfigured && profile_.IJWerte && profile_.ModaleIJK)) {
      const double i = w.hasI ? w.i : (model_ == ControlModel::kConfigured ? lastI_ : 0);
      const double j = w.hasJ ? w.j : (model_ == ControlModel::kConfigured ? lastJ_ : 0);
      move.centreX = arcAbsolute_ ? i : x_ + i;
      move.centreY = arcAbsolute_ ? j : y_ + j;
    } else if (w.hasR) {
      if (closed) {
        Find(findings, lineNumber, "Vollkreis mit R-Wort: Endpunkt gleich Anfangspunkt, der Bogen ist nicht bestimmt");
        return;
      }
      const double dx = x - x_, dy = y - y_, chord = std::sqrt(dx * dx + dy * dy);
      const double r = std::fabs(w.r);
      double h2 = r * r - chord * chord / 4;
      if (h2 < 0) {
        if (chord / 2 - r > HalfUnit(profile_.Nachkommastellen) * 2)
          Find(findings, lineNumber,
               std::string(Cp1252<u8"Radius zu klein für den Abstand von Anfangs- und Endpunkt">()));
        h2 = 0;
      }
      // The centre lies right of the chord for a clockwise arc up to 180°,
      // left for a counter-clockwise one; the larger arc swaps the sides.
      const double side = (clockwise ? -1 : 1) * (w.largeArc ? -1 : 1);
      const double h = std::sqrt(h2);
      move.byRadius = true;
      move.centreX = (x + x_) / 2 - side * h * dy / chord;
      move.centreY = (y + y_) / 2 + side * h * dx / chord;
    } else {
      Find(findings, lineNumber, "Kreisbogen ohne Mittelpunkt (I, J) oder Radius (R)");
      return;
    }
    const double ex = x - move.centreX, ey = y - move.centreY;
    move.radius = std::sqrt(ex * ex + ey * ey);
    // One atan2 of the turn from the start to the end, in the arc's sense.
    const double sx = x_ - move.centreX, sy = y_ - move.centreY;
    const double turn = std::atan2(sx * ey - sy * ex, sx * ex + sy * ey) * (clockwise ? -1 : 1);
    move.sweep = closed ? 2 * kPi : turn < 0 ? turn + 2 * kPi : turn;
  }
  moves.push_back(move);
  x_ = x;
  y_ = y;
  z_ = z;
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
    case 190: plane_ = static_cast<int>(code / 10); break;
    case 200: unit_ = 25.4; break;
    case 210: unit_ = 1; break;
    case 900: incremental_ = false; break;
    case 910: incremental_ = true; break;
    case 901: arcAbsolute_ = true; break;
    case 911: arcAbsolute_ = false; break;
    case 400:
    case 490:
    case 540:
    case 550:
    case 560:
    case 570:
    case 580:
    case 590:
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

void GcodeReader::ReadRs274(std::string_view text, std::size_t lineNumber, std::vector<TracedMove>& moves,
                            std::vector<ReadFinding>& findings) {
  Words w;
  bool seen[26] = {};
  bool toolChange = false;
  double feed = 0, speed = 0, tool = 0;
  int feedDecimals = 0, speedDecimals = 0;
  bool hasF = false, hasS = false, hasT = false;
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
    const std::size_t length = ParseDecimalPrefix(text.substr(i + 1), value, decimals);
    const std::size_t numberEnd = i + 1 + length;
    // The number must end the word: a sign or point after it ("1-2",
    // "1.2.3") makes the word one RS274/NGC cannot read, as anything else
    // that is no blank, letter or comment does.
    if (length == 0 || (numberEnd < text.size() && !IsBlank(text[numberEnd]) && !IsLetter(text[numberEnd]) &&
                        text[numberEnd] != '(' && text[numberEnd] != ';')) {
      const std::size_t end = WordEnd(text, i);
      Find(findings, lineNumber, "Wort " + Quoted(text.substr(i, end - i)) + " liest RS274/NGC nicht");
      i = end;
      continue;
    }
    i = numberEnd;
    if (letter == 'N') continue;
    if (letter == 'G') {
      TakeGCode(value, w, lineNumber, findings);
      continue;
    }
    if (letter == 'M') {
      const long code = std::lround(value * 10);
      if (code == 60) toolChange = true;
      if (code % 10 != 0 || (code > 90 && code != 300)) {
        Find(findings, lineNumber, "M-Code " + DecimalText(value) + " kennt RS274/NGC nicht");
      }
      continue;
    }
    const bool known = letter == 'X' || letter == 'Y' || letter == 'Z' || letter == 'I' || letter == 'J' ||
                       letter == 'K' || letter == 'R' || letter == 'F' || letter == 'S' || letter == 'T';
    if (!known) {
      Find(findings, lineNumber, std::string("Buchstabe ") + letter + " kennt RS274/NGC nicht");
      continue;
    }
    if (seen[letter - 'A']) {
      Find(findings, lineNumber, std::string(std::string(Cp1252<u8"zwei Werte für ">())) + letter + " in einem Satz");
      continue;
    }
    seen[letter - 'A'] = true;
    switch (letter) {
      case 'X': w.hasX = true, w.x = value; break;
      case 'Y': w.hasY = true, w.y = value; break;
      case 'Z': w.hasZ = true, w.z = value; break;
      case 'I': w.hasI = true, w.i = value; break;
      case 'J': w.hasJ = true, w.j = value; break;
      case 'R': w.hasR = true, w.r = value, w.largeArc = value < 0; break;
      case 'F': hasF = true, feed = value, feedDecimals = decimals; break;
      case 'S': hasS = true, speed = value, speedDecimals = decimals; break;
      case 'T': hasT = true, tool = value; break;
      default: break;
    }
  }
  if (hasF) feed_ = Given(feed, feedDecimals, unit_);
  if (hasS) speed_ = Given(speed, speedDecimals, 1);
  if (hasT) pendingTool_ = tool;
  if (toolChange) tool_ = {true, pendingTool_, 0};
  if (w.motion != MotionKind::kNone) motion_ = w.motion;
  if (!w.HasAxes()) {
    if (IsArc(w.motion) && (w.hasI || w.hasJ || w.hasR)) Find(findings, lineNumber, "Kreisbogen ohne Endpunkt");
    return;
  }
  w.i *= unit_;
  w.j *= unit_;
  w.r *= unit_;
  const auto axis = [&](bool has, double value, double current) {
    return !has ? current : incremental_ ? current + value * unit_ : value * unit_;
  };
  Move(w, axis(w.hasX, w.x, x_), axis(w.hasY, w.y, y_), axis(w.hasZ, w.z, z_), lineNumber, moves, findings);
}

namespace {

// Takes the value of a word `prefix` + number when `word` is one.
bool WordValue(std::string_view word, std::string_view prefix, double& value, int& decimals) {
  if (prefix.empty() || word.size() <= prefix.size() || word.substr(0, prefix.size()) != prefix) return false;
  return ParseDecimal(word.substr(prefix.size()), value, decimals);
}

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

void GcodeReader::ReadConfigured(std::string_view line, std::size_t lineNumber, std::vector<TracedMove>& moves,
                                 std::vector<ReadFinding>& findings) {
  const MachineProfile& p = profile_;
  const bool xilog = p.Sonderbehandlung == 1;
  std::string_view text = WithoutBlockNumber(line, p);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty() || (xilog && text.substr(0, 5) == "H DX=")) return;
  if (const long tool = ToolOfChangeLine(text, p); tool >= 0) {
    tool_ = {true, static_cast<double>(tool), 0};
    return;
  }
  const std::string assign(p.ZeichenWertzuweisung.Trimmed());
  const auto prefix = [&assign](const auto& address) { return std::string(address.Text()) + assign; };
  const ShortString<15>* const codes[] = {&p.CodeG0, &p.CodeG1, &p.CodeG2, &p.CodeG3};
  Words w;
  bool opening = false;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    const std::size_t end = WordEnd(text, i);
    const std::string_view word = text.substr(i, end - i);
    i = end;
    double value = 0;
    int decimals = 0;
    bool taken = false;
    for (int g = 0; g < 4 && !taken; ++g) {
      if (!codes[g]->Trimmed().empty() && word == codes[g]->Trimmed()) {
        w.motion = static_cast<MotionKind>(g);
        taken = true;
      }
    }
    if (taken) continue;
    if (xilog && WordValue(word, "V=", value, decimals)) {
      feed_ = Given(value, decimals, 1000 * Undone(p.FaktorSonderF));
    } else if (xilog && WordValue(word, "S=", value, decimals)) {
      speed_ = Given(value, decimals, Undone(6 * p.FaktorSonderS));
    } else if (xilog && i >= text.size() && WordValue(word, "T" + assign, value, decimals)) {
      tool_ = {true, value, 0};
      opening = true;
    } else if (xilog && WordValue(word, "r" + assign, value, decimals)) {
      w.hasR = true, w.r = value;
    } else if (WordValue(word, prefix(p.AdresseX), value, decimals)) {
      w.hasX = true, w.x = value;
    } else if (WordValue(word, prefix(p.AdresseY), value, decimals)) {
      w.hasY = true, w.y = value;
    } else if (WordValue(word, prefix(p.AdresseZ), value, decimals) ||
               (xilog && WordValue(word, "Z" + assign, value, decimals))) {
      w.hasZ = true, w.z = value;
    } else if (p.IJWerte && WordValue(word, prefix(p.AdresseI), value, decimals)) {
      w.hasI = true, w.i = value;
    } else if (p.IJWerte && WordValue(word, prefix(p.AdresseJ), value, decimals)) {
      w.hasJ = true, w.j = value;
    } else if (!xilog && WordValue(word, prefix(p.AdresseR), value, decimals)) {
      w.hasR = true, w.r = std::fabs(value), w.largeArc = value < 0 || word.find('-') != std::string_view::npos;
    } else if (WordValue(word, prefix(p.AdresseF), value, decimals)) {
      feed_ = Given(value, decimals, Undone(p.FaktorSonderF));
    } else if (WordValue(word, prefix(p.AdresseS), value, decimals)) {
      speed_ = Given(value, decimals, Undone(6 * p.FaktorSonderS));
    }
    // Any other word is a code of the settings (M3, E=300, ...): no move.
  }
  if (w.motion != MotionKind::kNone) motion_ = w.motion;
  const auto axis = [&p](bool has, double value, double current) {
    return !has ? current : p.XYZRelativ ? current + value : value;
  };
  if (opening) {
    // The opening line of a sub-contour: to the rapid position (its Z is
    // never written), then down to the depth at the feed.
    if (w.hasX || w.hasY) {
      zKnown_ = false;
      const MotionKind before = motion_;
      motion_ = MotionKind::kRapid;
      Move(w, axis(w.hasX, w.x, x_), axis(w.hasY, w.y, y_), z_, lineNumber, moves, findings);
      motion_ = before;
      zKnown_ = true;
      z_ = std::numeric_limits<double>::quiet_NaN();  // the plunge starts wherever the rapid move left Z
    }
    motion_ = MotionKind::kLinear;
    Words plunge;
    Move(plunge, x_, y_, axis(w.hasZ, w.z, z_), lineNumber, moves, findings);
    return;
  }
  if (w.hasI) lastI_ = w.i;
  if (w.hasJ) lastJ_ = w.j;
  if (!w.HasAxes()) return;
  Move(w, axis(w.hasX, w.x, x_), axis(w.hasY, w.y, y_), axis(w.hasZ, w.z, z_), lineNumber, moves, findings);
}

}  // namespace morvatex
