#include "batch/JobListFile.h"

#include <cerrno>
#include <new>

namespace morvatex {
namespace {

// Hands out the lines of a file one by one. A line ends at LF or CR LF; the
// line end is not kept.
class LineReader {
 public:
  explicit LineReader(ReadableFile& file) : file_(file) {}

  // True when every byte has been handed out (false after a failed read).
  bool AtEnd() { return !Fill() && !failed_; }

  // The next line; empty at the end of the file. False when a read failed.
  bool ReadLine(std::string& line) {
    line.clear();
    while (Fill()) {
      const std::size_t end = buffer_.find('\n', pos_);
      if (end == std::string::npos) {
        line.append(buffer_, pos_);
        pos_ = buffer_.size();
        continue;
      }
      line.append(buffer_, pos_, end - pos_);
      pos_ = end + 1;
      // The CR may have come with the chunk before the LF.
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    return !failed_;
  }

 private:
  // Makes unread bytes available; false at the end or after a failed read.
  bool Fill() {
    if (pos_ < buffer_.size()) return true;
    if (ended_ || failed_) return false;
    buffer_.resize(1 << 16);
    const std::ptrdiff_t n = file_.Read(buffer_.data(), buffer_.size());
    buffer_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    pos_ = 0;
    failed_ = n < 0;
    ended_ = n == 0;
    return n > 0;
  }

  ReadableFile& file_;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool ended_ = false;
  bool failed_ = false;
};

// The code for an entry's four lines, 0 when they make a job.
JobListCode EntryFault(const std::string& first, const std::string& source, const std::string& target) {
  if (first.find(']') == std::string::npos) return JobListCode::kNoClosingBracket;
  if (first.empty() || first.front() != '[') return JobListCode::kNoOpeningBracket;
  if (source.empty() || target.empty()) return JobListCode::kPathMissing;
  return JobListCode::kOk;
}

std::string_view MarkIf(bool set, std::string_view mark) { return set ? mark : std::string_view(); }

}  // namespace

std::string JobListText(const JobTable& table) {
  // Sized before it is filled: a list of a million jobs is saved with one
  // copy of its text in memory beside the table, not twice that.
  constexpr std::string_view kEnd = "[E]\r\n\r\n";
  std::size_t size = kEnd.size();
  for (int row = 1; row < table.PlaceholderRow(); ++row) {
    size += std::string_view("[]\r\n\r\n\r\n\r\n").size() + std::to_string(row).size();
    for (int column : {kColumnMarked, kColumnConverted, kColumnFailed, kColumnSource, kColumnTarget})
      size += table.Cell(row, column).size();
  }
  std::string text;
  text.reserve(size);
  for (int row = 1; row < table.PlaceholderRow(); ++row) {
    text += '[';
    text += std::to_string(row);
    text += "]\r\n";
    for (int column : {kColumnMarked, kColumnConverted, kColumnFailed}) text += table.Cell(row, column);
    text += "\r\n";
    text += table.Cell(row, kColumnSource);
    text += "\r\n";
    text += table.Cell(row, kColumnTarget);
    text += "\r\n";
  }
  text += kEnd;
  return text;
}

namespace {

// Reads the entries after those in `table` (see ReadJobList).
JobListCode ReadEntries(LineReader& reader, JobTable& table) {
  std::string first, marks, source, target;
  while (!reader.AtEnd()) {
    const bool firstRead = reader.ReadLine(first);
    if (firstRead && first == "[E]") break;
    // All three are read even after a failure, as lines missing at the end are.
    const bool marksRead = reader.ReadLine(marks);
    const bool sourceRead = reader.ReadLine(source);
    const bool targetRead = reader.ReadLine(target);
    const JobListCode code = firstRead && marksRead && sourceRead && targetRead ? EntryFault(first, source, target)
                                                                                : JobListCode::kReadError;
    if (code != JobListCode::kOk) return code;
    const int row = table.AppendJob();
    try {
      table.SetCell(row, kColumnMarked, MarkIf(marks.find('M') != std::string::npos, kMarkMarked));
      table.SetCell(row, kColumnConverted, MarkIf(marks.find('A') != std::string::npos, kMarkConverted));
      table.SetCell(row, kColumnFailed, MarkIf(marks.find('E') != std::string::npos, kMarkFailed));
      table.SetCell(row, kColumnSource, source);
      table.SetCell(row, kColumnTarget, target);
    } catch (const std::bad_alloc&) {
      // No half-made job stays: the row becomes the empty last row again.
      table.SetRowCount(row + 1);
      table.SetUpRow(row);
      throw;
    }
  }
  return JobListCode::kOk;
}

}  // namespace

JobListCode ReadJobList(FileSystem& fs, const std::string& path, JobTable& table) {
  // A FIFO would keep the desktop program waiting for a writer.
  if (fs.IsSpecialFile(path)) return JobListCode::kUnreadable;
  std::unique_ptr<ReadableFile> file = fs.OpenForReading(path);
  if (!file) return JobListCode::kUnreadable;
  LineReader reader(*file);
  JobListCode code = JobListCode::kOk;
  try {
    code = ReadEntries(reader, table);
  } catch (const std::bad_alloc&) {
    code = JobListCode::kReadError;  // a list too large to hold (or a line without end)
  }
  file->Close();  // the lines are in; an error of closing changes nothing
  return code;
}

std::string JobListReadMessage(std::string_view path, JobListCode code) {
  std::string message = "Beim lesen der Datei\r\n\r\n";
  message += path;
  message += "\r\n\r\nist ein Fehler aufgetreten (" + std::to_string(static_cast<int>(code)) + ") !";
  return message;
}

std::string JobListSaveMessage(int errorNumber) {
  return std::to_string(errorNumber) + " / Beim Speichern der Tabelle ist ein Fehler aufgetreten !";
}

JobListCode OpenJobList(JobTable& table, const std::string& path, FileSystem& fs, MessageSink& messages) {
  table.SetListFile(path);
  const JobListCode code = ReadJobList(fs, path, table);
  if (code != JobListCode::kOk) {
    // Nothing of a partly read list remains; its memory goes back before
    // the message is made, for a list too large to hold.
    table.ClearJobs();
    messages.ShowMessage(JobListReadMessage(path, code));
  }
  return code;
}

int SaveJobList(JobTable& table, FileSystem& fs, MessageSink& messages, const LogFile& log) {
  if (table.ListFile().empty()) return 0;
  int errorNumber = 0;
  try {
    errorNumber = fs.ReplaceFileErrorNumber(table.ListFile(), JobListText(table));
  } catch (const std::bad_alloc&) {
    errorNumber = ENOMEM;  // its text does not fit in memory; the old list stays
  }
  if (errorNumber != 0)
    messages.ShowMessage(JobListSaveMessage(errorNumber));
  else
    table.SetModified(false);
  log.Append(LogSaveEntry(log.DateTime(), table.ListFile(), errorNumber));
  return errorNumber;
}

}  // namespace morvatex
