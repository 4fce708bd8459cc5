#include "gui/PreviewWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "base/PathSyntax.h"
#include "engine/NumberText.h"
#include "engine/OutcomeCodes.h"
#include "gui/FlowLayout.h"
#include "gui/WindowPlacement.h"
#include "paint/ProgramMarks.h"
#include "preview/MotionPlan.h"
#include "preview/PreviewText.h"
#include "preview/RapidRateFile.h"
#include "qttext/QtText.h"

namespace morvatex {
namespace {

constexpr double kZoomPerNotch = 1.25;  // one notch of the wheel
const QString kFitHint = QStringLiteral("Mausrad: Zoom, Ziehen: Verschieben, F oder Pos1: Einpassen");
constexpr int kBarSteps = 1000;               // the trace bar: each pass fills half
constexpr int kProgressIntervalMs = 100;      // how often the trace bar looks at the worker
constexpr int kListHeight = 140;              // the list of divergences under the picture
constexpr std::size_t kNotCarriedShown = 10;  // lines in the tooltip of the line that counts them
constexpr double kClickSlack = 3;             // px a click may move and stay a click
constexpr double kClickReach = 6;             // px from a move that a click still picks it

// The first line of a check's report, without its line end.
QString Verdict(const std::string& report) { return ToQString(report.substr(0, report.find('\r'))); }

bool SameView(const PreviewView& a, const PreviewView& b) { return a.scale == b.scale && a.origin == b.origin; }

}  // namespace

PreviewCanvas::PreviewCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("canvas"));
  setFocusPolicy(Qt::StrongFocus);
  setToolTip(kFitHint);
  setMinimumSize(200, 150);
  setMouseTracking(true);  // for the position under the mouse
}

void PreviewCanvas::Start(std::shared_ptr<const ToolPath> path, PreviewWorker* worker) {
  path_ = std::move(path);
  worker_ = worker;
  if (fitted_) {
    Fit();
  } else {
    Changed();
  }
}

void PreviewCanvas::Fit() {
  fitted_ = true;
  if (path_) view_ = FitPicture(*path_, rect(), options_);
  Changed();
}

void PreviewCanvas::SetDepth(bool depth) {
  if (options_.depth == depth) return;
  options_.depth = depth;
  // A fitted drawing makes room for the legend, or takes it back.
  if (fitted_) {
    Fit();
  } else {
    Changed();
  }
}

void PreviewCanvas::Changed() {
  update();
  AskForPicture();
}

void PreviewCanvas::AskForPicture() {
  if (!path_ || !worker_) return;
  askedRatio_ = devicePixelRatioF();
  ticket_ = worker_->RequestPicture(size(), askedRatio_, view_, options_, overlay_);
}

void PreviewCanvas::Take(const PreviewWorker::Picture& picture) {
  // An older picture than the one asked for last is already out of date.
  if (picture.ticket != ticket_ || picture.image.isNull()) return;
  picture_ = picture;
  ++picturesTaken_;
  update();
}

bool PreviewCanvas::PictureCurrent() const {
  return !picture_.image.isNull() && picture_.size == size() && SameView(picture_.view, view_) &&
         picture_.options.depth == options_.depth && picture_.overlay == overlay_ &&
         picture_.image.devicePixelRatio() == devicePixelRatioF();
}

void PreviewCanvas::SetReadBack(std::shared_ptr<const ReadBackOverlay> overlay) {
  if (overlay_.readBack == overlay) return;
  overlay_.readBack = std::move(overlay);
  Changed();
}

void PreviewCanvas::Select(const OverlaySelection& selection) {
  if (overlay_.selected == selection) return;
  overlay_.selected = selection;
  Changed();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintPicture(painter);
  if (marksShown_) PaintMarks(painter);
}

void PreviewCanvas::PaintPicture(QPainter& painter) {
  if (PictureCurrent()) {
    painter.drawImage(QPointF(0, 0), picture_.image);
    return;
  }
  // Moved to a screen of another pixel ratio: the picture must follow.
  if (askedRatio_ != devicePixelRatioF()) AskForPicture();
  painter.fillRect(rect(), Qt::white);
  if (picture_.image.isNull()) {
    painter.setPen(Qt::gray);
    const QString text = path_ && worker_ ? QStringLiteral("Bild wird gezeichnet: %1 %")
                                                .arg(static_cast<int>(std::min(worker_->PictureProgress(), 1.0) * 100))
                                          : QStringLiteral("Werkzeugweg wird berechnet ...");
    painter.drawText(rect(), Qt::AlignCenter, text);
    return;
  }
  // The last picture stands in: a machine point at q in it lies at
  // origin + (q - its origin) * (scale / its scale) now.
  const double factor = view_.scale / picture_.view.scale;
  QTransform transform;
  transform.translate(view_.origin.x(), view_.origin.y());
  transform.scale(factor, factor);
  transform.translate(-picture_.view.origin.x(), -picture_.view.origin.y());
  painter.setTransform(transform);
  painter.drawImage(QPointF(0, 0), picture_.image);
  painter.resetTransform();
}

