// The job list file as "Öffnen..." finds it: any bytes are read into a
// table. A list that reads without fault must come back the same after
// "Speichern" wrote it: same rows, same marks, same paths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "batch/JobListFile.h"
#include "batch/JobTable.h"
#include "tests/support/FakeFileSystem.h"

namespace {

using namespace morvatex;

bool SameJobs(const JobTable& a, const JobTable& b) {
  if (a.RowCount() != b.RowCount()) return false;
  for (int row = 1; row < a.PlaceholderRow(); ++row) {
    for (int column = 0; column < kJobColumnCount; ++column) {
      if (a.Cell(row, column) != b.Cell(row, column)) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr const char* kListPath = "C:\\cnc\\jobs.mvx";
  testing::FakeFileSystem fs;
  fs.files[kListPath].assign(reinterpret_cast<const char*>(data), size);
  JobTable table;
  const JobListCode code = ReadJobList(fs, kListPath, table);
  switch (code) {
    case JobListCode::kOk: break;
    case JobListCode::kReadError:
    case JobListCode::kNoOpeningBracket:
    case JobListCode::kNoClosingBracket:
    case JobListCode::kPathMissing: return 0;
    default: std::abort();  // no other code exists; 10 cannot happen for a file that is there
  }
  fs.files[kListPath] = JobListText(table);
  JobTable again;
  if (ReadJobList(fs, kListPath, again) != JobListCode::kOk || !SameJobs(table, again)) std::abort();
  return 0;
}
