#include "engine/ConversionRun.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "base/Cp1252Codec.h"
#include "engine/ControlFamily.h"
#include "engine/PassRunner.h"
#include "engine/SourceCheck.h"

namespace morvatex {

ConversionRun::ConversionRun(const SettingsRecord& settings, FileSystem& fs, ConversionOptions options)
    : settings_(settings), fs_(fs), options_(std::move(options)), cncWriter_(settings.Profil), dxfWriter_(settings) {}

Outcome ConversionRun::Convert(const std::string& sourcePath, const std::string& targetPath) {
  // Preparation. What may need memory comes after the outputs are reset,
  // so that the closing steps find nothing of the run before.
  code_ = Outcome::kSuccess;
  for (Output* output : {&cnc_, &dxf_}) {
    output->staged = StagedFile{};
    output->created = false;
  }
  sourcePath_.clear();
  targetPath_.clear();
  dxfPath_.clear();
  currentLineText_.clear();
  progress_ = {};
  createFailure_ = {};
  passEndLine_ = 0;
  notices_.Clear();
  lines_.clear();
  keptFilesKnown_ = false;
  const bool cnc = settings_.CNCDINCodeerstellen;
  const bool dxf = settings_.DXFDateinerzeugen;
  try {
    sourcePath_ = sourcePath;
    targetPath_ = targetPath;
    dxfPath_ = targetPath + ".dxf";
    extents_.Reset();
    dxfWriter_.StartRun();
    // The family is chosen once a run: the settings stand still while it runs.
    cncWriter_.StartRun(settings_.Profil.ZeichenWertzuweisung.Trimmed(), ControlFamilyFor(settings_.Profil));
    if (!cnc && !dxf) {
      code_ = Outcome::kNoOutputChosen;
      return code_;
    }

    ReadSource();
    if (Good()) Fail(CheckSource(lines_));
    if (Good()) CreateTargetFolder();
    if (Good()) RunPass(Pass::kMeasuring);
    if (Good() && dxf) StartDxf();
    if (Good() && cnc) StartCnc();
    if (Good()) RunPass(Pass::kWriting);
  } catch (const std::bad_alloc&) {
    MemoryRanOut();
  }
  // The closing steps of a run that ran out of memory in them run once more
  // as those of a failed run: what was staged is removed.
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      if (dxf) FinishDxf();
      if (cnc) FinishCnc();
      break;
    } catch (const std::bad_alloc&) {
      MemoryRanOut();
    }
  }
  return code_;
}

void ConversionRun::MemoryRanOut() {
  // The source is the one thing a run holds that grows with its input: a
  // run without the memory for it fails as a source too large to read does.
  code_ = Outcome::kSourceRead;
  // Its memory goes back at once, for the closing steps, the report and the
  // next run. Output text collected may end inside a piece: it is dropped,
  // the files keep what was handed to them before.
  lines_ = LineList();
  for (Output* output : {&cnc_, &dxf_}) output->buffer.Text().clear();
}

void ConversionRun::ReadSource() {
  // A stop requested while the source is read (from a signal handler: no
  // window input is processed here) ends the run between two chunks, so that
  // a source that never ends (a FIFO, a device) or a huge one can be
  // stopped. A stop given before this run has no effect on it.
  stopMark_ = CurrentStopMark();
  const auto stopped = [this] {
    if (StopRequestedSince(stopMark_)) code_ = Outcome::kStopped;
    return !Good();
  };
  std::unique_ptr<ReadableFile> file = fs_.OpenForReading(sourcePath_);
  if (!file) {
    if (!stopped()) code_ = Outcome::kSourceOpen;
    return;
  }
  switch (ReadSourceLines(*file, lines_, [&](std::size_t) { return stopped(); })) {
    case SourceReading::kComplete: break;
    case SourceReading::kStopped: break;                                   // the code says why
    case SourceReading::kReadFailed: code_ = Outcome::kSourceRead; break;  // the lines read so far stay
    case SourceReading::kTooLarge: code_ = Outcome::kSourceRead; break;    // beyond what any Isel program holds
  }
  currentLineText_.assign(lines_.back());
  if (!file->Close() && Good()) code_ = Outcome::kSourceClose;
}

void ConversionRun::CreateTargetFolder() {
  const std::string folder = FolderPart(dxfPath_, options_.pathSyntax);
  errno = 0;
  const MakeFoldersResult result = fs_.MakeFolders(folder);
  if (result == MakeFoldersResult::kOk) return;
  createFailure_ = {CreateFailure::Kind::kSystem, folder, errno};
  code_ = result == MakeFoldersResult::kFailed ? Outcome::kFolderCreate : Outcome::kFolderIoError;
}

