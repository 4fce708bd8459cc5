#include "gui/PreviewWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

#include "base/PathSyntax.h"
#include "batch/PreviewText.h"
#include "batch/RapidRateFile.h"
#include "engine/OutcomeCodes.h"
#include "paint/QtText.h"

namespace morvatex {
namespace {

constexpr double kZoomPerNotch = 1.25;  // one notch of the wheel
const QString kFitHint = QStringLiteral("Mausrad: Zoom, Ziehen: Verschieben, F oder Pos1: Einpassen");

}  // namespace

PreviewCanvas::PreviewCanvas(const ToolPath& path, QWidget* parent) : QWidget(parent), path_(path) {
  setObjectName(QStringLiteral("canvas"));
  setFocusPolicy(Qt::StrongFocus);
  setToolTip(kFitHint);
  setMinimumSize(200, 150);
}

void PreviewCanvas::Fit() {
  fitted_ = true;
  view_ = FitView(path_, rect());
  update();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintToolPath(painter, path_, view_, rect());
}

void PreviewCanvas::resizeEvent(QResizeEvent*) {
  if (fitted_) Fit();
}

void PreviewCanvas::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  fitted_ = false;
  view_.ZoomAbout(event->position(), std::pow(kZoomPerNotch, notches));
  update();
  event->accept();
}

void PreviewCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragFrom_ = event->position();
  setFocus();
}

void PreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  fitted_ = false;
  view_.origin += event->position() - dragFrom_;
  dragFrom_ = event->position();
  update();
}

PreviewWindow::PreviewWindow(FileSystem& fs, const SettingsRecord& settings, const std::string& sourcePath,
                             const std::string& rapidRateFile, QWidget* parent)
    : QWidget(parent, Qt::Window),
      fs_(fs),
      rapidRateFile_(rapidRateFile),
      path_(TraceToolPathFile(fs, sourcePath, settings)) {
  setObjectName(QStringLiteral("previewWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Vorschau - ") + ToQString(FileNamePart(sourcePath, NativePathSyntax())));
  resize(800, 600);

  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* label = new QLabel(QStringLiteral("Eilgang (mm/min):"), this);
  rapidRateBox_ = new QSpinBox(this);
  rapidRateBox_->setObjectName(QStringLiteral("rapidRateBox"));
  rapidRateBox_->setRange(kMinRapidRate, kMaxRapidRate);
  rapidRateBox_->setKeyboardTracking(false);  // one change per entry, not per digit
  rapidRateBox_->setValue(LoadRapidRate(fs_, rapidRateFile_));
  rapidRateBox_->setToolTip(QStringLiteral("Geschwindigkeit der Eilgangbewegungen für die Zeitschätzung"));
  label->setBuddy(rapidRateBox_);
  auto* fit = new QPushButton(QStringLiteral("Einpassen (F)"), this);
  fit->setObjectName(QStringLiteral("fitButton"));
  fit->setToolTip(kFitHint);
  fit->setFocusPolicy(Qt::NoFocus);
  top->addWidget(label);
  top->addWidget(rapidRateBox_);
  top->addStretch(1);
  top->addWidget(fit);

  canvas_ = new PreviewCanvas(path_, this);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("statusLine"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  failure_ = new QLabel(ToQString(FailureText(path_)), this);
  failure_->setObjectName(QStringLiteral("failureLine"));
  failure_->setStyleSheet(QStringLiteral("color: red"));
  failure_->setVisible(!IsGood(path_.code));

  layout->addLayout(top);
  layout->addWidget(canvas_, 1);
  layout->addWidget(failure_);
  layout->addWidget(status_);

  connect(fit, &QPushButton::clicked, canvas_, &PreviewCanvas::Fit);
  connect(rapidRateBox_, &QSpinBox::valueChanged, this, &PreviewWindow::RapidRateChanged);
  status_->setText(ToQString(EstimateText(Estimate(path_, rapidRateBox_->value()))));
  canvas_->setFocus();
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

void PreviewWindow::RapidRateChanged(int rate) {
  status_->setText(ToQString(EstimateText(Estimate(path_, rate))));
  SaveRapidRate(fs_, rapidRateFile_, rate);
}

}  // namespace morvatex
