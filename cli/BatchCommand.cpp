#include "cli/BatchCommand.h"

#include <optional>

#include "base/Cp1252Codec.h"
#include "base/LocalDateTime.h"
#include "base/TerminalText.h"
#include "batch/BatchRun.h"
#include "batch/JobListFile.h"
#include "batch/LogFile.h"
#include "batch/ParallelBatch.h"
#include "batch/VerifyingRowCheck.h"
#include "cli/CommandLine.h"

namespace morvatex {
namespace {

constexpr int kListUnreadableStatus = 2;

// The reports of the batch, one after the other, on the terminal; what a
// report cannot say of a row goes to the messages.
class TerminalDisplay final : public BatchDisplay {
 public:
  TerminalDisplay(std::ostream& out, MessageSink& messages) : out_(out), messages_(messages) {}
  void JobStarting(int) override {}
  void JobConverted(int, const ConversionRun& run, const RowRecord&) override {
    if (const std::string why = CreateFailureMessage(run.CreateFailureCause(), run.SourcePath()); !why.empty())
      messages_.ShowMessage(why);
  }
  void AddMessage(std::string_view text) override { out_ << ForTerminal(text) << std::flush; }

 private:
  std::ostream& out_;
  MessageSink& messages_;
};

// True when `log` names `path` (as written, or the same existing file).
bool SameAs(FileSystem& fs, const std::string& log, const std::string& path) {
  return !path.empty() && (log == path || fs.SameFile(log, path));
}

}  // namespace

void PrepareCommandLineLog(FileSystem& fs, const std::string& logPath) {
  if (logPath.empty()) return;
  std::unique_ptr<WritableFile> file = fs.OpenForAppending(logPath);
  if (!file) file = fs.CreateFile(logPath);
  if (file) file->Close();
}

int RunBatchCommand(const std::string& listPath, const std::string& logPath, const std::string& settingsPath,
                    const SettingsRecord& settings, FileSystem& fs, ConversionOptions options, int jobs,
                    MessageSink& messages, std::ostream& out, const VerificationOptions* verification) {
  for (const std::string* path : {&listPath, &logPath}) {
    if (!path->empty() && fs.IsSpecialFile(*path)) {  // a FIFO would be waited on for ever
      messages.ShowMessage("morvatex-convert: not a regular file: " + *path + "\r\n");
      return kListUnreadableStatus;
    }
  }
  JobTable table;
  if (OpenJobList(table, listPath, fs, messages) != JobListCode::kOk) return kListUnreadableStatus;
  if (!logPath.empty()) {
    // Appending to a file the run reads would change what it converts or
    // what the next run reads.
    bool clash = SameAs(fs, logPath, listPath) || SameAs(fs, logPath, settingsPath);
    for (int row = 1; !clash && row < table.PlaceholderRow(); ++row)
      clash = SameAs(fs, logPath, table.Cell(row, kColumnSource));
    if (clash) {
      messages.ShowMessage(
          "morvatex-convert: the log must not be the job list, the settings file or a source: " + logPath + "\r\n");
      return kListUnreadableStatus;
    }
  }

  PrepareCommandLineLog(fs, logPath);
  const LogFile log(fs, logPath, LocalDateTimeText);
  // Its first call sets the locale, which must not happen while conversion
  // threads run.
  (void)LocalDateTimeText();

  TerminalDisplay display(out, messages);
  std::optional<VerifyingRowCheck> check;
  if (verification) check.emplace(settings, fs, *verification, options.dialect);
  const BatchResult result =
      ExecuteBatchInParallel(table, settings, fs, options, log, display, jobs, check ? &*check : nullptr);
  const int saveError = SaveJobList(table, fs, messages, log);
  if (result.failed > result.checksFailed + result.incomplete || saveError != 0) return 1;
  if (result.checksFailed > 0) return kDivergenceStatus;
  return result.incomplete > 0 ? kIncompleteStatus : 0;
}

}  // namespace morvatex
