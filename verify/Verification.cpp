#include "verify/Verification.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <set>
#include <string_view>
#include <vector>

#include "base/Cp1252Codec.h"
#include "engine/OutcomeCodes.h"
#include "engine/PassRunner.h"
#include "verify/DecimalText.h"
#include "verify/ExpectedPath.h"
#include "verify/GcodeReader.h"

namespace morvatex {
namespace {

constexpr std::size_t kReadSize = 64 * 1024;
constexpr std::size_t kShownLineLength = 200;

// The lines of a CNC file, a piece at a time, without their line ends. A
// line longer than kLongestCncLine or holding a NUL byte ends the reading
// with a problem: such a file is no CNC program.
class CncLines {
 public:
  explicit CncLines(ReadableFile& file) : file_(file) {}

  // The next line, valid until the next call; false at the end of the file
  // or at a problem.
  bool Next(std::string_view& line) {
    if (!problem_.empty()) return false;
    for (;;) {
      const std::size_t end = buffer_.find('\n', start_);
      if (end != std::string::npos || (ended_ && start_ < buffer_.size())) {
        const std::size_t stop = end == std::string::npos ? buffer_.size() : end;
        line = std::string_view(buffer_).substr(start_, stop - start_);
        start_ = stop + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number_;
        if (line.size() > kLongestCncLine) return Refuse("ist zu lang");
        if (nul_ < stop) return Refuse(std::string(Cp1252<u8"enthält Binärdaten">()));
        return true;
      }
      if (ended_) return false;
      if (buffer_.size() - start_ > kLongestCncLine) {
        ++number_;
        return Refuse("ist zu lang");
      }
      const std::size_t done = std::min(start_, buffer_.size());
      buffer_.erase(0, done);
      if (nul_ != std::string::npos) nul_ -= done;
      start_ = 0;
      const std::size_t had = buffer_.size();
      buffer_.resize(had + kReadSize);
      const std::ptrdiff_t got = file_.Read(buffer_.data() + had, kReadSize);
      buffer_.resize(had + static_cast<std::size_t>(std::max<std::ptrdiff_t>(got, 0)));
      if (got < 0) {
        problem_ = "Die CNC-Datei konnte nicht gelesen werden";
        return false;
      }
      if (got == 0) ended_ = true;
      if (nul_ == std::string::npos) {
        if (const void* nul = std::memchr(buffer_.data() + had, 0, buffer_.size() - had))
          nul_ = static_cast<std::size_t>(static_cast<const char*>(nul) - buffer_.data());
      }
    }
  }
  std::size_t Number() const { return number_; }
  const std::string& Problem() const { return problem_; }

 private:
  bool Refuse(const std::string& why) {
    problem_ = "CNC-Zeile " + std::to_string(number_) + " " + why + ": keine CNC-Datei";
    return false;
  }

