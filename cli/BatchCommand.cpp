#include "cli/BatchCommand.h"

#include <clocale>
#include <ctime>
#ifndef _WIN32
#include <langinfo.h>
#endif

#include "base/Cp1252Codec.h"
#include "base/TerminalText.h"
#include "batch/BatchRun.h"
#include "batch/JobListFile.h"
#include "batch/LogFile.h"
#include "batch/ParallelBatch.h"

namespace morvatex {
namespace {

constexpr int kListUnreadableStatus = 2;

// The local date and time in the user's notation (LC_TIME): the short date
// with a four-digit year, a blank and the time; the date alone at midnight.
std::string LogDateTime() {
  static const bool localeSet = std::setlocale(LC_TIME, "") != nullptr;
  (void)localeSet;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
  std::string date = "%d.%m.%Y";
  const std::string time = "%H:%M:%S";
#else
  localtime_r(&now, &local);
  std::string date = nl_langinfo(D_FMT);
  const std::string time = nl_langinfo(T_FMT);
  for (std::size_t at = date.find("%y"); at != std::string::npos; at = date.find("%y", at)) date[at + 1] = 'Y';
#endif
  const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
  const std::string format = midnight ? date : date + " " + time;
  char text[128];
  const std::size_t length = std::strftime(text, sizeof text, format.c_str(), &local);
  if (const auto cp1252 = Utf8ToCp1252(std::string_view(text, length)); cp1252 && length > 0) return *cp1252;
  std::strftime(text, sizeof text, midnight ? "%d.%m.%Y" : "%d.%m.%Y %H:%M:%S", &local);
  return text;
}

// The reports of the batch, one after the other, on the terminal.
class TerminalDisplay final : public BatchDisplay {
 public:
  explicit TerminalDisplay(std::ostream& out) : out_(out) {}
  void JobStarting(int) override {}
  void AddMessage(std::string_view text) override { out_ << ForTerminal(text) << std::flush; }

 private:
  std::ostream& out_;
};

// True when `log` names `path` (as written, or the same existing file).
bool SameAs(FileSystem& fs, const std::string& log, const std::string& path) {
  return !path.empty() && (log == path || fs.SameFile(log, path));
}

}  // namespace

int RunBatchCommand(const std::string& listPath, const std::string& logPath, const std::string& settingsPath,
                    const SettingsRecord& settings, FileSystem& fs, ConversionOptions options, int jobs,
                    MessageSink& messages, std::ostream& out) {
  for (const std::string* path : {&listPath, &logPath}) {
    if (!path->empty() && fs.IsSpecialFile(*path)) {  // a FIFO would be waited on for ever
      messages.ShowMessage("morvatex-convert: not a regular file: " + *path + "\r\n");
      return kListUnreadableStatus;
    }
  }
  JobTable table;
  if (OpenJobList(table, listPath, fs, messages) != joblist::kOk) return kListUnreadableStatus;
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

  if (!logPath.empty()) {
    // A log named on the command line is made once; entries only append.
    std::unique_ptr<WritableFile> file = fs.OpenForAppending(logPath);
    if (!file) file = fs.CreateFile(logPath);
    if (file) file->Close();
  }
  const LogFile log(fs, logPath, LogDateTime);
  // Its first call sets the locale, which must not happen while conversion
  // threads run.
  (void)LogDateTime();

  TerminalDisplay display(out);
  const BatchResult result = ExecuteBatchInParallel(table, settings, fs, options, log, display, jobs);
  const int saveError = SaveJobList(table, fs, messages, log);
  return result.failed > 0 || saveError != 0 ? 1 : 0;
}

}  // namespace morvatex