void ConversionRun::RunPass(Pass pass) {
  stopMark_ = CurrentStopMark();
  pendingInputDueNow_ = true;
  // Before every line: pending input (as often as its interval allows), then
  // the stop request, read at every line.
  const auto stopQuery = [this, pass](std::size_t index) {
    if (options_.processPendingInput && PendingInputDue()) {
      progress_ = {true, pass, index, lines_.size()};
      options_.processPendingInput();
    }
    return StopRequestedSince(stopMark_);
  };
  if (pass == Pass::kMeasuring) {
    passEndLine_ =
        RunPassOverLines(lines_, pass, options_.dialect, settings_.Profil, state_, currentLineText_, code_, stopQuery,
                         [this](const InterpretedLine& line, std::size_t) { extents_.Update(line.moves, state_); });
    return;
  }
  cncWriter_.StartWritingPass();
  const bool cnc = cnc_.IsOpen();
  const bool dxf = dxf_.IsOpen();
  passEndLine_ = RunPassOverLines(
      lines_, pass, options_.dialect, settings_.Profil, state_, currentLineText_, code_, stopQuery,
      [this, cnc, dxf](const InterpretedLine& line, std::size_t index) {
        if (cnc) Fail(cncWriter_.WriteBlocks(cnc_.buffer, line, state_));
        NoteLine(line, index);
        if (dxf) {
          line.moves.ForEach([this](const Move& move) { Fail(dxfWriter_.DrawMove(dxf_.buffer, move)); });
        }
      });
}

bool ConversionRun::PendingInputDue() {
  if (options_.pendingInputInterval.count() <= 0) return true;
  // The interval runs on across passes and files: in a batch of small files,
  // letting input through (and so repainting the window) at every file
  // would cost more than converting it. A line takes a microsecond or so,
  // so the clock is read every few lines only, and at the start of a pass.
  constexpr unsigned kLinesPerClockReading = 64;
  const bool first = pendingInputDueNow_;
  pendingInputDueNow_ = false;
  if (!first && ++linesSincePendingInput_ < kLinesPerClockReading) return false;
  linesSincePendingInput_ = 0;
  const auto now = std::chrono::steady_clock::now();
  if (lastPendingInput_ && now - *lastPendingInput_ < options_.pendingInputInterval) return false;
  lastPendingInput_ = now;
  return true;
}

bool ConversionRun::MayReplace(const std::string& path) {
  const FileIdentity target = fs_.IdentityOf(path);
  if (!target.exists) return true;  // a new file replaces nothing
  if (!keptFilesKnown_) {
    keptFiles_.clear();
    keptFiles_.push_back(fs_.IdentityOf(sourcePath_));
    for (const std::string& kept : options_.protectedPaths) keptFiles_.push_back(fs_.IdentityOf(kept));
    keptFilesKnown_ = true;
  }
  const auto kept = std::find(keptFiles_.begin(), keptFiles_.end(), target);
  if (kept == keptFiles_.end()) return true;
  createFailure_ = {kept == keptFiles_.begin() ? CreateFailure::Kind::kIsSource : CreateFailure::Kind::kIsProtected,
                    path, 0};
  return false;
}

void ConversionRun::CreateOutput(Output& output, const std::string& path, Outcome failure) {
  // An output must never replace the program it is made from: a target equal
  // to the source (the folder rule beside the source with the extension
  // "ncp") would overwrite the user's Isel program, one equal to the settings
  // file the program's configuration.
  output.staged = StagedFile{};
  if (MayReplace(path)) {
    errno = 0;
    output.staged = fs_.CreateStagedFile(path);
    if (!output.IsOpen()) createFailure_ = {CreateFailure::Kind::kSystem, path, errno};
  }
  if (!output.IsOpen()) {
    code_ = failure;
    return;
  }
  output.created = true;
  output.buffer.Start(*output.staged.file, fs_.PreferredWriteSize());
}

void ConversionRun::CloseOutput(Output& output, Outcome closeFailure) {
  if (!output.IsOpen()) return;  // never created, or closed
  // Also a failed run hands over what it wrote: debug mode shows it.
  const Outcome flushed = output.buffer.Flush();
  if (Good()) Fail(flushed);
  const bool closed = output.staged.file->Close();
  output.staged.file.reset();
  if (!closed && Good()) code_ = closeFailure;
}

