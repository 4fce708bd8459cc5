#include "app/LogFile.h"

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

bool StarteLogdatei(FileSystem& fs, const std::string& logPath, std::string_view header) {
  fs.RemoveFile(logPath);  // there may be none
  std::unique_ptr<WritableFile> file = fs.CreateFile(logPath);
  if (!file) return false;
  const bool written = file->Write(header);
  return file->Close() && written;
}

}  // namespace morvatex
