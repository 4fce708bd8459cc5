// The preview window: the tool path of one Isel program as the conversion's
// interpreter follows it, with a status line of the estimated machining
// time, the path lengths at feed and at rapid and the number of tool changes,
// and the failure that ended the path, if any. The rapid rate of the time
// estimate is set in the window and remembered beside the settings file.
#pragma once

#include <QWidget>

#include <string>

#include "base/FileSystem.h"
#include "engine/ToolPath.h"
#include "paint/ToolPathPainter.h"
#include "settings/SettingsRecord.h"

class QLabel;
class QSpinBox;

namespace morvatex {

// The drawing: zoom with the wheel about the cursor, pan by dragging with
// the left button. Keeps fitting the path to its size until the user zooms
// or pans.
class PreviewCanvas final : public QWidget {
  Q_OBJECT

 public:
  PreviewCanvas(const ToolPath& path, QWidget* parent);
  const PreviewView& View() const { return view_; }
  // Shows the whole drawing again, and follows the size from now on.
  void Fit();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  const ToolPath& path_;
  PreviewView view_;
  bool fitted_ = true;
  QPointF dragFrom_;
};

class PreviewWindow final : public QWidget {
  Q_OBJECT

 public:
  // Traces `sourcePath` (Windows-1252) with `settings` at once; the rapid
  // rate comes from, and goes to, `rapidRateFile` (empty: not remembered).
  PreviewWindow(FileSystem& fs, const SettingsRecord& settings, const std::string& sourcePath,
                const std::string& rapidRateFile, QWidget* parent = nullptr);

  const ToolPath& Path() const { return path_; }
  PreviewCanvas* Canvas() const { return canvas_; }
  QSpinBox* RapidRateBox() const { return rapidRateBox_; }  // the rapid rate, mm/min
  QLabel* StatusLine() const { return status_; }
  QLabel* FailureLine() const { return failure_; }  // hidden without a failure

 protected:
  // F and Pos1 (Home) fit the drawing to the window; Esc closes it.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void RapidRateChanged(int rate);

  FileSystem& fs_;
  std::string rapidRateFile_;
  ToolPath path_;
  PreviewCanvas* canvas_ = nullptr;
  QSpinBox* rapidRateBox_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* failure_ = nullptr;
};

}  // namespace morvatex
