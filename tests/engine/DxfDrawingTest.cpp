// The DXF drawing of whole conversions, byte for byte, in both forms.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "tests/engine/DxfReading.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex::testing {
namespace {

SettingsRecord DxfSettings(bool polylines) {
  SettingsRecord settings = NewConfigurationSettings();
  settings.CNCDINCodeerstellen = false;
  settings.DXFDateinerzeugen = true;
  settings.Erstelle2DPolylinien = polylines;
  return settings;
}

// The file up to the first entity, with the eight extents fields in the
// order minimum X, minimum Y, maximum X, maximum Y, then the limits.
std::string Header(const std::array<std::string_view, 8>& f) {
  const std::string comment1 =
      "Generator: Morvatex Ver.01.23 / Infos: https://morvatex.example/" + std::string(16, ' ');
  const std::string comment2 = "Werkzeugbahn: Vorschubbewegungen in der XY-Ebene" + std::string(32, ' ');
  return CrLfLines({"999", comment1,  "999", comment2,               //
                    "0",   "SECTION", "2",   "HEADER",               //
                    "9",   "$EXTMIN", "10",  f[0],      "20", f[1],  //
                    "9",   "$EXTMAX", "10",  f[2],      "20", f[3],  //
                    "9",   "$LIMMIN", "10",  f[4],      "20", f[5],  //
                    "9",   "$LIMMAX", "10",  f[6],      "20", f[7],  //
                    "0",   "ENDSEC",  "0",   "SECTION", "2",  "ENTITIES", "  0"});
}

const std::string kEnd = CrLfLines({"ENDSEC", "  0", "EOF"});

std::string Line(std::string_view x1, std::string_view y1, std::string_view x2, std::string_view y2) {
  return CrLfLines({"LINE", "  8", "KTX", " 10", x1, " 20", y1, " 11", x2, " 21", y2, "  0"});
}

std::string Arc(std::string_view cx, std::string_view cy, std::string_view r, std::string_view a1,
                std::string_view a2) {
  return CrLfLines({"ARC", "  8", "KTX", " 10", cx, " 20", cy, " 40", r, " 50", a1, " 51", a2, "  0"});
}

std::string PolylineHead(bool closed) {
  std::string head = CrLfLines({"POLYLINE", "  8", "KTX", " 66", "     1", " 10", "0", " 20", "0", " 30", "0"});
  if (closed) head += CrLfLines({" 70", "     1"});
  return head + CrLfLines({"  0"});
}

std::string Vertex(std::string_view x, std::string_view y, std::string_view bulge = {}) {
  std::string vertex = CrLfLines({"VERTEX", "  8", "KTX", " 10", x, " 20", y, " 30", "0"});
  if (!bulge.empty()) vertex += CrLfLines({" 42", bulge});
  return vertex + CrLfLines({"  0"});
}

const std::string kSeqEnd = CrLfLines({"SEQEND", "  8", "KTX", "  0"});

// Converts `program` with DXF output only and checks that an independent
// reader accepts the file it leaves.
ConversionResult ConvertDrawing(bool polylines, const std::vector<std::string_view>& program,
                                ReadDrawing* read = nullptr) {
  ConversionResult result = Convert(DxfSettings(polylines), CrLfLines(program));
  if (result.dxfWritten) {
    const ReadDrawing drawing = ReadWithDxflib(result.dxf);
    EXPECT_TRUE(drawing.ok);
    EXPECT_EQ(drawing.comments.size(), 2u);
    EXPECT_EQ(drawing.headerVariables, 4);
    EXPECT_EQ(drawing.otherEntities, 0);
    if (read) *read = drawing;
  }
  return result;
}

const std::vector<std::string_view> kClosedRectangle = {"FASTABS X10000 Y10000 Z5000",
                                                        "MOVEABS Z-1000",
                                                        "MOVEABS X60000",
                                                        "MOVEABS Y40000",
                                                        "MOVEABS X10000",
                                                        "MOVEABS Y10000",
                                                        "FASTABS Z5000",
                                                        "PROGEND"};
const std::vector<std::string_view> kOpenRectangle = {"FASTABS X10000 Y10000 Z5000",
                                                      "MOVEABS Z-1000",
                                                      "MOVEABS X60000",
                                                      "MOVEABS Y40000",
                                                      "MOVEABS X10000",
                                                      "FASTABS Z5000",
                                                      "PROGEND"};
const std::array<std::string_view, 8> kRectangleFields = {"    10.000", "    10.000", "    60.000", "    40.000",
                                                          "     0.000", "     0.000", "    70.000", "    50.000"};

TEST(DxfDrawingTest, PlungingOnlyGivesTheHeaderAndTheEnd) {
  const ConversionResult result = ConvertDrawing(
      true, {"FASTABS X5000 Y-5000 Z2000", "MOVEABS Z-1000", "MOVEABS Z-2000", "FASTABS Z2000", "PROGEND"});
  ASSERT_EQ(result.code, Outcome::kSuccess);
  EXPECT_EQ(result.dxf, Header({"     5.000", "    -5.000", "     5.000", "    -5.000", "    -5.000", "   -15.000",
                                "    15.000", "     5.000"}) +
                            kEnd);
}

TEST(DxfDrawingTest, TheHeaderHasItsFieldsAtFixedOffsets) {
  const ConversionResult result = ConvertDrawing(false, kClosedRectangle);
  ASSERT_EQ(result.code, Outcome::kSuccess);
  const std::string& dxf = result.dxf;
  EXPECT_EQ(dxf.find("\r\n", 5), 85u);  // comment 1: 80 characters
  EXPECT_EQ(dxf.find("0\r\nSECTION\r\n"), 174u);
  const std::array<std::size_t, 8> offsets = {213, 229, 257, 273, 301, 317, 345, 361};
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    EXPECT_EQ(dxf.substr(offsets[i], 12), std::string(kRectangleFields[i]) + "\r\n") << i;
  }
}