void ConversionRun::PlaceOutput(Output& output, Outcome closeFailure) {
  // Only the file this run created is renamed or removed; a target written
  // in place (a device) stays as it is.
  if (!output.created || !output.staged.Staged()) return;
  // Not done with the file until its step is: a step that runs out of
  // memory is taken again by the closing steps of the failed run.
  if (Good() || options_.debugMode) {
    if (fs_.RenameFile(output.staged.path, output.staged.finalPath)) {
      output.created = false;
      return;
    }
    if (Good()) code_ = closeFailure;
  }
  fs_.RemoveFile(output.staged.path);
  output.created = false;
}

void ConversionRun::StartDxf() {
  CreateOutput(dxf_, dxfPath_, Outcome::kDxfCreate);
  if (dxf_.IsOpen()) Fail(dxfWriter_.WriteHeader(dxf_.buffer));
}

void ConversionRun::StartCnc() {
  CreateOutput(cnc_, targetPath_, Outcome::kCncCreate);
  if (cnc_.IsOpen()) Fail(cncWriter_.WriteHeader(cnc_.buffer, extents_.Extents()));
}

void ConversionRun::FinishDxf() {
  if (Good() && dxf_.IsOpen()) Fail(dxfWriter_.FlushPolyline(dxf_.buffer));
  if (Good() && dxf_.IsOpen()) Fail(dxfWriter_.WriteEnd(dxf_.buffer));
  // A drawing smaller than the buffer gets its extents before it is written,
  // a larger one in the closed file.
  const bool extentsWritten = Good() && dxf_.IsOpen() && DxfWriter::WriteExtentsInto(dxf_.buffer, extents_.Extents());
  CloseOutput(dxf_, Outcome::kDxfClose);
  // A drawing whose header still holds the placeholders is no drawing.
  if (Good() && !extentsWritten && !DxfWriter::WriteExtents(fs_, dxf_.staged.path, extents_.Extents()))
    code_ = Outcome::kDxfExtents;
  // In place before the CNC end: a failed CNC trailer leaves the finished drawing.
  PlaceOutput(dxf_, Outcome::kDxfClose);
}

void ConversionRun::FinishCnc() {
  if (Good() && cnc_.IsOpen()) Fail(cncWriter_.WriteTrailer(cnc_.buffer));
  CloseOutput(cnc_, Outcome::kCncClose);
  PlaceOutput(cnc_, Outcome::kCncClose);
}

void ConversionRun::NoteLine(const InterpretedLine& line, std::size_t index) {
  const bool cnc = cnc_.IsOpen();
  const bool writerNotes = cnc && (!cncWriter_.NotCarried().empty() || !cncWriter_.Approximated().empty());
  if (line.notCarried.empty() && !writerNotes) return;
  const std::string_view text = lines_[index];
  if (!line.notCarried.empty()) notices_.Add(NoticeKind::kNotCarried, index + 1, text, line.notCarried);
  if (!writerNotes) return;
  if (!cncWriter_.NotCarried().empty()) notices_.Add(NoticeKind::kNotCarried, index + 1, text, cncWriter_.NotCarried());
  if (!cncWriter_.Approximated().empty())
    notices_.Add(NoticeKind::kApproximated, index + 1, text, cncWriter_.Approximated());
}

std::string ConversionRun::OutcomeReport() const {
  std::string report = "Fehlerstatus: " + std::to_string(NumberOf(code_)) + "\r\n";
  report += " Quelldatei: " + sourcePath_ + "\r\n";
  if (settings_.CNCDINCodeerstellen) report += " Zieldatei:  " + targetPath_ + "\r\n";
  if (settings_.DXFDateinerzeugen) report += " DXFdatei:  " + dxfPath_ + "\r\n";
  report += " ";
  // A run that left lines behind is no faultless one, whatever its code.
  report +=
      Incomplete() ? Cp1252<u8"Datei wurde konvertiert, aber nicht vollständig umgesetzt!">() : OutcomeMessage(code_);
  report += "\r\n";
  if (!IsGood(code_)) {
    report += "(" + currentLineText_ + ")\r\n";
    // The line a pass failed on, as it stands in the source.
    if (passEndLine_ > 0 && passEndLine_ <= lines_.size())
      report += "Isel-Zeile " + std::to_string(passEndLine_) + ": " + std::string(lines_[passEndLine_ - 1]) + "\r\n";
  }
  report += notices_.ReportLines();
  return report;
}

}  // namespace morvatex
