#include "batch/LogFile.h"

namespace morvatex {

std::string LogPathFor(std::string_view programPath, PathSyntax syntax) {
  return ChangeFileExt(programPath, ".log", syntax);
}

std::string LogStartHeader(std::string_view dateTime, std::string_view programPath) {
  std::string header(dateTime);
  header += " Neustart:\r\n";
  header += programPath;
  header += "\r\n\r\n\r\n";
  return header;
}

bool StartLogFile(FileSystem& fs, const std::string& logPath, std::string_view header) {
  fs.RemoveFile(logPath);  // there may be none
  std::unique_ptr<WritableFile> file = fs.CreateFile(logPath);
  if (!file) return false;
  const bool written = file->Write(header);
  return file->Close() && written;
}

std::string LogRunEntry(std::string_view dateTime, std::string_view listFile, int row, std::string_view rowMarks,
                        std::string_view report) {
  std::string entry(dateTime);
  entry += "\r\nTabelle: ";
  entry += listFile;
  entry += "\r\nZeile:   " + std::to_string(row) + " / ";
  entry += rowMarks;
  entry += "\r\n";
  entry += report;
  entry += "\r\n\r\n\r\n";
  return entry;
}

std::string LogSaveEntry(std::string_view dateTime, std::string_view listFile, int errorNumber) {
  std::string entry = "\r\n\r\n";
  entry += dateTime;
  entry += "  ####################\r\nTabelle gespeichert unter : \r\n   ";
  entry += listFile;
  entry += "\r\n";
  if (errorNumber != 0) entry += std::to_string(errorNumber) + " / dabei ist ein Schreibfehler aufgetreten !!!!\r\n";
  entry += "\r\n\r\n\r\n";
  return entry;
}

bool LogFile::Append(std::string_view entry) const {
  if (path_.empty()) return false;
  std::unique_ptr<WritableFile> file = fs_.OpenForAppending(path_);
  if (!file) return false;  // a log deleted meanwhile stays deleted
  const bool written = file->Write(entry);
  return file->Close() && written;
}

}  // namespace morvatex