TEST(DxfDrawingTest, ARectangleBackToItsCornerIsOneClosedPolyline) {
  ReadDrawing read;
  const ConversionResult result = ConvertDrawing(true, kClosedRectangle, &read);
  ASSERT_EQ(result.code, Outcome::kSuccess);
  EXPECT_EQ(result.dxf, Header(kRectangleFields) + PolylineHead(true) + Vertex("10", "10") + Vertex("60", "10") +
                            Vertex("60", "40") + Vertex("10", "40") + kSeqEnd + kEnd);
  ASSERT_EQ(read.polylines.size(), 1u);
  EXPECT_TRUE(read.polylines[0].closed);
  EXPECT_TRUE(read.polylines[0].ended);
  EXPECT_EQ(read.polylines[0].vertices.size(), 4u);
  EXPECT_EQ(read.polylines[0].layer, "KTX");
  EXPECT_DOUBLE_EQ(read.extMax[0], 60);
  EXPECT_DOUBLE_EQ(read.limMax[1], 50);
}

TEST(DxfDrawingTest, AnOpenRectangleEndsWithAVertexAtItsOpenEnd) {
  ReadDrawing read;
  const ConversionResult result = ConvertDrawing(true, kOpenRectangle, &read);
  ASSERT_EQ(result.code, Outcome::kSuccess);
  EXPECT_EQ(result.dxf, Header(kRectangleFields) + PolylineHead(false) + Vertex("10", "10") + Vertex("60", "10") +
                            Vertex("60", "40") + Vertex("10", "40") + kSeqEnd + kEnd);
  ASSERT_EQ(read.polylines.size(), 1u);
  EXPECT_FALSE(read.polylines[0].closed);
  EXPECT_EQ(read.polylines[0].vertices.size(), 4u);
}

