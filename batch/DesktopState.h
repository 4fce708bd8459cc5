// What the desktop program remembers between starts once the user turned it
// on (Einstellungen > "Ordner und Fenster merken"): the last folder of each
// file dialog, the main window's place, the preview's size and depth view,
// and the last job lists opened. It lives in a small file beside the
// settings file (the settings path + ".zustand"), never in the settings
// record: Windows-1252 lines "Name=Wert" with CR LF. A damaged line, or a
// damaged or unreadable file, is passed over; the next save rewrites it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/FileSystem.h"

namespace morvatex {

inline constexpr std::size_t kRecentListCount = 8;

// In device-independent pixels, as the windowing toolkit measures; a
// remembered place is the window's inner area, without its frame.
struct WindowPlace {
  int x = 0, y = 0, width = 0, height = 0;
  bool Known() const { return width > 0 && height > 0; }
};

// The frame (caption, borders) around a window's inner area.
struct FrameMargins {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct DesktopState {
  bool remember = false;                              // the user's switch; off, nothing else is kept
  std::string iselFolder, listFolder, profileFolder;  // Windows-1252; empty: none yet
  WindowPlace mainWindow;
  int previewWidth = 0, previewHeight = 0;  // 0: the starting size
  bool previewDepth = false;
  std::vector<std::string> recentLists;  // newest first, at most kRecentListCount
};

// The file beside `settingsFile`; empty for an empty settings path.
std::string DesktopStateFilePath(const std::string& settingsFile);

// The state in the file; the defaults (remember off) for a missing file,
// one that is no regular file (never waited on) or cannot be read.
DesktopState LoadDesktopState(FileSystem& fs, const std::string& path);

// Writes the whole state; false when that failed or `path` is empty.
bool SaveDesktopState(FileSystem& fs, const std::string& path, const DesktopState& state);

// `window` moved and, where it must be, shrunk so that it lies wholly on
// the one of `screens` (their available areas) it overlaps most, or on the
// first when it overlaps none; as it is without screens.
WindowPlace ClampToScreens(const WindowPlace& window, const std::vector<WindowPlace>& screens);

// The same for a window whose inner area `inner` has `frame` around it: the
// frame, caption included, is put wholly on the screen; the inner area that
// leaves is returned (at least 1 x 1). Any ints are safe.
WindowPlace FitFrameOnScreens(const WindowPlace& inner, const FrameMargins& frame,
                              const std::vector<WindowPlace>& screens);

// Puts `list` first among the recent lists, once, keeping at most
// kRecentListCount.
void RememberRecentList(DesktopState& state, const std::string& list);

}  // namespace morvatex
