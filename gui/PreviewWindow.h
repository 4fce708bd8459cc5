// The preview window: the tool path of one Isel program as the conversion's
// interpreter follows it, with a status line of the estimated machining
// time, the path lengths at feed and at rapid, the number of tool changes
// and the deepest Z of the feed moves, the failure that ended the path, if
// any, and how many lines are not carried over whole. The rapid rate of the time estimate is set in the window and
// remembered beside the settings file.
//
// The window opens at once: the program is traced, and each picture
// painted, on a worker thread, while a bar shows how far the trace has come,
// and then the canvas how far the first picture has.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "base/ThreadStarter.h"
#include "engine/IselDialect.h"
#include "gui/PreviewWorker.h"
#include "gui/ProgramViewer.h"
#include "paint/ToolPathPainter.h"
#include "preview/MotionPlan.h"
#include "preview/ToolPath.h"
#include "settings/SettingsRecord.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QSplitter;
class QDoubleSpinBox;
class QSpinBox;
class QTimer;

namespace morvatex {

// The drawing: zoom with the wheel about the cursor, pan by dragging with
// the left button. Keeps fitting the path to its size until the user zooms
// or pans. Shows the worker's picture; while a new one is painted, the last
// one stands in, moved and scaled to the view.
class PreviewCanvas final : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewCanvas(QWidget* parent);
  const PreviewView& View() const { return view_; }
  const PaintOptions& Options() const { return options_; }
  const OverlayOptions& Overlay() const { return overlay_; }
  // Shows the whole drawing again, and follows the size from now on.
  void Fit();
  void SetDepth(bool depth);
  // How many pictures the worker delivered and the canvas took up.
  int PicturesTaken() const { return picturesTaken_; }
  // The picture on show is the one of the present view, size and options.
  bool PictureCurrent() const;
  // The read-back path drawn over the moves (null: none), and the moves of
  // the divergence picked from the list.
  void SetReadBack(std::shared_ptr<const ReadBackOverlay> overlay);
  void Select(const OverlaySelection& selection);
  // The program viewer's marks (paint/ProgramMarks.h) and the scale bar,
  // painted over the picture while shown: so the picture of the worker
  // stays as it is, and stepping through lines asks for no new one.
  void ShowMarks(bool shown);
  // Marks moves of the path and of the read-back path (by their indices).
  void Mark(std::vector<std::size_t> moves, std::vector<std::size_t> readBackMoves);
  const std::vector<std::size_t>& MarkedMoves() const { return markedMoves_; }
  const std::vector<std::size_t>& MarkedReadBackMoves() const { return markedReadBack_; }

 signals:
  // The mouse is over machine point `mm`.
  void Pointed(QPointF mm);
  // A click without dragging at machine point `mm`; `reach`: a few pixels in mm.
  void Clicked(QPointF mm, double reach);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  friend class PreviewWindow;
  void PaintPicture(QPainter& painter);
  void PaintMarks(QPainter& painter);
  // The traced path and the worker that paints it.
  void Start(std::shared_ptr<const ToolPath> path, PreviewWorker* worker);
  void Take(const PreviewWorker::Picture& picture);
  // The view or size changed: shows the old picture scaled, asks for a new one.
  void Changed();
  void AskForPicture();

  std::shared_ptr<const ToolPath> path_;
  PreviewWorker* worker_ = nullptr;
  PreviewView view_;
  PaintOptions options_;
  OverlayOptions overlay_;
  bool fitted_ = true;
  QPointF dragFrom_;
  std::uint64_t ticket_ = 0;  // of the picture asked for last
  double askedRatio_ = 0;     // the device pixel ratio it was asked for
  PreviewWorker::Picture picture_;
  int picturesTaken_ = 0;
  bool marksShown_ = false;
  std::vector<std::size_t> markedMoves_, markedReadBack_;
  QPointF pressedAt_;  // where the left button went down
};

// Where the preview's threads come from: the worker's and those that paint
// the bands of a picture.
struct PreviewThreads {
  PreviewWorker::QThreadStarter worker = PreviewWorker::StartQThread;
  ThreadStarter bands = StartThread;
};

class PreviewWindow final : public QWidget {
  Q_OBJECT

 public:
  // Starts tracing `sourcePath` (Windows-1252) with `settings`, read in
  // `dialect`; the rapid rate comes from, and goes to, `rapidRateFile`
  // (empty: not remembered). `fs` must outlive the window. Without a worker
  // thread the window says so and shows nothing else.
  PreviewWindow(FileSystem& fs, const SettingsRecord& settings, const std::string& sourcePath,
                const std::string& rapidRateFile, QWidget* parent = nullptr, const PreviewThreads& threads = {},
                IselDialect dialect = IselDialect::kOriginal);
  // Stops the worker and waits for it, which takes a moment at most.
  ~PreviewWindow() override;