TEST(DxfDrawingTest, WithSingleEntitiesARectangleIsFourLines) {
  ReadDrawing read;
  const ConversionResult result = ConvertDrawing(false, kClosedRectangle, &read);
  ASSERT_EQ(result.code, Outcome::kSuccess);
  EXPECT_EQ(result.dxf, Header(kRectangleFields) + Line("10", "10", "60", "10") + Line("60", "10", "60", "40") +
                            Line("60", "40", "10", "40") + Line("10", "40", "10", "10") + kEnd);
  EXPECT_EQ(read.lines.size(), 4u);
  EXPECT_TRUE(read.polylines.empty());
  const ConversionResult open = ConvertDrawing(false, kOpenRectangle);
  EXPECT_EQ(open.dxf, Header(kRectangleFields) + Line("10", "10", "60", "10") + Line("60", "10", "60", "40") +
                          Line("60", "40", "10", "40") + kEnd);
}

const std::size_t kHeaderSize = Header(kRectangleFields).size();

const std::vector<std::string_view> kQuarterArcs = {"FASTABS X10000 Y0", "CWABS I0 J0 X0 Y-10000", "FASTABS X0 Y10000",
                                                    "CCWABS I0 J0 X-10000 Y0", "PROGEND"};
const std::array<std::string_view, 8> kQuarterArcFields = {"   -10.000", "   -10.000", "    10.000", "    10.000",
                                                           "   -20.000", "   -20.000", "    20.000", "    20.000"};

TEST(DxfDrawingTest, QuarterArcsRunCounterClockwiseFromGroup50To51) {
  ReadDrawing read;
  const ConversionResult result = ConvertDrawing(false, kQuarterArcs, &read);
  ASSERT_EQ(result.code, Outcome::kSuccess);
  // The clockwise arc from 0° to −90° is drawn from −90° to 0°; angles keep
  // their sign.
  EXPECT_EQ(result.dxf,
            Header(kQuarterArcFields) + Arc("0", "0", "10", "-90", "0") + Arc("0", "0", "10", "90", "180") + kEnd);
  ASSERT_EQ(read.arcs.size(), 2u);
  EXPECT_DOUBLE_EQ(read.arcs[0].angle1, -90);
  EXPECT_DOUBLE_EQ(read.arcs[1].angle2, 180);
}

TEST(DxfDrawingTest, InAPolylineAnArcPutsItsBulgeOnItsStartVertex) {
  ReadDrawing read;
  const ConversionResult result = ConvertDrawing(true, kQuarterArcs, &read);
  ASSERT_EQ(result.code, Outcome::kSuccess);
  EXPECT_EQ(result.dxf, Header(kQuarterArcFields) + PolylineHead(false) + Vertex("10", "0", "-0.414213562373095") +
                            Vertex("0", "-10") + kSeqEnd + PolylineHead(false) +
                            Vertex("0", "10", "0.414213562373095") + Vertex("-10", "0") + kSeqEnd + kEnd);
  ASSERT_EQ(read.polylines.size(), 2u);
  EXPECT_NEAR(read.polylines[0].vertices[0].bulge, -0.414213562373095, 1e-15);
  EXPECT_EQ(read.polylines[0].vertices[1].bulge, 0);
}

TEST(DxfDrawingTest, HalfCirclesHaveTheBulgeOneAndCloseARound) {
  const std::vector<std::string_view> round = {"FASTABS X10000 Y0", "CCWABS I0 J0 X-10000 Y0",
                                               "MOVEREL Y-5000",    "CWREL X20000 I0 J-5000",
                                               "MOVEABS Y0",        "PROGEND"};
  // A half circle counter-clockwise, a step down, a half circle clockwise
  // about (0, −5) (a relative J adds to the last J), the step back up:
  // closed.
  const ConversionResult result = ConvertDrawing(true, round);
  ASSERT_EQ(result.code, Outcome::kSuccess);
  EXPECT_EQ(result.dxf.substr(kHeaderSize), PolylineHead(true) + Vertex("10", "0", "1") + Vertex("-10", "0") +
                                                Vertex("-10", "-5", "-1") + Vertex("10", "-5") + kSeqEnd + kEnd);
  const ConversionResult lines = ConvertDrawing(false, round);
  EXPECT_EQ(lines.dxf.substr(kHeaderSize), Arc("0", "0", "10", "0", "180") + Line("-10", "0", "-10", "-5") +
                                               Arc("0", "-5", "10", "0", "180") + Line("10", "-5", "10", "0") + kEnd);
}

