// The program viewer beside the preview's picture: the Isel text and the
// row's CNC text, each shown from its file as it scrolls into view
// (gui/LineTextModel.h); the lines not carried over and the check's
// divergences as a list whose entries show their lines; and the position
// under the mouse. The window links it to the picture: a line selected here
// marks its moves, a move clicked there selects its line.
#pragma once

#include <QPointF>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "preview/LineIndex.h"
#include "preview/ToolPath.h"
#include "verify/PathComparison.h"

class QLabel;
class QListView;
class QListWidget;
class QListWidgetItem;

namespace morvatex {

class LineTextModel;

class ProgramViewer final : public QWidget {
  Q_OBJECT

 public:
  // `fs` must outlive the viewer.
  ProgramViewer(FileSystem& fs, QWidget* parent);

  // The texts: `index` null shows that the file cannot be read. Without a
  // call for the CNC text its pane stays hidden.
  void SetIselText(const std::string& path, std::shared_ptr<const LineIndex> index);
  void SetCncText(const std::string& path, std::shared_ptr<const LineIndex> index);
  // The entries of the list: the lines `path` does not carry over, and the
  // check's divergences (replacing those shown before).
  void SetNotCarried(const ToolPath& path);
  void SetDivergences(const std::vector<Divergence>& divergences);
  // Selects line `line` (1-based) of a text and scrolls it into view, which
  // reports it as a pick; 0 or a line beyond the text clears the selection.
  void SelectIselLine(std::size_t line);
  void SelectCncLine(std::size_t line);
  // The lines selected, 1-based; 0 for none.
  std::size_t IselLine() const;
  std::size_t CncLine() const;
  // The position under the mouse, in mm; none: the mouse left the picture.
  void ShowPosition(QPointF mm);
  void ClearPosition();

  QListView* IselView() const { return iselView_; }
  QListView* CncView() const { return cncView_; }
  LineTextModel* IselModel() const { return iselModel_; }
  QListWidget* Notes() const { return notes_; }   // "Nicht umgesetzt" lines and divergences
  QLabel* NoteText() const { return noteText_; }  // the lines of the entry picked
  QLabel* Readout() const { return readout_; }    // "X: ... mm   Y: ... mm"

 signals:
  // A line was selected (by the user or by Select...Line); 0: none.
  void IselLinePicked(std::size_t line);
  void CncLinePicked(std::size_t line);

 private:
  QListView* CreateTextView(LineTextModel* model, const QString& name);
  void NotePicked(QListWidgetItem* item);
  static std::size_t CurrentLine(const QListView* view);
  static void SelectLine(QListView* view, std::size_t line);

  FileSystem& fs_;
  LineTextModel* iselModel_ = nullptr;
  LineTextModel* cncModel_ = nullptr;
  QListView* iselView_ = nullptr;
  QListView* cncView_ = nullptr;
  QLabel* iselCaption_ = nullptr;
  QLabel* cncCaption_ = nullptr;
  QListWidget* notes_ = nullptr;
  QLabel* noteText_ = nullptr;
  QLabel* readout_ = nullptr;
};

}  // namespace morvatex