  // The traced path; empty until the trace ended.
  const ToolPath& Path() const;
  bool Traced() const { return path_ != nullptr; }
  PreviewCanvas* Canvas() const { return canvas_; }
  QSpinBox* RapidRateBox() const { return rapidRateBox_; }  // the rapid rate, mm/min
  QSpinBox* AccelerationBox() const { return accelBox_; }   // mm/s²
  QDoubleSpinBox* CornerBox() const { return cornerBox_; }  // the cornering tolerance, mm
  QCheckBox* DepthSwitch() const { return depthSwitch_; }   // "Tiefe": feed moves coloured by Z
  QProgressBar* TraceBar() const { return traceBar_; }      // hidden once the trace ended
  QLabel* StatusLine() const { return status_; }
  QLabel* FailureLine() const { return failure_; }  // hidden without a failure
  // "Nicht umgesetzt: N Zeilen", the first lines with their reasons in its
  // tooltip; hidden while every line is carried over whole.
  QLabel* NotCarriedLine() const { return notCarried_; }
  // The check of the output, offered while "Ausgabe prüfen" is on: the row's
  // CNC program at `cncPath` read back by `model` and drawn over the path,
  // with the divergences in a list. Until then the switch stays hidden.
  void OfferReadBack(const std::string& cncPath, ControlModel model);
  QCheckBox* ReadBackSwitch() const { return readBackSwitch_; }
  QLabel* ReadBackVerdict() const { return verdict_; }          // the check's first report line
  QListWidget* DivergenceList() const { return divergences_; }  // clicking an entry selects its moves
  // The row's CNC program, shown in the program viewer under the Isel text.
  void SetCncProgram(const std::string& cncPath);
  QPushButton* ProgramSwitch() const { return programSwitch_; }  // "Programm": opens the viewer
  ProgramViewer* Viewer() const { return viewer_; }

 protected:
  // F and Pos1 (Home) fit the drawing to the window; Esc closes it.
  void keyPressEvent(QKeyEvent* event) override;
  // Stops the trace at once, before the window is deleted.
  void closeEvent(QCloseEvent* event) override;

 private:
  // The rapid rate, acceleration or tolerance changed: a new estimate, and
  // the machine remembered.
  void MachineChanged();
  MachineModel Machine() const;
  // The boxes of the acceleration and the tolerance, set to `machine`.
  void CreateMachineBoxes(const MachineModel& machine);
  void CreateStatusLines();
  void CreateReadBackWidgets();
  void ShowProgress();
  void TraceEnded(const PreviewWorker::Traced& traced);
  void PictureArrived(const PreviewWorker::Picture& picture);
  void ShowFailure();  // the path's own failure, if any
  void ShowNotCarried();
  void ShowOutOfMemory();
  void ShowProblem(const QString& text);  // in the failure line, in place of the progress
  // The status line: the planned estimate, the instant one in its tooltip.
  void ShowEstimate();
  void ReadBackToggled(bool on);
  void ReadBackArrived(const PreviewWorker::ReadBack& readBack);
  void DivergencePicked(QListWidgetItem* item);
  // The program viewer (gui/PreviewWindowProgram.cpp): built hidden beside
  // the canvas in the splitter it returns, its texts indexed on the worker
  // when it first opens, linked both ways to the picture.
  QSplitter* CreateProgramViewer();
  void ProgramToggled(bool on);
  void AskForLineIndex(const std::string& path, bool cnc);
  void MoveClicked(QPointF mm, double reach);
  void MarkLines();

  FileSystem& fs_;
  std::string rapidRateFile_;
  std::string sourcePath_;
  std::shared_ptr<const ToolPath> path_;
  FeedDepth depth_;
  PreviewCanvas* canvas_ = nullptr;
  QSpinBox* rapidRateBox_ = nullptr;
  QSpinBox* accelBox_ = nullptr;
  QDoubleSpinBox* cornerBox_ = nullptr;
  QCheckBox* depthSwitch_ = nullptr;
  QProgressBar* traceBar_ = nullptr;
  QTimer* progressTimer_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* failure_ = nullptr;
  QLabel* notCarried_ = nullptr;
  std::string cncPath_;
  ControlModel checkModel_ = ControlModel::kRs274;
  QCheckBox* readBackSwitch_ = nullptr;
  QLabel* verdict_ = nullptr;
  QListWidget* divergences_ = nullptr;
  bool readBackAsked_ = false;
  std::shared_ptr<const ReadBackOverlay> readBack_;
  QPushButton* programSwitch_ = nullptr;
  ProgramViewer* viewer_ = nullptr;
  bool iselIndexAsked_ = false, cncIndexAsked_ = false;
  // Last: it calls back into the members above until it has stopped.
  std::unique_ptr<PreviewWorker> worker_;
};

}  // namespace morvatex
