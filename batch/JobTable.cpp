#include "batch/JobTable.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "base/FileSystem.h"
#include "base/PathIdentity.h"

namespace morvatex {
namespace {

const std::string kNoText;
// The texts of the mark codes, kMarkEmpty to kMarkE.
const std::string kMarkTexts[] = {std::string(), std::string(kMarkMarked), std::string(kMarkConverted),
                                  std::string(kMarkFailed)};

}  // namespace

JobTable::JobTable() : rows_(2), rowCount_(2) {}

const std::string& JobTable::Cell(int row, int column) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= kJobColumnCount) return kNoText;
  const StoredRow& stored = rows_[static_cast<std::size_t>(row)];
  switch (column) {
    case kColumnNumber: return stored.number;
    case kColumnSource: return stored.source;
    case kColumnTarget: return stored.target;
    default: break;
  }
  const MarkCode code = stored.marks[static_cast<std::size_t>(column - kColumnMarked)];
  if (code != kMarkOther) return kMarkTexts[code];
  const auto other = otherMarks_.find(OtherMarkKey(row, column));
  return other != otherMarks_.end() ? other->second : kNoText;
}

void JobTable::SetCell(int row, int column, std::string_view text) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= kJobColumnCount) return;
  Store(row, column, text);
}

void JobTable::Store(int row, int column, std::string_view text) {
  if (Cell(row, column) == text) return;
  StoredRow& stored = rows_[static_cast<std::size_t>(row)];
  switch (column) {
    case kColumnNumber: stored.number.assign(text); break;
    case kColumnSource: stored.source.assign(text); break;
    case kColumnTarget: stored.target.assign(text); break;
    default: {
      MarkCode& code = stored.marks[static_cast<std::size_t>(column - kColumnMarked)];
      const auto known = std::find(std::begin(kMarkTexts), std::end(kMarkTexts), text);
      if (known == std::end(kMarkTexts)) {
        otherMarks_[OtherMarkKey(row, column)].assign(text);
        code = kMarkOther;
      } else {
        if (code == kMarkOther) otherMarks_.erase(OtherMarkKey(row, column));
        code = static_cast<MarkCode>(known - std::begin(kMarkTexts));
      }
    }
  }
  if (observer_) observer_->CellChanged(row, column);
}

void JobTable::SetRowCount(int count) {
  count = std::max(count, 2);
  const int old = RowCount();
  if (count == old) return;
  // New rows are made before the observer hears of them: when memory runs
  // out, nothing has changed.
  if (count > old) rows_.resize(static_cast<std::size_t>(count));
  if (observer_) observer_->RowCountChanging(old, count);
  rowCount_ = count;
  if (count < old) {
    rows_.resize(static_cast<std::size_t>(count));
    otherMarks_.erase(otherMarks_.lower_bound(OtherMarkKey(count, 0)), otherMarks_.end());
  }
  if (observer_) observer_->RowCountChanged(old, count);
}

void JobTable::WriteHeaderRow() {
  Store(0, kColumnMarked, "Markiert");
  Store(0, kColumnConverted, "Abgearbeitet");
  Store(0, kColumnFailed, "Fehler");
  Store(0, kColumnSource, "Quelldatei");
  Store(0, kColumnTarget, "Zieldatei");
}

void JobTable::SetUpRow(int row) {
  if (row < 1 || row >= RowCount()) return;
  if (row == PlaceholderRow()) {
    for (int column = 0; column < kJobColumnCount; ++column) Store(row, column, "");
    return;
  }
  Store(row, kColumnNumber, std::to_string(row));
  Store(row, kColumnMarked, kMarkMarked);
  Store(row, kColumnConverted, "");
  Store(row, kColumnFailed, "");
}

int JobTable::AppendJob() {
  SetRowCount(RowCount() + 1);
  SetUpRow(PlaceholderRow());
  SetUpRow(PlaceholderRow() - 1);
  return PlaceholderRow() - 1;
}