void PreviewCanvas::PaintMarks(QPainter& painter) {
  if (!path_) return;
  std::optional<QPointF> tool = PaintMarkedMoves(painter, *path_, markedMoves_, view_);
  if (overlay_.readBack) {
    const std::optional<QPointF> end = PaintMarkedReadBack(painter, *overlay_.readBack, markedReadBack_, view_);
    if (!tool) tool = end;
  }
  if (tool) PaintToolMarker(painter, *tool);
  PaintScaleBar(painter, view_, rect(), DrawingFrame(*path_, view_));
}

void PreviewCanvas::ShowMarks(bool shown) {
  marksShown_ = shown;
  update();
}

void PreviewCanvas::Mark(std::vector<std::size_t> moves, std::vector<std::size_t> readBackMoves) {
  markedMoves_ = std::move(moves);
  markedReadBack_ = std::move(readBackMoves);
  update();
}

void PreviewCanvas::resizeEvent(QResizeEvent*) {
  if (fitted_) {
    Fit();
  } else {
    Changed();
  }
}

void PreviewCanvas::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || !path_) return;
  fitted_ = false;
  view_.ZoomAbout(event->position(), std::pow(kZoomPerNotch, notches));
  Changed();
  event->accept();
}

void PreviewCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragFrom_ = pressedAt_ = event->position();
  setFocus();
}

void PreviewCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !path_) return;
  // A press and release a few pixels apart is a click; farther, a drag.
  if ((event->position() - pressedAt_).manhattanLength() > kClickSlack) return;
  emit Clicked(view_.ToMachine(event->position()), kClickReach / view_.scale);
}

void PreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (path_) emit Pointed(view_.ToMachine(event->position()));
  if (!(event->buttons() & Qt::LeftButton) || !path_) return;
  fitted_ = false;
  view_.origin += event->position() - dragFrom_;
  dragFrom_ = event->position();
  Changed();
}

// Each box carries the caption of its label, which the window's top row
// puts before it.
void PreviewWindow::CreateMachineBoxes(const MachineModel& machine) {
  accelBox_ = new QSpinBox(this);
  accelBox_->setObjectName(QStringLiteral("accelerationBox"));
  accelBox_->setRange(static_cast<int>(kMinAcceleration), static_cast<int>(kMaxAcceleration));
  accelBox_->setKeyboardTracking(false);
  accelBox_->setValue(static_cast<int>(std::lround(machine.acceleration)));
  accelBox_->setToolTip(QStringLiteral("Beschleunigung der Maschine für die Zeitschätzung"));
  accelBox_->setProperty("caption", QStringLiteral("Beschleunigung (mm/s²):"));
  cornerBox_ = new QDoubleSpinBox(this);
  cornerBox_->setObjectName(QStringLiteral("cornerBox"));
  cornerBox_->setLocale(QLocale::c());  // "." as in every number of the program
  cornerBox_->setDecimals(3);
  cornerBox_->setSingleStep(0.01);
  cornerBox_->setRange(kMinCornerTolerance, kMaxCornerTolerance);
  cornerBox_->setKeyboardTracking(false);
  cornerBox_->setValue(machine.cornerTolerance);
  cornerBox_->setToolTip(
      QStringLiteral("Wie weit die Maschine eine Ecke abrunden darf; begrenzt die Geschwindigkeit in Ecken"));
  cornerBox_->setProperty("caption", QStringLiteral("Eckentoleranz (mm):"));
}