  ReadableFile& file_;
  std::string buffer_;
  std::size_t start_ = 0;
  // The first NUL byte in `buffer_`, looked for once a block rather than in
  // every line: the lines before it are read as usual.
  std::size_t nul_ = std::string::npos;
  bool ended_ = false;
  std::size_t number_ = 0;
  std::string problem_;
};

std::string Shown(std::string_view text) {
  std::string shown(text.substr(0, kShownLineLength));
  if (text.size() > kShownLineLength) shown += " ...";
  return shown;
}

// The texts of the CNC lines the divergences name, from a second reading.
std::vector<std::string> CncTexts(FileSystem& fs, const std::string& path, const std::vector<Divergence>& kept) {
  std::vector<std::string> texts(kept.size());
  std::set<std::size_t> wanted;
  for (const Divergence& d : kept)
    if (d.cncLine > 0) wanted.insert(d.cncLine);
  if (wanted.empty()) return texts;
  const std::unique_ptr<ReadableFile> file = fs.OpenForReading(path);
  if (!file) return texts;
  CncLines lines(*file);
  std::string_view line;
  while (lines.Number() < *wanted.rbegin() && lines.Next(line)) {
    for (std::size_t i = 0; i < kept.size(); ++i)
      if (kept[i].cncLine == lines.Number()) texts[i] = Shown(line);
  }
  file->Close();
  return texts;
}

std::string Report(const VerificationResult& result, ControlModel model, const LineList& source,
                   const std::vector<std::string>& cncTexts) {
  std::string report = std::string(Cp1252<u8"Prüfung (">()) + std::string(ControlModelName(model)) + "): ";
  if (!result.problem.empty()) return report + std::string(Cp1252<u8"nicht möglich: ">()) + result.problem + "\r\n";
  const ComparisonSummary& s = result.summary;
  if (s.divergenceCount == 0) {
    report += "keine Abweichung";
  } else {
    report += std::to_string(s.divergenceCount) + (s.divergenceCount == 1 ? " Abweichung" : " Abweichungen");
  }
  report += ", " + std::to_string(s.movesCompared) + " Bewegungen, " + std::string(Cp1252<u8"größte Abweichung ">()) +
            DecimalText(s.largestDeviation, 6) + " mm\r\n";
  for (std::size_t i = 0; i < s.first.size(); ++i) {
    const Divergence& d = s.first[i];
    if (d.iselLine > 0 && d.iselLine <= source.size())
      report += "  Isel-Zeile " + std::to_string(d.iselLine) + ": " + Shown(source[d.iselLine - 1]) + "\r\n";
    if (d.cncLine > 0) report += "  CNC-Zeile " + std::to_string(d.cncLine) + ": " + cncTexts[i] + "\r\n";
    report += "    " + d.what + "\r\n";
  }
  if (s.divergenceCount > s.first.size())
    report += "  ... und " + std::to_string(s.divergenceCount - s.first.size()) + " weitere Abweichungen\r\n";
  return report;
}

void Check(const SettingsRecord& settings, const LineList& source, ReadableFile& file,
           const VerificationOptions& options, IselDialect dialect, const VerificationHooks& hooks,
           VerificationResult& result) {
  const MachineProfile& profile = settings.Profil;
  PathComparison comparison(profile, options.model, options.tolerance);
  ExpectedPath expected(profile, options.model, comparison);
  GcodeReader reader(options.model, profile);
  CncLines cnc(file);
  std::vector<TracedMove> moves;
  std::vector<ReadFinding> findings;
  std::string_view text;
  // The next CNC line into the comparison; false at the file's end or its
  // program's end, after which a control reads nothing.
  const auto readLine = [&] {
    if (reader.Ended() || !cnc.Next(text)) return false;
    moves.clear();
    findings.clear();
    reader.ReadLine(text, cnc.Number(), moves, findings);
    for (const ReadFinding& finding : findings) comparison.AddFinding(finding);
    for (const TracedMove& move : moves) {
      if (hooks.readMove && !move.IsDwell()) hooks.readMove(move);
      comparison.AddRead(move);
    }
    if (reader.Ended()) comparison.ProgramEnded(reader.EndLine(), reader.EndCode());
    comparison.Match();
    return true;
  };
  MachineState state;
  std::string currentLineText;
  Outcome code = Outcome::kSuccess;
  RunPassOverLines(
      source, Pass::kWriting, dialect, profile, state, currentLineText, code,
      [&](std::size_t) { return hooks.stopped && hooks.stopped(); },
      [&](const InterpretedLine& line, std::size_t index) {
        expected.TakeLine(line, index + 1, state);
        comparison.Match();
        while (comparison.WantsRead()) {
          if (!readLine()) {
            comparison.ReadEnded();
            comparison.Match();
          }
        }
      });
  comparison.ExpectedEnded();
  comparison.Match();
  while (!(hooks.stopped && hooks.stopped()) && readLine()) {
  }
  if (!IsGood(code)) {
    result.problem = "Isel-Programm: " + std::string(OutcomeMessage(code));
  } else if (!cnc.Problem().empty()) {
    result.problem = cnc.Problem();
  } else if (cnc.Number() == 0) {
    result.problem = "Die CNC-Datei ist leer";
  }
  comparison.Finish();
  result.summary = comparison.Summary();
}

}  // namespace

bool ParseControlModel(std::string_view text, ControlModel& model) {
  if (text == "rs274") {
    model = ControlModel::kRs274;
  } else if (text == "eingestellt") {
    model = ControlModel::kConfigured;
  } else {
    return false;
  }
  return true;
}

VerificationResult VerifyCncProgram(const SettingsRecord& settings, const LineList& source, FileSystem& fs,
                                    const std::string& cncPath, const VerificationOptions& options, IselDialect dialect,
                                    const VerificationHooks& hooks) {
  VerificationResult result;
  try {
    if (fs.IsSpecialFile(cncPath)) {
      result.problem = std::string(Cp1252<u8"Die CNC-Datei ist keine gewöhnliche Datei: ">()) + cncPath;
    } else if (const std::unique_ptr<ReadableFile> file = fs.OpenForReading(cncPath); !file) {
      result.problem = std::string(Cp1252<u8"Die CNC-Datei konnte nicht geöffnet werden: ">()) + cncPath;
    } else {
      Check(settings, source, *file, options, dialect, hooks, result);
      file->Close();
    }
    const std::vector<std::string> texts =
        result.problem.empty() ? CncTexts(fs, cncPath, result.summary.first) : std::vector<std::string>();
    result.report = Report(result, options.model, source, texts);
  } catch (const std::bad_alloc&) {
    result = VerificationResult{};
    result.problem = "Zu wenig Speicher";
    result.report = std::string(Cp1252<u8"Prüfung: nicht möglich: Zu wenig Speicher\r\n">());
  }
  return result;
}

VerificationResult VerifyCncProgram(const SettingsRecord& settings, const LineList& source, FileSystem& fs,
                                    const std::string& cncPath, const VerificationOptions& options,
                                    const VerificationHooks& hooks) {
  return VerifyCncProgram(settings, source, fs, cncPath, options, IselDialect::kOriginal, hooks);
}

VerificationResult VerifySourceAndCncProgram(const SettingsRecord& settings, FileSystem& fs,
                                             const std::string& sourcePath, const std::string& cncPath,
                                             const VerificationOptions& options, IselDialect dialect,
                                             const VerificationHooks& hooks) {
  LineList source;
  SourceReading reading = SourceReading::kReadFailed;
  try {
    if (fs.IsSpecialFile(sourcePath)) {
      reading = SourceReading::kStopped;
    } else if (const std::unique_ptr<ReadableFile> file = fs.OpenForReading(sourcePath)) {
      reading = ReadSourceLines(*file, source, [&](std::size_t) { return hooks.stopped && hooks.stopped(); });
      file->Close();
    }
  } catch (const std::bad_alloc&) {
    reading = SourceReading::kTooLarge;
  }
  if (reading != SourceReading::kComplete) {
    VerificationResult result;
    result.problem =
        (reading == SourceReading::kStopped ? std::string(Cp1252<u8"Das Isel-Programm ist keine gewöhnliche Datei: ">())
                                            : std::string("Das Isel-Programm konnte nicht gelesen werden: ")) +
        sourcePath;
    result.report = Report(result, options.model, source, {});
    return result;
  }
  return VerifyCncProgram(settings, source, fs, cncPath, options, dialect, hooks);
}

VerificationResult VerifySourceAndCncProgram(const SettingsRecord& settings, FileSystem& fs,
                                             const std::string& sourcePath, const std::string& cncPath,
                                             const VerificationOptions& options, const VerificationHooks& hooks) {
  return VerifySourceAndCncProgram(settings, fs, sourcePath, cncPath, options, IselDialect::kOriginal, hooks);
}

VerificationResult VerifyConversion(const ConversionRun& run, const SettingsRecord& settings, FileSystem& fs,
                                    const VerificationOptions& options, IselDialect dialect) {
  if (!settings.CNCDINCodeerstellen) {
    VerificationResult result;
    result.problem = "keine CNC-Ausgabe eingestellt";
    result.report = Report(result, options.model, run.Lines(), {});
    return result;
  }
  return VerifyCncProgram(settings, run.Lines(), fs, run.TargetPath(), options, dialect);
}

}  // namespace morvatex
