#include "engine/UnitConvertFile.h"

namespace morvatex {

ConversionRun::ConversionRun(const Einstellungen& settings, FileSystem& fs, ConversionOptions options)
    : settings_(settings), fs_(fs), options_(std::move(options)), cncWriter_(settings.Profil), dxfWriter_(settings) {}

int ConversionRun::Convert(const std::string& sourcePath, const std::string& targetPath) {
  // Preparation.
  sourcePath_ = sourcePath;
  targetPath_ = targetPath;
  dxfPath_ = targetPath + ".dxf";
  code_ = outcome::kSuccess;
  currentLineText_.clear();
  lines_.clear();
  extents_.Reset();
  dxfWriter_.StartRun();
  cncWriter_.StartRun(settings_.Profil.ZeichenWertzuweisung.Trimmed());
  cncFile_.reset();
  dxfFile_.reset();

  const bool cnc = settings_.CNCDINCodeerstellen;
  const bool dxf = settings_.DXFDateinerzeugen;
  if (!cnc && !dxf) {
    code_ = outcome::kNoOutputChosen;
    return code_;
  }

  ReadSource();
  if (good() && lines_.size() < 5) code_ = outcome::kTooFewLines;
  if (good() && !lines_.AnyLineContains("PROGEND")) code_ = outcome::kNoProgend;
  if (good()) CreateTargetFolder();
  if (good()) RunPass(Pass::kMeasuring);
  if (good() && dxf) StartDxf();
  if (good() && cnc) StartCnc();
  if (good()) RunPass(Pass::kWriting);
  if (dxf) FinishDxf();
  if (cnc) FinishCnc();
  return code_;
}

void ConversionRun::ReadSource() {
  // A stop requested while the source is read (from a signal handler: no
  // window input is processed here) ends the run between two chunks, so that
  // a source that never ends (a FIFO, a device) or a huge one can be
  // stopped. A stop given before this run has no effect on it.
  ClearStopRequest();
  const auto stopped = [this] {
    if (StopRequested()) code_ = outcome::kStopped;
    return !good();
  };
  std::unique_ptr<ReadableFile> file = fs_.OpenForReading(sourcePath_);
  if (!file) {
    if (!stopped()) code_ = outcome::kSourceOpen;
    return;
  }
  LineSplitter splitter(lines_);
  constexpr std::size_t kChunk = 1 << 16;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kChunk);  // no clearing: Read fills it
  for (;;) {
    const std::ptrdiff_t n = file->Read(buffer.get(), kChunk);
    if (stopped()) break;  // also a read that the stop interrupted
    if (n < 0) {
      code_ = outcome::kSourceRead;  // the lines read so far stay
      break;
    }
    if (n == 0) {
      splitter.Finish();
      break;
    }
    const LineSplitter::Fed fed = splitter.Feed(std::string_view(buffer.get(), static_cast<std::size_t>(n)));
    if (fed == LineSplitter::Fed::kEndOfFile) {
      splitter.Finish();
      break;
    }
    if (fed == LineSplitter::Fed::kTooLarge) {
      code_ = outcome::kSourceRead;  // beyond what any Isel program holds
      break;
    }
  }
  currentLineText_.assign(lines_.back());
  if (!file->Close() && good()) code_ = outcome::kSourceClose;
}

void ConversionRun::CreateTargetFolder() {
  switch (fs_.MakeFolders(FolderPart(dxfPath_, options_.pathSyntax))) {
    case MakeFoldersResult::kOk:
      break;
    case MakeFoldersResult::kFailed:
      code_ = outcome::kFolderCreate;
      break;
    case MakeFoldersResult::kIoError:
      code_ = outcome::kFolderIoError;
      break;
  }
}