// The trace bar and the lines under the picture.
void PreviewWindow::CreateStatusLines() {
  traceBar_ = new QProgressBar(this);
  traceBar_->setObjectName(QStringLiteral("traceBar"));
  traceBar_->setRange(0, kBarSteps);
  traceBar_->setTextVisible(false);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("statusLine"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Long lines wrap rather than hold the window wide.
  status_->setWordWrap(true);
  failure_ = new QLabel(this);
  failure_->setObjectName(QStringLiteral("failureLine"));
  failure_->setStyleSheet(QStringLiteral("color: red"));
  failure_->setWordWrap(true);
  failure_->setVisible(false);
  notCarried_ = new QLabel(this);
  notCarried_->setObjectName(QStringLiteral("notCarriedLine"));
  // The colour of their moves, darkened to be read as text.
  notCarried_->setStyleSheet(QStringLiteral("color: %1").arg(kNotCarriedColour.darker(140).name()));
  notCarried_->setWordWrap(true);
  notCarried_->setVisible(false);
}

// The switch, verdict and list of the read-back overlay, hidden until
// OfferReadBack.
void PreviewWindow::CreateReadBackWidgets() {
  readBackSwitch_ = new QCheckBox(this);
  readBackSwitch_->setObjectName(QStringLiteral("readBackSwitch"));
  readBackSwitch_->setVisible(false);
  verdict_ = new QLabel(this);
  verdict_->setObjectName(QStringLiteral("readBackVerdict"));
  verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A long verdict wraps instead of widening the window, which would not
  // narrow again when the overlay goes.
  verdict_->setWordWrap(true);
  verdict_->setVisible(false);
  divergences_ = new QListWidget(this);
  divergences_->setObjectName(QStringLiteral("divergenceList"));
  divergences_->setMaximumHeight(kListHeight);
  divergences_->setVisible(false);
}

PreviewWindow::PreviewWindow(FileSystem& fs, const SettingsRecord& settings, const std::string& sourcePath,
                             const std::string& rapidRateFile, QWidget* parent, const PreviewThreads& threads,
                             IselDialect dialect)
    : QWidget(parent, Qt::Window), fs_(fs), rapidRateFile_(rapidRateFile), sourcePath_(sourcePath) {
  setObjectName(QStringLiteral("previewWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Vorschau - ") + ToQString(FileNamePart(sourcePath, NativePathSyntax())));
  resize(800, 600);
  // Opened over the main window, its frame wholly on the screen.
  KeepOnScreen(*this);

  auto* layout = new QVBoxLayout(this);
  // The controls wrap onto a second row in a narrow window, so that the
  // window can be made as narrow as a small screen at a high scale factor.
  auto* top = new FlowLayout;
  auto* label = new QLabel(QStringLiteral("Eilgang (mm/min):"), this);
  rapidRateBox_ = new QSpinBox(this);
  rapidRateBox_->setObjectName(QStringLiteral("rapidRateBox"));
  rapidRateBox_->setRange(kMinRapidRate, kMaxRapidRate);
  rapidRateBox_->setKeyboardTracking(false);  // one change per entry, not per digit
  const MachineModel machine = LoadPreviewMachine(fs_, rapidRateFile_);
  rapidRateBox_->setValue(static_cast<int>(machine.rapidRate));
  rapidRateBox_->setToolTip(QStringLiteral("Geschwindigkeit der Eilgangbewegungen für die Zeitschätzung"));
  label->setBuddy(rapidRateBox_);
  CreateMachineBoxes(machine);
  depthSwitch_ = new QCheckBox(QStringLiteral("Tiefe"), this);
  depthSwitch_->setObjectName(QStringLiteral("depthSwitch"));
  depthSwitch_->setToolTip(QStringLiteral("Vorschubbewegungen nach ihrer Tiefe (Z) färben"));
  auto* fit = new QPushButton(QStringLiteral("Einpassen (F)"), this);
  fit->setObjectName(QStringLiteral("fitButton"));
  fit->setToolTip(kFitHint);
  fit->setFocusPolicy(Qt::NoFocus);
  top->addWidget(label);
  top->addWidget(rapidRateBox_);
  top->AddSpacing(12);
  for (QWidget* box : {static_cast<QWidget*>(accelBox_), static_cast<QWidget*>(cornerBox_)}) {
    auto* caption = new QLabel(box->property("caption").toString(), this);
    caption->setBuddy(box);
    top->addWidget(caption);
    top->addWidget(box);
    top->AddSpacing(12);
  }
  top->addWidget(depthSwitch_);
  top->AddStretch();
  top->addWidget(fit);

  canvas_ = new PreviewCanvas(this);
  canvas_->options_.startThread = threads.bands;
  CreateStatusLines();
  CreateReadBackWidgets();
  top->InsertWidget(top->indexOf(depthSwitch_) + 1, readBackSwitch_);
  QSplitter* splitter = CreateProgramViewer();
  top->InsertWidget(top->indexOf(fit), programSwitch_);

  layout->addLayout(top);
  layout->addWidget(splitter, 1);
  layout->addWidget(verdict_);
  layout->addWidget(divergences_);
  layout->addWidget(traceBar_);
  layout->addWidget(failure_);
  layout->addWidget(notCarried_);
  layout->addWidget(status_);
  // At its starting size the controls stand in one row, as far as the
  // screen has room (KeepOnScreen).
  const QMargins margins = layout->contentsMargins();
  resize(std::max(width(), top->sizeHint().width() + margins.left() + margins.right()), height());

  connect(fit, &QPushButton::clicked, canvas_, &PreviewCanvas::Fit);
  connect(depthSwitch_, &QCheckBox::toggled, canvas_, &PreviewCanvas::SetDepth);
  connect(readBackSwitch_, &QCheckBox::toggled, this, &PreviewWindow::ReadBackToggled);
  connect(divergences_, &QListWidget::itemClicked, this, &PreviewWindow::DivergencePicked);
  connect(rapidRateBox_, &QSpinBox::valueChanged, this, &PreviewWindow::MachineChanged);
  connect(accelBox_, &QSpinBox::valueChanged, this, &PreviewWindow::MachineChanged);
  connect(cornerBox_, &QDoubleSpinBox::valueChanged, this, &PreviewWindow::MachineChanged);
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(kProgressIntervalMs);
  connect(progressTimer_, &QTimer::timeout, this, &PreviewWindow::ShowProgress);
  canvas_->setFocus();

  // The worker reports on its own thread; the reports are handed to this
  // window's thread, and the destructor waits for the worker before the
  // window goes, so none arrives at a window that is gone.
  worker_ = std::make_unique<PreviewWorker>(
      fs, settings, sourcePath,
      [this](PreviewWorker::Traced traced) {
        QMetaObject::invokeMethod(
            this, [this, traced] { TraceEnded(traced); }, Qt::QueuedConnection);
      },
      [this](PreviewWorker::Picture picture) {
        QMetaObject::invokeMethod(
            this, [this, picture] { PictureArrived(picture); }, Qt::QueuedConnection);
      },
      threads.worker, dialect);
  if (!worker_->Started()) {
    canvas_->hide();  // it would say that the path is being traced
    ShowProblem(QStringLiteral("Für die Vorschau kann kein weiterer Thread gestartet werden."));
    return;
  }
  ShowProgress();
  progressTimer_->start();
}

PreviewWindow::~PreviewWindow() { worker_.reset(); }

const ToolPath& PreviewWindow::Path() const {
  static const ToolPath kNone;
  return path_ ? *path_ : kNone;
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F || event->key() == Qt::Key_Home) {
    canvas_->Fit();
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
  worker_->Stop();
  progressTimer_->stop();
  QWidget::closeEvent(event);
}

void PreviewWindow::ShowProgress() {
  if (path_) {  // traced: the canvas tells how far the first picture has come
    canvas_->update();
    return;
  }
  const TraceProgress progress = worker_->Progress();
  if (progress.pass == 0 || progress.total == 0) {
    traceBar_->setValue(0);
    status_->setText(QStringLiteral("Datei wird gelesen ..."));
    return;
  }
  const double share = static_cast<double>(progress.done) / static_cast<double>(progress.total);
  traceBar_->setValue(static_cast<int>((progress.pass - 1 + share) * kBarSteps / 2));
  status_->setText(QStringLiteral("Werkzeugweg wird berechnet: Durchlauf %1 von 2, Zeile %2 von %3")
                       .arg(progress.pass)
                       .arg(progress.done)
                       .arg(progress.total));
}

void PreviewWindow::TraceEnded(const PreviewWorker::Traced& traced) {
  if (!traced.path) {
    ShowOutOfMemory();
    return;
  }
  path_ = traced.path;
  depth_ = traced.depth;
  ShowFailure();
  ShowNotCarried();
  viewer_->SetNotCarried(*path_);
  ShowEstimate();
  traceBar_->hide();  // before the first picture is asked for, so that it is asked for the final size
  canvas_->Start(path_, worker_.get());
}

void PreviewWindow::PictureArrived(const PreviewWorker::Picture& picture) {
  if (picture.outOfMemory) {
    ShowOutOfMemory();
    return;
  }
  const int before = canvas_->PicturesTaken();
  canvas_->Take(picture);
  if (canvas_->PicturesTaken() == before) return;
  progressTimer_->stop();
  ShowFailure();  // over the message of an earlier picture that memory could not hold
}

void PreviewWindow::ShowFailure() {
  failure_->setText(ToQString(FailureText(*path_)));
  failure_->setVisible(!IsGood(path_->code));
}

void PreviewWindow::ShowNotCarried() {
  notCarried_->setText(ToQString(NotCarriedText(*path_)));
  QStringList lines;
  for (const std::string& line : NotCarriedLines(*path_, kNotCarriedShown)) lines << ToQString(line);
  notCarried_->setToolTip(lines.join(QLatin1Char('\n')));
  notCarried_->setVisible(path_->notCarriedCount > 0);
}

void PreviewWindow::ShowOutOfMemory() { ShowProblem(QStringLiteral("Nicht genug Speicher für die Vorschau.")); }

void PreviewWindow::ShowProblem(const QString& text) {
  progressTimer_->stop();
  traceBar_->hide();
  status_->clear();
  failure_->setText(text);
  failure_->show();
}

MachineModel PreviewWindow::Machine() const {
  return {static_cast<double>(rapidRateBox_->value()), static_cast<double>(accelBox_->value()), cornerBox_->value()};
}

void PreviewWindow::ShowEstimate() {
  const MachiningEstimate estimate = Estimate(*path_, Machine());
  QString text = ToQString(EstimateText(estimate));
  if (depth_.known) text += QStringLiteral("   Tiefstes Z: ") + ToQString(FixedPointText(depth_.bottom, 3)) + " mm";
  status_->setText(text);
  // The time as if the machine changed its speed at once, to compare.
  status_->setToolTip(
      ToQString(InstantTimeText(estimate) + "\n" + MachineText(accelBox_->value(), cornerBox_->value())));
}

void PreviewWindow::OfferReadBack(const std::string& cncPath, ControlModel model) {
  cncPath_ = cncPath;
  checkModel_ = model;
  const QString name = ToQString(ControlModelName(model));
  readBackSwitch_->setText(QStringLiteral("Rückgelesen (%1)").arg(name));
  readBackSwitch_->setToolTip(
      QStringLiteral("Das CNC-Programm so zurücklesen, wie die Steuerung (%1) es liest, und über den Isel-Weg "
                     "zeichnen; Abweichungen in Orange")
          .arg(name));
  readBackSwitch_->setVisible(worker_->Started());
}

void PreviewWindow::ReadBackToggled(bool on) {
  verdict_->setVisible(on);
  divergences_->setVisible(on);
  canvas_->SetReadBack(on ? readBack_ : nullptr);
  if (!on) {
    // Ticked again, the program is read afresh: it may have been converted since.
    readBackAsked_ = false;
    readBack_.reset();
    canvas_->Select({});
    viewer_->SetDivergences({});
    MarkLines();
    return;
  }
  if (readBackAsked_) return;
  readBackAsked_ = true;
  verdict_->setText(QStringLiteral("CNC-Programm wird zurückgelesen ..."));
  worker_->RequestReadBack(cncPath_, checkModel_, [this](PreviewWorker::ReadBack readBack) {
    QMetaObject::invokeMethod(
        this, [this, readBack] { ReadBackArrived(readBack); }, Qt::QueuedConnection);
  });
}

void PreviewWindow::ReadBackArrived(const PreviewWorker::ReadBack& readBack) {
  if (!readBackAsked_) return;  // unticked since: what it read is no longer wanted
  readBack_ = readBack.overlay;
  verdict_->setText(readBack.result.report.empty()
                        ? QStringLiteral("Prüfung: nicht möglich: ") + ToQString(readBack.result.problem)
                        : Verdict(readBack.result.report));
  divergences_->clear();
  for (const Divergence& d : readBack.result.summary.first) {
    QStringList where;
    if (d.cncLine > 0) where << QStringLiteral("CNC-Zeile %1").arg(d.cncLine);
    if (d.iselLine > 0) where << QStringLiteral("Isel-Zeile %1").arg(d.iselLine);
    auto* item = new QListWidgetItem(where.join(QStringLiteral(", ")) + ": " + ToQString(d.what), divergences_);
    item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(d.cncLine));
    item->setData(Qt::UserRole + 1, QVariant::fromValue<qulonglong>(d.iselLine));
  }
  const std::size_t more = readBack.result.summary.divergenceCount - readBack.result.summary.first.size();
  if (more > 0) new QListWidgetItem(QStringLiteral("... und %1 weitere Abweichungen").arg(more), divergences_);
  viewer_->SetDivergences(readBack.result.summary.first);
  if (readBackSwitch_->isChecked()) canvas_->SetReadBack(readBack_);
}

void PreviewWindow::DivergencePicked(QListWidgetItem* item) {
  canvas_->Select({static_cast<std::size_t>(item->data(Qt::UserRole).toULongLong()),
                   static_cast<std::size_t>(item->data(Qt::UserRole + 1).toULongLong())});
}

void PreviewWindow::MachineChanged() {
  if (path_) ShowEstimate();
  SavePreviewMachine(fs_, rapidRateFile_, Machine());
}

}  // namespace morvatex