TEST(DxfDrawingTest, RapidMovesEndPolylinesAndNothingElseDoes) {
  const std::vector<std::string_view> program = {"FASTABS X0 Y0",
                                                 "MOVEABS X1000",
                                                 "VEL 3000",
                                                 "; a comment between two segments",
                                                 "SPINDLE CW RPM10000",
                                                 "MOVEABS Y1000",
                                                 "MOVEABS Z-500",                 // lowering Z keeps the polyline
                                                 "CWABS I500 J1000 X1000 Y1000",  // a full circle: no break
                                                 "MOVEABS X2000",
                                                 "FASTABS Z5000",  // lifting Z at rapid ends it
                                                 "MOVEABS X3000",
                                                 "FASTREL X0",  // a rapid move to where the tool stands ends it too
                                                 "MOVEABS Y2000",
                                                 "PROGEND"};
  const ConversionResult result = ConvertDrawing(true, program);
  ASSERT_EQ(result.code, Outcome::kSuccess);
  // The full circle continues the polyline as two half circles.
  EXPECT_EQ(result.dxf.substr(kHeaderSize), PolylineHead(false) + Vertex("0", "0") + Vertex("1", "0") +
                                                Vertex("1", "1", "-1") + Vertex("0", "1", "-1") + Vertex("1", "1") +
                                                Vertex("2", "1") + kSeqEnd + PolylineHead(false) + Vertex("2", "1") +
                                                Vertex("3", "1") + kSeqEnd + PolylineHead(false) + Vertex("3", "1") +
                                                Vertex("3", "2") + kSeqEnd + kEnd);
  const ConversionResult lines = ConvertDrawing(false, program);
  // With single entities it is one circle.
  EXPECT_EQ(lines.dxf.substr(kHeaderSize),
            Line("0", "0", "1", "0") + Line("1", "0", "1", "1") +
                CrLfLines({"CIRCLE", "  8", "KTX", " 10", "0.5", " 20", "1", " 40", "0.5", "  0"}) +
                Line("1", "1", "2", "1") + Line("2", "1", "3", "1") + Line("3", "1", "3", "2") + kEnd);
}

TEST(DxfDrawingTest, ExtentsFieldsAreRightAlignedAndCutToTenCharacters) {
  ConversionResult result =
      ConvertDrawing(true, {"FASTABS X-5000 Y0", "MOVEABS X250500 Y20000", "MOVEABS Y0", "FASTABS Z1000", "PROGEND"});
  ASSERT_EQ(result.code, Outcome::kSuccess);
  EXPECT_EQ(result.dxf.substr(0, kHeaderSize), Header({"    -5.000", "     0.000", "   250.500", "    20.000",
                                                       "   -15.000", "   -10.000", "   260.500", "    30.000"}));

  result = ConvertDrawing(false, {"FASTABS X-2147483648 Y2147483647", "MOVEABS X2147483647", "MOVEABS Y-1000000",
                                  "FASTABS Z1000", "PROGEND"});
  ASSERT_EQ(result.code, Outcome::kSuccess);
  EXPECT_EQ(result.dxf.substr(0, kHeaderSize), Header({"-2147483.6", " -1000.000", "2147483.64", "2147483.64",
                                                       "-2147493.6", " -1010.000", "2147493.64", "2147493.64"}));
}

