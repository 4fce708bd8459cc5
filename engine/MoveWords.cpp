#include "engine/MoveWords.h"

#include "engine/NumberText.h"

namespace morvatex {

void MoveWords::AppendWord(std::string& words, std::string_view address, long double value) const {
  words += address;
  words += valueAssignment_;
  AppendFixedPointText(words, value, profile_.Nachkommastellen);
  words += ' ';
}

void MoveWords::AppendPlaneWords(const Move& move, const WordContext& context, std::string& words) const {
  const MachineProfile& p = profile_;
  // G53 holds for its block alone, and with the motion word beside it.
  const bool machineFrame = move.frame == Frame::kMachine;
  if (machineFrame) words += "G53 ";
  if (move.kind != prevMotion_ || !p.ModaleG || machineFrame) {
    const ShortString<15>* const codes[] = {&p.CodeG0, &p.CodeG1, &p.CodeG2, &p.CodeG3};
    words += codes[GNumber(move.kind)]->Text();
    words += ' ';
  }
  const bool positioned = rules_.rapidAlwaysPositioned && move.kind == MotionKind::kRapid;
  // An axis whose place in the frame is not known has no word; one given
  // for the first time in a new frame always has one.
  if (!(move.unknownAxes & kAxisX) && (move.end.x != move.start.x || !p.ModaleXYZ ||
                                       (rules_.firstUseCounts && context.firstUseX == FirstUse::kJustNow) ||
                                       positioned || (move.newlyKnownAxes & kAxisX))) {
    AppendWord(words, p.AdresseX.Text(), p.XYZRelativ ? move.end.x - move.start.x : move.end.x);
  }
  if (!(move.unknownAxes & kAxisY) && (move.end.y != move.start.y || !p.ModaleXYZ ||
                                       (rules_.firstUseCounts && context.firstUseY == FirstUse::kJustNow) ||
                                       positioned || (move.newlyKnownAxes & kAxisY))) {
    AppendWord(words, p.AdresseY.Text(), p.XYZRelativ ? move.end.y - move.start.y : move.end.y);
  }
}

void MoveWords::AppendDepthAndCentreWords(const Move& move, const WordContext& context, std::string& words) const {
  const MachineProfile& p = profile_;
  const bool arc = move.IsArc();
  // ZWerte only decides whether a Z given for the first time is repeated;
  // a changed Z is always written.
  if (!(move.unknownAxes & kAxisZ) && (move.end.z != move.start.z || (!p.ModaleXYZ && !(p.ModalExtra == 1 && arc)) ||
                                       (rules_.firstUseCounts && context.firstUseZ == FirstUse::kJustNow && p.ZWerte) ||
                                       (move.newlyKnownAxes & kAxisZ))) {
    AppendWord(words, p.AdresseZ.Text(), p.XYZRelativ ? move.end.z - move.start.z : move.end.z);
  }
  if (!arc) return;
  if (move.plane != Plane::kXY) {
    // The plane's two centre words, I K for XZ and J K for YZ, with the
    // centre words (`IJWerte`); `KWerte` is the K of an XY arc, which an
    // RS274 control refuses, and has no say here.
    if (!p.IJWerte) return;
    if (move.plane == Plane::kXZ) {
      AppendWord(words, p.AdresseI.Text(), p.IJKRelativ ? move.centre.x - move.start.x : move.centre.x);
    } else {
      AppendWord(words, p.AdresseJ.Text(), p.IJKRelativ ? move.centre.y - move.start.y : move.centre.y);
    }
    AppendWord(words, p.AdresseK.Text(), p.IJKRelativ ? move.centre.z - move.start.z : move.centre.z);
    return;
  }
  if (p.IJWerte) {
    if (move.centre.x != context.centre.x || !p.ModaleIJK)
      AppendWord(words, p.AdresseI.Text(), p.IJKRelativ ? move.centre.x - move.start.x : move.centre.x);
    if (move.centre.y != context.centre.y || !p.ModaleIJK)
      AppendWord(words, p.AdresseJ.Text(), p.IJKRelativ ? move.centre.y - move.start.y : move.centre.y);
  }
  if (p.KWerte && (move.centre.z != context.centre.z || !p.ModaleIJK)) {
    AppendWord(words, p.AdresseK.Text(), p.IJKRelativ ? move.centre.z - move.start.z : move.centre.z);
  }
}

void MoveWords::AppendWords(const Move& move, const WordContext& context, std::string& words) const {
  AppendPlaneWords(move, context, words);
  AppendDepthAndCentreWords(move, context, words);
}

}  // namespace morvatex