void JobTable::RemoveJob(int row) {
  if (!IsJobRow(row)) return;
  for (int k = row; k < PlaceholderRow(); ++k) {
    for (int column = kColumnMarked; column < kJobColumnCount; ++column) {
      // Copied, not referenced: Store may not read from the row it writes.
      const std::string below = Cell(k + 1, column);
      Store(k, column, below);
    }
  }
  modified_ = true;
  SetRowCount(RowCount() - 1);
  SetUpRow(PlaceholderRow());
}

void JobTable::ClearJobs() {
  listFile_.clear();
  SetRowCount(2);
  SetUpRow(1);
}

bool JobTable::ToggleMark(int row, int column) {
  if (!IsJobRow(row)) return false;
  modified_ = true;
  std::string_view mark;
  switch (column) {
    case kColumnMarked: mark = kMarkMarked; break;
    case kColumnConverted: mark = kMarkConverted; break;
    case kColumnFailed: mark = kMarkFailed; break;
    default: return true;
  }
  Store(row, column, Cell(row, column) == mark ? std::string_view() : mark);
  return true;
}

void JobTable::ResetAllMarks() {
  for (int row = 1; row < PlaceholderRow(); ++row) {
    Store(row, kColumnMarked, kMarkMarked);
    Store(row, kColumnConverted, "");
    Store(row, kColumnFailed, "");
  }
}

int JobTable::RemoveConvertedJobs() {
  // From the bottom up, so the rows still to be visited keep their places.
  int removed = 0;
  for (int row = PlaceholderRow() - 1; row >= 1; --row) {
    if (Cell(row, kColumnConverted) == kMarkConverted) {
      RemoveJob(row);
      ++removed;
    }
  }
  return removed;
}

int JobTable::MarkedJobCount() const {
  int marked = 0;
  for (int row = 1; row < PlaceholderRow(); ++row) marked += Cell(row, kColumnMarked) == kMarkMarked;
  return marked;
}

std::array<std::string, 4> JobRowDetails(const JobTable& table, int row, PathSyntax syntax) {
  const std::string& source = table.Cell(row, kColumnSource);
  return {std::to_string(row) + ": " + FileNamePart(source, syntax), std::string(), source,
          table.Cell(row, kColumnTarget)};
}

namespace {

// Names that may be one file's on Windows share a key, accented letters too.
// Windows also takes a slash for a separator: "C:\x\sub/../a.ncp" names a.ncp.
std::string FoldedName(std::string_view path, PathSyntax syntax) {
  std::string name = FileNamePart(path, syntax);
  if (FolderSeparator(syntax) == '\\') name.erase(0, name.find_last_of('/') + 1);
  return PathKeyOnWindows(name);
}

}  // namespace

std::vector<bool> SourcesInTable(const JobTable& table, const std::vector<std::string>& sources, FileSystem& fs,
                                 PathSyntax syntax) {
  std::vector<bool> found(sources.size(), false);
  std::unordered_multimap<std::string, std::size_t> byName;
  for (std::size_t i = 0; i < sources.size(); ++i) byName.emplace(FoldedName(sources[i], syntax), i);
  std::vector<std::optional<FileIdentity>> identities(sources.size());
  for (int row = 1; row < table.PlaceholderRow(); ++row) {
    const std::string& held = table.Cell(row, kColumnSource);
    const auto [first, last] = byName.equal_range(FoldedName(held, syntax));
    if (first == last) continue;
    std::optional<FileIdentity> heldIdentity;
    for (auto it = first; it != last; ++it) {
      const std::size_t i = it->second;
      if (found[i]) continue;
      if (held == sources[i]) {
        found[i] = true;
        continue;
      }
      if (!identities[i]) identities[i] = fs.IdentityOf(sources[i]);
      if (!identities[i]->exists) continue;
      if (!heldIdentity) heldIdentity = fs.IdentityOf(held);
      found[i] = *heldIdentity == *identities[i];
    }
  }
  return found;
}

}  // namespace morvatex
