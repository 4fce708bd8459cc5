#include "engine/LineNotices.h"

#include <algorithm>

#include "base/Cp1252Codec.h"

namespace morvatex {

void LineNotices::Clear() { *this = LineNotices{}; }

void LineNotices::Add(NoticeKind kind, std::size_t line, std::string_view text, std::string_view reason) {
  const bool carried = kind == NoticeKind::kApproximated;
  std::size_t& last = carried ? lastApproximated_ : lastNotCarried_;
  if (line != 0 && line == last) {
    // The same line again: its reasons go together.
    const auto same = std::find_if(listed_.rbegin(), listed_.rend(), [&](const LineNotice& notice) {
      return notice.kind == kind && notice.line == line;
    });
    if (same != listed_.rend() && same->reason.find(reason) == std::string::npos) {
      same->reason += "; ";
      same->reason += reason;
    }
    return;
  }
  last = line;
  std::size_t& count = carried ? approximated_ : notCarried_;
  std::size_t& listed = carried ? listedApproximated_ : listedNotCarried_;
  ++count;
  if (listed >= kListed) return;
  ++listed;
  listed_.push_back({kind, line, std::string(text), std::string(reason)});
}

std::string LineNotices::ReportLines() const {
  std::string report;
  const auto section = [&](NoticeKind kind, std::string_view heading) {
    const std::size_t count = Count(kind);
    if (count == 0) return;
    report += heading;
    report += std::to_string(count) + " Zeilen\r\n";
    for (const LineNotice& notice : listed_) {
      if (notice.kind != kind) continue;
      report += "  Isel-Zeile " + std::to_string(notice.line) + ": " + notice.text + "\r\n";
      report += "    " + notice.reason + "\r\n";
    }
    if (count > kListed) report += "  ... und " + std::to_string(count - kListed) + " weitere\r\n";
  };
  section(NoticeKind::kNotCarried, "Nicht umgesetzt: ");
  section(NoticeKind::kApproximated, Cp1252<u8"Als Geradenstücke geschrieben: ">());
  return report;
}

}  // namespace morvatex
