#include "batch/DesktopState.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "base/BoundedRead.h"

namespace morvatex {
namespace {

// Whole numbers separated by commas, exactly `count` of them.
bool ReadNumbers(std::string_view text, int* numbers, int count) {
  for (int i = 0; i < count; ++i) {
    const std::size_t end = i + 1 < count ? text.find(',') : text.size();
    if (end == std::string_view::npos) return false;
    const auto [ptr, error] = std::from_chars(text.data(), text.data() + end, numbers[i]);
    if (error != std::errc() || ptr != text.data() + end) return false;
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return true;
}

void TakeLine(DesktopState& state, std::string_view name, std::string_view value) {
  const std::string text(value);
  if (name == "Merken") {
    state.remember = value == "1";
  } else if (name == "IselOrdner") {
    state.iselFolder = text;
  } else if (name == "ListenOrdner") {
    state.listFolder = text;
  } else if (name == "ProfilOrdner") {
    state.profileFolder = text;
  } else if (name == "Hauptfenster") {
    int n[4];
    if (ReadNumbers(value, n, 4) && n[2] > 0 && n[3] > 0) state.mainWindow = {n[0], n[1], n[2], n[3]};
  } else if (name == "Vorschau") {
    int n[2];
    if (ReadNumbers(value, n, 2) && n[0] > 0 && n[1] > 0) {
      state.previewWidth = n[0];
      state.previewHeight = n[1];
    }
  } else if (name == "VorschauTiefe") {
    state.previewDepth = value == "1";
  } else if (name == "Liste" && !value.empty() && state.recentLists.size() < kRecentListCount) {
    state.recentLists.push_back(text);
  }
}

}  // namespace

std::string DesktopStateFilePath(const std::string& settingsFile) {
  return settingsFile.empty() ? std::string() : settingsFile + ".zustand";
}

DesktopState LoadDesktopState(FileSystem& fs, const std::string& path) {
  DesktopState state;
  std::string contents;
  if (!ReadSideFile(fs, path, contents)) return state;
  std::string_view text = contents;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    // A NUL has no place in a path or a number: the line is damaged.
    if (equals == std::string_view::npos || line.find('\0') != std::string_view::npos) continue;
    TakeLine(state, line.substr(0, equals), line.substr(equals + 1));
  }
  return state;
}

bool SaveDesktopState(FileSystem& fs, const std::string& path, const DesktopState& state) {
  if (path.empty()) return false;
  std::string text = std::string("Merken=") + (state.remember ? "1" : "0") + "\r\n";
  const auto add = [&text](std::string_view name, const std::string& value) {
    // A line end inside a value would split it into lines of its own.
    if (!value.empty() && value.find_first_of("\r\n") == std::string::npos)
      text.append(name).append("=").append(value).append("\r\n");
  };
  add("IselOrdner", state.iselFolder);
  add("ListenOrdner", state.listFolder);
  add("ProfilOrdner", state.profileFolder);
  const WindowPlace& w = state.mainWindow;
  if (w.Known())
    add("Hauptfenster", std::to_string(w.x) + "," + std::to_string(w.y) + "," + std::to_string(w.width) + "," +
                            std::to_string(w.height));
  if (state.previewWidth > 0 && state.previewHeight > 0)
    add("Vorschau", std::to_string(state.previewWidth) + "," + std::to_string(state.previewHeight));
  add("VorschauTiefe", state.previewDepth ? "1" : "0");
  for (const std::string& list : state.recentLists) add("Liste", list);
  return fs.ReplaceFile(path, text);
}

WindowPlace FitFrameOnScreens(const WindowPlace& inner, const FrameMargins& frame,
                              const std::vector<WindowPlace>& screens) {
  if (screens.empty()) return inner;
  // In 64 bits: a remembered place may hold any int, and its sums would
  // overflow an int.
  using Wide = long long;
  const Wide x = Wide{inner.x} - frame.left, y = Wide{inner.y} - frame.top;
  const Wide width = Wide{inner.width} + frame.left + frame.right;
  const Wide height = Wide{inner.height} + frame.top + frame.bottom;
  const auto overlap = [&](const WindowPlace& s) {
    const Wide w = std::min(x + width, Wide{s.x} + s.width) - std::max(x, Wide{s.x});
    const Wide h = std::min(y + height, Wide{s.y} + s.height) - std::max(y, Wide{s.y});
    return w > 0 && h > 0 ? w * h : 0;
  };
  const WindowPlace* screen = &screens.front();
  for (const WindowPlace& s : screens)
    if (overlap(s) > overlap(*screen)) screen = &s;
  // A window left on no screen starts at the corner of the first.
  const bool lost = overlap(*screen) == 0;
  const Wide placedWidth = std::min(width, Wide{screen->width});
  const Wide placedHeight = std::min(height, Wide{screen->height});
  const Wide placedX = std::clamp(lost ? screen->x : x, Wide{screen->x}, Wide{screen->x} + screen->width - placedWidth);
  const Wide placedY =
      std::clamp(lost ? screen->y : y, Wide{screen->y}, Wide{screen->y} + screen->height - placedHeight);
  // Within the screen now, so each result fits an int again.
  return {static_cast<int>(placedX + frame.left), static_cast<int>(placedY + frame.top),
          static_cast<int>(std::max<Wide>(1, placedWidth - frame.left - frame.right)),
          static_cast<int>(std::max<Wide>(1, placedHeight - frame.top - frame.bottom))};
}

WindowPlace ClampToScreens(const WindowPlace& window, const std::vector<WindowPlace>& screens) {
  return FitFrameOnScreens(window, {}, screens);
}

void RememberRecentList(DesktopState& state, const std::string& list) {
  auto& lists = state.recentLists;
  lists.erase(std::remove(lists.begin(), lists.end(), list), lists.end());
  lists.insert(lists.begin(), list);
  if (lists.size() > kRecentListCount) lists.resize(kRecentListCount);
}

}  // namespace morvatex