// Each LINE or ARC entity is one write; the header is write 1.
TEST(DxfDrawingTest, AnEntityThatCannotBeWrittenEndsTheRunWith65) {
  FakeFileSystem fs;
  fs.failWriteNumber[kDxfPath] = 3;
  ConversionResult result = Convert(DxfSettings(false), CrLfLines(kClosedRectangle), fs);
  EXPECT_EQ(result.code, Outcome::kDxfEntity);
  EXPECT_FALSE(result.dxfWritten);  // a failed run leaves no drawing
  EXPECT_NE(result.report.find("Fehler beim Schreiben der DXF-Datei!"), std::string::npos);
  EXPECT_EQ(fs.writeCount[kDxfPath], 3);  // the run stopped at that line: no later entity, no end

  FakeFileSystem kept;
  kept.failWriteNumber[kDxfPath] = 3;
  ConversionOptions debug;
  debug.debugMode = true;
  result = Convert(DxfSettings(false), CrLfLines(kClosedRectangle), kept, debug);
  EXPECT_EQ(result.code, Outcome::kDxfEntity);
  ASSERT_TRUE(result.dxfWritten);
  EXPECT_EQ(result.dxf, Header({"0000000000", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000",
                                "0000000000", "0000000000"}) +
                            Line("10", "10", "60", "10"));
}

TEST(DxfDrawingTest, APolylineThatCannotBeWrittenGives65WhereverItIsFlushed) {
  // Flushed by the rapid move that lifts Z, the end of the file unwritten.
  FakeFileSystem fs;
  fs.failWriteNumber[kDxfPath] = 2;
  ConversionOptions debug;
  debug.debugMode = true;
  ConversionResult result = Convert(DxfSettings(true), CrLfLines(kClosedRectangle), fs, debug);
  EXPECT_EQ(result.code, Outcome::kDxfEntity);
  EXPECT_EQ(fs.writeCount[kDxfPath], 2);
  EXPECT_EQ(result.dxf, Header({"0000000000", "0000000000", "0000000000", "0000000000", "0000000000", "0000000000",
                                "0000000000", "0000000000"}));

  // Flushed at the end of the writing pass.
  FakeFileSystem atEnd;
  atEnd.failWriteNumber[kDxfPath] = 2;
  result = Convert(DxfSettings(true),
                   CrLfLines({"FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X0", "PROGEND"}), atEnd);
  EXPECT_EQ(result.code, Outcome::kDxfEntity);
  EXPECT_EQ(atEnd.writeCount[kDxfPath], 2);
  EXPECT_FALSE(result.dxfWritten);
}

TEST(DxfDrawingTest, ALongPolylineIsWrittenInPiecesWithTheSameBytes) {
  std::vector<std::string> lines = {"FASTABS X0 Y0"};
  std::string expected = PolylineHead(false);
  for (int i = 1; i <= 3000; ++i) {
    lines.push_back("MOVEABS X" + std::to_string(i * 1000) + " Y" + std::to_string((i % 2) * 1000));
    expected += Vertex(std::to_string(i - 1), std::to_string((i - 1) % 2));
  }
  expected += Vertex("3000", "0") + kSeqEnd;
  lines.push_back("PROGEND");
  const std::vector<std::string_view> program(lines.begin(), lines.end());

  FakeFileSystem fs;
  ConversionResult result = Convert(DxfSettings(true), CrLfLines(program), fs);
  ASSERT_EQ(result.code, Outcome::kSuccess);
  EXPECT_EQ(result.dxf.substr(kHeaderSize), expected + kEnd);
  EXPECT_GT(fs.writeCount[kDxfPath], 3);
  const ReadDrawing read = ReadWithDxflib(result.dxf);
  ASSERT_EQ(read.polylines.size(), 1u);
  EXPECT_EQ(read.polylines[0].vertices.size(), 3001u);

  FakeFileSystem failing;
  failing.failWriteNumber[kDxfPath] = 3;
  ConversionOptions debug;
  debug.debugMode = true;
  result = Convert(DxfSettings(true), CrLfLines(program), failing, debug);
  EXPECT_EQ(result.code, Outcome::kDxfEntity);
  EXPECT_EQ(failing.writeCount[kDxfPath], 3);  // no piece after the failed one
  const std::string written = result.dxf.substr(kHeaderSize);
  EXPECT_LT(written.size(), expected.size());
  EXPECT_EQ(written, expected.substr(0, written.size()));
}

}  // namespace
}  // namespace morvatex::testing
