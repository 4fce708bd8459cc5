// Random Isel programs converted in both drawing forms and read back with an
// independent DXF reader: what the reader sees must be the tool path that
// the program describes, worked out here on its own from the programmed
// micrometres.
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/engine/DxfReading.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex::testing {
namespace {

constexpr double kPiDouble = 3.14159265358979323846;

struct Point {
  std::int64_t x = 0, y = 0;  // µm
  bool operator==(const Point&) const = default;
};

double Mm(std::int64_t micrometres) { return static_cast<double>(micrometres) / 1000; }

// One feed move that must appear in the drawing.
struct Segment {
  Point start, end, centre;
  int kind;                // 0 rapid, 1 linear, 2 clockwise, 3 counter-clockwise
  int fullCircleHalf = 0;  // 1 or 2 for the halves of a full circle
  bool IsArc() const { return kind >= 2; }
  double StartAngle() const { return std::atan2(Mm(start.y - centre.y), Mm(start.x - centre.x)); }
  double EndAngle() const { return std::atan2(Mm(end.y - centre.y), Mm(end.x - centre.x)); }
  double Sweep() const {
    double s = kind == 2 ? StartAngle() - EndAngle() : EndAngle() - StartAngle();
    return s < 0 ? s + 2 * kPiDouble : s;
  }
  double Bulge() const { return kind == 2 ? -std::tan(Sweep() / 4) : std::tan(Sweep() / 4); }
  double Radius() const { return std::hypot(Mm(end.x - centre.x), Mm(end.y - centre.y)); }
};

struct Extents {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool first = true;
  void Include(double x, double y) {
    if (first) minX = maxX = x, minY = maxY = y, first = false;
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
};

// A random program and the tool path it describes: the feed moves grouped
// into polylines (a rapid move ends one), and the extents.
struct Program {
  std::vector<std::string> lines;
  std::vector<std::vector<Segment>> polylines;
  Extents extents;
};

class ProgramMaker {
 public:
  explicit ProgramMaker(std::uint64_t seed) : random_(seed) {}

  Program Make() {
    program_ = Program{};
    polyline_.clear();
    offset_ = prog_ = progCentre_ = pos_ = {};
    const int count = Uniform(10, 90);
    for (int i = 0; i < count; ++i) AddCommand();
    Emit("PROGEND", std::nullopt);
    while (program_.lines.size() < 5) program_.lines.insert(program_.lines.begin(), "; filler");
    return std::move(program_);
  }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  std::int64_t Coordinate() { return Uniform(-200000, 200000); }

  // Words that take the programmed values to `target` (absolute µm, before
  // the work offset), absolute or relative.
  static std::string Word(char letter, std::int64_t target, std::int64_t programmed, std::int64_t offset,
                          bool relative) {
    const std::int64_t value = relative ? target - offset - programmed : target - offset;
    return std::string(" ") + letter + std::to_string(value);
  }

  void AddCommand() {
    switch (Uniform(0, 14)) {
      case 0:
      case 1: return Move(0, false);
      case 2: return Move(0, true);
      case 3:
      case 4:
      case 5: return Move(1, false);
      case 6: return Move(1, true);
      case 7:
      case 8: return ArcMove(Uniform(2, 3), Uniform(0, 1) == 1);
      case 9:
        if (Uniform(0, 1)) return Emit("MOVEABS Z-" + std::to_string(Uniform(0, 5000)), std::nullopt, 1);
        return Emit(Uniform(0, 1) ? "FASTABS Z5000" : "FASTREL Z0", std::nullopt, 0);
      case 10: {
        const char* others[] = {"VEL 3000",  "SPINDLE CW RPM12000", "; Kommentar", "COOLANT ON",
                                "GETTOOL 4", "FASTVEL 20000",       "HALT"};
        return Emit(others[Uniform(0, 6)], std::nullopt);
      }
      case 11:
        // The work-piece zero moves to the programmed point; it takes effect
        // at the next move line.
        offset_.x += prog_.x, offset_.y += prog_.y;
        return Emit("WPZERO", std::nullopt);
      case 12: offset_ = {}; return Emit(Uniform(0, 1) ? "WPCLEAR" : "WPZEROABS", std::nullopt);
      case 13: return CloseContour();
      default: return FullCircle();
    }
  }

  void Move(int kind, bool relative) {
    const char* names[2][2] = {{"FASTABS", "FASTREL"}, {"MOVEABS", "MOVEREL"}};
    std::string line = names[kind][relative];
    Point target{Coordinate(), Coordinate()};
    const int which = Uniform(0, 3);  // both words, X only, Y only, both
    if (which == 1) target.y = offset_.y + prog_.y;
    if (which == 2) target.x = offset_.x + prog_.x;
    if (which != 2) line += Word('X', target.x, prog_.x, offset_.x, relative);
    if (which != 1) line += Word('Y', target.y, prog_.y, offset_.y, relative);
    prog_ = {target.x - offset_.x, target.y - offset_.y};
    Emit(line, Segment{pos_, target, {}, kind});
  }

  void ArcMove(int kind, bool relative) {
    const Point start = pos_;
    const double radius = Uniform(1000, 100000);
    const double startAngle = Uniform(0, 359) * kPiDouble / 180 + 0.1;
    const Point centre{start.x - std::llround(radius * std::cos(startAngle)),
                       start.y - std::llround(radius * std::sin(startAngle))};
    const double sweep = Uniform(5, 355) * kPiDouble / 180;
    const double endAngle = kind == 2 ? startAngle - sweep : startAngle + sweep;
    const Point end{centre.x + std::llround(radius * std::cos(endAngle)),
                    centre.y + std::llround(radius * std::sin(endAngle))};
    AddArcLine(kind, relative, centre, end);
  }

  // A feed move back to where the open polyline began closes it.
  void CloseContour() {
    if (polyline_.empty()) return Move(1, false);
    const Point target = polyline_.front().start;
    prog_ = {target.x - offset_.x, target.y - offset_.y};
    Emit("MOVEABS X" + std::to_string(prog_.x) + " Y" + std::to_string(prog_.y), Segment{pos_, target, {}, 1});
  }

  // A full circle ends where it starts: a circle, or two half circles in a
  // polyline.
  void FullCircle() {
    const Point centre{pos_.x + Uniform(-50000, 50000), pos_.y + Uniform(1000, 50000)};
    AddArcLine(Uniform(2, 3), Uniform(0, 1) == 1, centre, pos_);
  }

  void AddArcLine(int kind, bool relative, Point centre, Point end) {
    const char* names[2][2] = {{"CWABS", "CWREL"}, {"CCWABS", "CCWREL"}};
    std::string line = names[kind - 2][relative];
    // A relative I or J adds to the last programmed I or J.
    line += Word('I', centre.x, progCentre_.x, offset_.x, relative);
    line += Word('J', centre.y, progCentre_.y, offset_.y, relative);
    line += Word('X', end.x, prog_.x, offset_.x, relative);
    line += Word('Y', end.y, prog_.y, offset_.y, relative);
    progCentre_ = {centre.x - offset_.x, centre.y - offset_.y};
    prog_ = {end.x - offset_.x, end.y - offset_.y};
    Emit(line, Segment{pos_, end, centre, kind});
  }

  // Adds `line` (sometimes behind a block number); `move` is the move it
  // makes, if any. `zOnly` marks a move line without X and Y words: kind 1
  // feed, 0 rapid; its end point is the programmed point under the current
  // work-piece zero.
  void Emit(const std::string& line, std::optional<Segment> move, int zOnly = -1) {
    program_.lines.push_back(Uniform(0, 3) == 0 ? "N" + std::to_string(program_.lines.size() + 1) + " " + line : line);
    if (zOnly >= 0) move = Segment{pos_, {offset_.x + prog_.x, offset_.y + prog_.y}, {}, zOnly == 1 ? 1 : 0};
    if (move) {
      pos_ = move->end;
      if (move->kind == 0) {
        EndPolyline();
      } else if (!(move->end == move->start)) {
        polyline_.push_back(*move);
      } else if (move->IsArc() && !(move->centre == move->start)) {
        // A full circle: two half circles through the opposite point.
        Segment half = *move;
        half.end = {2 * move->centre.x - move->start.x, 2 * move->centre.y - move->start.y};
        half.fullCircleHalf = 1;
        polyline_.push_back(half);
        half.start = half.end;
        half.end = move->end;
        half.fullCircleHalf = 2;
        polyline_.push_back(half);
      }
    }
    Measure(move);
    if (line == "PROGEND") EndPolyline();
  }

  void EndPolyline() {
    if (!polyline_.empty()) program_.polylines.push_back(polyline_);
    polyline_.clear();
  }

  // The extents after a line: the position, and the axis points of an arc's
  // circle that the arc passes (all four for a full circle).
  void Measure(const std::optional<Segment>& move) {
    Extents& e = program_.extents;
    e.Include(Mm(pos_.x), Mm(pos_.y));
    if (!move || !move->IsArc()) return;
    const Segment& s = *move;
    const double cx = Mm(s.centre.x), cy = Mm(s.centre.y), r = s.Radius();
    const double axis[4][3] = {
        {0, cx + r, cy}, {kPiDouble / 2, cx, cy + r}, {kPiDouble, cx - r, cy}, {-kPiDouble / 2, cx, cy - r}};
    for (const auto& a : axis) {
      double offset = s.kind == 2 ? s.StartAngle() - a[0] : a[0] - s.StartAngle();
      while (offset < 0) offset += 2 * kPiDouble;
      while (offset >= 2 * kPiDouble) offset -= 2 * kPiDouble;
      if (s.end == s.start || (offset > 0 && offset < s.Sweep())) e.Include(a[1], a[2]);
    }
  }

  std::mt19937_64 random_;
  Program program_;
  std::vector<Segment> polyline_;
  Point offset_, prog_, progCentre_, pos_;
};

void ExpectNear(double actual, double expected, const std::string& what) {
  EXPECT_NEAR(actual, expected, 1e-9 * std::max(1.0, std::fabs(expected))) << what;
}

// The angle in degrees as the drawing gives it: from atan2, not normalised.
double Degrees(double radians) { return radians * 180 / kPiDouble; }

void CheckSingleEntities(const ReadDrawing& read, const Program& program) {
  std::size_t line = 0, arc = 0, circle = 0;
  std::vector<Segment> all;
  for (const auto& polyline : program.polylines) {
    for (const Segment& s : polyline)
      if (s.fullCircleHalf != 2) all.push_back(s);
  }
  ASSERT_EQ(read.order.size(), all.size());
  EXPECT_TRUE(read.polylines.empty());
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Segment& s = all[i];
    const std::string where = "entity " + std::to_string(i);
    if (s.fullCircleHalf == 1) {
      ASSERT_EQ(read.order[i].kind, EntityKind::kCircle) << where;
      const ReadCircle& c = read.circles[circle++];
      EXPECT_EQ(c.layer, "KTX");
      ExpectNear(c.cx, Mm(s.centre.x), where);
      ExpectNear(c.cy, Mm(s.centre.y), where);
      ExpectNear(c.radius, s.Radius(), where);
    } else if (!s.IsArc()) {
      ASSERT_EQ(read.order[i].kind, EntityKind::kLine) << where;
      const ReadLine& l = read.lines[line++];
      EXPECT_EQ(l.layer, "KTX");
      ExpectNear(l.x1, Mm(s.start.x), where);
      ExpectNear(l.y1, Mm(s.start.y), where);
      ExpectNear(l.x2, Mm(s.end.x), where);
      ExpectNear(l.y2, Mm(s.end.y), where);
    } else {
      ASSERT_EQ(read.order[i].kind, EntityKind::kArc) << where;
      const ReadArc& a = read.arcs[arc++];
      EXPECT_EQ(a.layer, "KTX");
      ExpectNear(a.cx, Mm(s.centre.x), where);
      ExpectNear(a.cy, Mm(s.centre.y), where);
      ExpectNear(a.radius, s.Radius(), where);
      // Counter-clockwise from angle 1 to angle 2: a clockwise move is
      // drawn from its end back to its start.
      const double from = s.kind == 2 ? s.EndAngle() : s.StartAngle();
      const double to = s.kind == 2 ? s.StartAngle() : s.EndAngle();
      ExpectNear(a.angle1, Degrees(from), where);
      ExpectNear(a.angle2, Degrees(to), where);
    }
  }
}

void CheckPolylines(const ReadDrawing& read, const Program& program) {
  ASSERT_EQ(read.polylines.size(), program.polylines.size());
  EXPECT_TRUE(read.lines.empty());
  EXPECT_TRUE(read.arcs.empty());
  EXPECT_TRUE(read.circles.empty());
  for (std::size_t p = 0; p < read.polylines.size(); ++p) {
    const ReadPolyline& got = read.polylines[p];
    const std::vector<Segment>& want = program.polylines[p];
    const bool closed = want.back().end == want.front().start;
    const std::string where = "polyline " + std::to_string(p);
    EXPECT_EQ(got.layer, "KTX");
    EXPECT_TRUE(got.ended) << where;
    EXPECT_EQ(got.closed, closed) << where;
    ASSERT_EQ(got.vertices.size(), want.size() + (closed ? 0 : 1)) << where;
    for (std::size_t v = 0; v < want.size(); ++v) {
      const std::string at = where + " vertex " + std::to_string(v);
      EXPECT_EQ(got.vertices[v].layer, "KTX");
      ExpectNear(got.vertices[v].x, Mm(want[v].start.x), at);
      ExpectNear(got.vertices[v].y, Mm(want[v].start.y), at);
      ExpectNear(got.vertices[v].bulge, want[v].IsArc() ? want[v].Bulge() : 0.0, at);
    }
    if (!closed) {
      ExpectNear(got.vertices.back().x, Mm(want.back().end.x), where);
      ExpectNear(got.vertices.back().y, Mm(want.back().end.y), where);
      EXPECT_EQ(got.vertices.back().bulge, 0) << where;
    }
  }
}

void CheckExtents(const ReadDrawing& read, const Extents& e) {
  constexpr double kField = 0.0025;  // three decimals, and the end radius of arcs
  EXPECT_NEAR(read.extMin[0], e.minX, kField);
  EXPECT_NEAR(read.extMin[1], e.minY, kField);
  EXPECT_NEAR(read.extMax[0], e.maxX, kField);
  EXPECT_NEAR(read.extMax[1], e.maxY, kField);
  EXPECT_NEAR(read.limMin[0], e.minX - 10, kField);
  EXPECT_NEAR(read.limMin[1], e.minY - 10, kField);
  EXPECT_NEAR(read.limMax[0], e.maxX + 10, kField);
  EXPECT_NEAR(read.limMax[1], e.maxY + 10, kField);
}

// The text itself: CR LF line ends, three-character group codes in the
// entities, numbers without exponent, plus sign or negative zero.
void CheckText(const std::string& dxf) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  for (std::size_t end; (end = dxf.find("\r\n", begin)) != std::string::npos; begin = end + 2) {
    lines.push_back(dxf.substr(begin, end - begin));
  }
  ASSERT_EQ(begin, dxf.size()) << "the last line must end with CR LF";
  ASSERT_GE(lines.size(), 41u);
  ASSERT_EQ(lines[37], "ENTITIES");
  ASSERT_EQ((lines.size() - 38) % 2, 0u);
  for (std::size_t i = 38; i < lines.size(); i += 2) {
    ASSERT_EQ(lines[i].size(), 3u) << "line " << i + 1;
    if (lines[i] == "  0" || lines[i] == "  8") continue;  // names, not numbers
    const std::string& value = lines[i + 1];
    EXPECT_EQ(value.find_first_not_of("-.0123456789 "), std::string::npos) << value;
    EXPECT_NE(value, "-0");
  }
  EXPECT_EQ(lines.back(), "EOF");
}

TEST(DxfReaderCheckTest, RandomProgramsDrawTheirToolPathInBothForms) {
  for (std::uint64_t seed = 1; seed <= 150; ++seed) {
    const Program program = ProgramMaker(seed).Make();
    std::string text;
    for (const std::string& line : program.lines) text += line + "\r\n";
    for (bool polylines : {true, false}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + (polylines ? " polylines" : " single entities") + "\n" + text);
      SettingsRecord settings = NewConfigurationSettings();
      settings.CNCDINCodeerstellen = false;
      settings.DXFDateinerzeugen = true;
      settings.Erstelle2DPolylinien = polylines;
      const ConversionResult result = Convert(settings, text);
      ASSERT_EQ(result.code, Outcome::kSuccess) << result.report;
      CheckText(result.dxf);
      const ReadDrawing read = ReadWithDxflib(result.dxf);
      ASSERT_TRUE(read.ok);
      EXPECT_EQ(read.otherEntities, 0);
      CheckExtents(read, program.extents);
      if (polylines) {
        CheckPolylines(read, program);
      } else {
        CheckSingleEntities(read, program);
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace morvatex::testing