void ConversionRun::RunPass(Pass pass) {
  ClearStopRequest();
  StartPass(state_);
  const bool writing = pass == Pass::kWriting;
  if (writing) cncWriter_.StartWritingPass();
  const bool cnc = writing && cncFile_;
  const bool dxf = writing && dxfFile_;

  std::size_t index = 0;
  while (!state_.finished && code_ < outcome::kStopped) {
    if (options_.processPendingInput) options_.processPendingInput();
    if (StopRequested()) code_ = outcome::kStopped;  // the line in hand is still completed
    if (index >= lines_.size()) {
      code_ = writing ? outcome::kWritingPassNoEnd : outcome::kMeasuringPassNoEnd;
      break;
    }
    const InterpretedLine line = InterpretLine(lines_[index], pass, settings_.Profil, state_, currentLineText_, code_);
    if (!writing) extents_.Update(state_);
    if (cnc) Fail(cncWriter_.WriteBlocks(*cncFile_, line, state_));
    if (dxf) Fail(dxfWriter_.DrawMove(*dxfFile_, state_));
    EndOfLine(state_);
    ++index;
  }
}

bool ConversionRun::MayReplace(const std::string& path) {
  if (fs_.SameFile(path, sourcePath_)) return false;
  for (const std::string& kept : options_.protectedPaths) {
    if (fs_.SameFile(path, kept)) return false;
  }
  return true;
}

std::unique_ptr<WritableFile> ConversionRun::CreateOutput(const std::string& path, int failure) {
  // An output must never replace the program it is made from: a target equal
  // to the source (the folder rule beside the source with the extension
  // "ncp") would overwrite the user's Isel program, one equal to the settings
  // file the program's configuration.
  std::unique_ptr<WritableFile> file;
  if (MayReplace(path)) file = fs_.CreateFile(path);
  if (!file) code_ = failure;
  return file;
}

void ConversionRun::StartDxf() {
  dxfFile_ = CreateOutput(dxfPath_, outcome::kDxfCreate);
  if (dxfFile_ && !dxfWriter_.WriteHeader(*dxfFile_)) code_ = outcome::kDxfHeader;
}

void ConversionRun::StartCnc() {
  cncFile_ = CreateOutput(targetPath_, outcome::kCncCreate);
  if (cncFile_) Fail(cncWriter_.WriteHeader(*cncFile_, extents_.extents()));
}

void ConversionRun::FinishDxf() {
  if (good() && dxfFile_) Fail(dxfWriter_.FlushPolyline(*dxfFile_));
  if (good() && dxfFile_ && !dxfWriter_.WriteEnd(*dxfFile_)) code_ = outcome::kDxfEnd;
  if (dxfFile_) {
    const bool closed = dxfFile_->Close();
    dxfFile_.reset();
    if (!closed && good()) code_ = outcome::kDxfClose;
  }
  RemoveDrawingOfFailedRun();
  if (good() && !DxfWriter::WriteExtents(fs_, dxfPath_, extents_.extents())) {
    code_ = outcome::kDxfExtents;
    // A drawing whose header still holds the placeholders is no drawing.
    RemoveDrawingOfFailedRun();
  }
}

void ConversionRun::RemoveDrawingOfFailedRun() {
  // A failed run leaves no drawing behind, not even one of an earlier run;
  // debug mode keeps it for inspection. Deleting never changes the code and
  // never touches the source itself.
  if (!good() && !options_.debugMode && MayReplace(dxfPath_)) fs_.RemoveFile(dxfPath_);
}

void ConversionRun::FinishCnc() {
  if (good() && cncFile_) Fail(cncWriter_.WriteTrailer(*cncFile_));
  if (cncFile_) {
    const bool closed = cncFile_->Close();
    cncFile_.reset();
    if (!closed && good()) code_ = outcome::kCncClose;
  }
}

std::string ConversionRun::OutcomeReport() const {
  std::string report = "Fehlerstatus: " + std::to_string(code_) + "\r\n";
  report += " Quelldatei: " + sourcePath_ + "\r\n";
  if (settings_.CNCDINCodeerstellen) report += " Zieldatei:  " + targetPath_ + "\r\n";
  if (settings_.DXFDateinerzeugen) report += " DXFdatei:  " + dxfPath_ + "\r\n";
  report += " ";
  report += OutcomeMessage(code_);
  report += "\r\n";
  if (code_ > outcome::kLastGoodCode) report += "(" + currentLineText_ + ")\r\n";
  return report;
}

}  // namespace morvatex
