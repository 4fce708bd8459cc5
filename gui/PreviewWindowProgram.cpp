// The preview window's program viewer and its links to the picture.
#include <QCheckBox>
#include <QPushButton>
#include <QSplitter>

#include "gui/PreviewWindow.h"
#include "preview/PathLines.h"

namespace morvatex {
namespace {

constexpr int kViewerShare = 40;  // % of the width the viewer takes when it opens

}  // namespace

QSplitter* PreviewWindow::CreateProgramViewer() {
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  programSwitch_ = new QPushButton(QStringLiteral("Programm"), this);
  programSwitch_->setObjectName(QStringLiteral("programSwitch"));
  programSwitch_->setCheckable(true);
  programSwitch_->setFocusPolicy(Qt::NoFocus);
  programSwitch_->setToolTip(
      QStringLiteral("Isel- und CNC-Programm neben dem Bild zeigen: ein Klick auf eine Bewegung wählt ihre Zeile, "
                     "eine gewählte Zeile zeigt ihre Bewegung"));
  viewer_ = new ProgramViewer(fs_, splitter);
  splitter->setObjectName(QStringLiteral("programSplitter"));
  splitter->addWidget(canvas_);
  splitter->addWidget(viewer_);
  splitter->setStretchFactor(0, 1);
  splitter->setChildrenCollapsible(false);
  // Closed until asked for: the picture keeps the whole width.
  viewer_->setVisible(false);
  connect(programSwitch_, &QPushButton::toggled, this, &PreviewWindow::ProgramToggled);
  connect(canvas_, &PreviewCanvas::Clicked, this, &PreviewWindow::MoveClicked);
  connect(canvas_, &PreviewCanvas::Pointed, viewer_, &ProgramViewer::ShowPosition);
  connect(viewer_, &ProgramViewer::IselLinePicked, this, &PreviewWindow::MarkLines);
  connect(viewer_, &ProgramViewer::CncLinePicked, this, &PreviewWindow::MarkLines);
  return splitter;
}

void PreviewWindow::ProgramToggled(bool on) {
  auto* splitter = static_cast<QSplitter*>(viewer_->parentWidget());
  const int width = splitter->width();
  viewer_->setVisible(on);
  canvas_->ShowMarks(on);
  if (!on) return;
  splitter->setSizes({width * (100 - kViewerShare) / 100, width * kViewerShare / 100});
  if (!worker_->Started()) return;
  if (!iselIndexAsked_) AskForLineIndex(sourcePath_, false);
  if (!cncIndexAsked_ && !cncPath_.empty()) AskForLineIndex(cncPath_, true);
}

void PreviewWindow::SetCncProgram(const std::string& cncPath) {
  cncPath_ = cncPath;
  if (viewer_->isVisible() && !cncIndexAsked_ && worker_->Started()) AskForLineIndex(cncPath_, true);
}

void PreviewWindow::AskForLineIndex(const std::string& path, bool cnc) {
  (cnc ? cncIndexAsked_ : iselIndexAsked_) = true;
  worker_->RequestLineIndex(path, [this, path, cnc](std::shared_ptr<const LineIndex> index) {
    QMetaObject::invokeMethod(
        this,
        [this, path, cnc, index] {
          if (cnc) {
            viewer_->SetCncText(path, index);
          } else {
            viewer_->SetIselText(path, index);
          }
        },
        Qt::QueuedConnection);
  });
}

// The move nearest the click selects its line; on the read-back path, the
// CNC line that made it too.
void PreviewWindow::MoveClicked(QPointF mm, double reach) {
  if (!viewer_->isVisible() || !path_) return;
  if (const std::optional<std::size_t> move = NearestMove(path_->segments, mm.x(), mm.y(), reach))
    viewer_->SelectIselLine(path_->segments.LineOf(*move));
  if (!readBack_ || !readBackSwitch_->isChecked()) return;
  if (const std::optional<std::size_t> move = readBack_->NearestMove(mm.x(), mm.y(), reach))
    viewer_->SelectCncLine(readBack_->moves[*move].line);
}

void PreviewWindow::MarkLines() {
  if (!path_) return;
  const std::size_t iselLine = viewer_->IselLine(), cncLine = viewer_->CncLine();
  std::vector<std::size_t> moves = iselLine > 0 ? MovesOfLine(path_->segments, iselLine) : std::vector<std::size_t>{};
  std::vector<std::size_t> readBackMoves;
  if (cncLine > 0 && readBack_ && readBackSwitch_->isChecked()) readBackMoves = readBack_->MovesOfLine(cncLine);
  canvas_->Mark(std::move(moves), std::move(readBackMoves));
}

}  // namespace morvatex
