// The source lines a conversion did not carry over whole, and those it
// carried only as an approximation, each with its reason in German. A
// conversion names them all in its report; the first few are listed there
// with their text, the rest are counted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace morvatex {

enum class NoticeKind {
  kNotCarried,    // some of the line's meaning does not reach the control
  kApproximated,  // it does, as straight segments in place of an arc
};

struct LineNotice {
  NoticeKind kind = NoticeKind::kNotCarried;
  std::size_t line = 0;  // 1-based
  std::string text;      // the source line as it stands
  std::string reason;    // German, Windows-1252
};

class LineNotices {
 public:
  // How many notices of each kind are listed with their text; the rest are
  // only counted, so that a program of a million unknown lines costs no
  // memory.
  static constexpr std::size_t kListed = 20;

  void Clear();
  // Notes `line` (1-based) with its `text` for `reason`. A line noted
  // twice with the same kind counts once; the reasons are joined.
  void Add(NoticeKind kind, std::size_t line, std::string_view text, std::string_view reason);

  std::size_t Count(NoticeKind kind) const { return kind == NoticeKind::kNotCarried ? notCarried_ : approximated_; }
  bool Empty() const { return notCarried_ == 0 && approximated_ == 0; }
  // The listed notices in the order they were noted.
  const std::vector<LineNotice>& Listed() const { return listed_; }

  // The lines of the report, each ending with CR LF:
  //   "Nicht umgesetzt: N Zeilen", then for each listed one
  //   "  Isel-Zeile K: TEXT" and "    REASON";
  // and the same under "Als Geradenstücke geschrieben: N Zeilen". Empty
  // without notices.
  std::string ReportLines() const;

 private:
  std::vector<LineNotice> listed_;
  std::size_t notCarried_ = 0, approximated_ = 0;
  std::size_t listedNotCarried_ = 0, listedApproximated_ = 0;
  // The last line noted of each kind, to join a second reason of it.
  std::size_t lastNotCarried_ = 0, lastApproximated_ = 0;
};

}  // namespace morvatex
