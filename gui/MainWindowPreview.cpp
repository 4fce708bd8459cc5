// The main window's way into the tool-path preview.
#include "batch/JobTable.h"
#include "gui/MainWindow.h"
#include "gui/PreviewWindow.h"
#include "preview/RapidRateFile.h"

namespace morvatex {

void MainWindow::PreviewSelectedRow() {
  if (running_) return;
  const int row = SelectedRow();
  if (!table_.IsJobRow(row)) {
    dialogs_.ShowMessage(QStringLiteral("Bitte zuerst eine Zeile mit einer Isel-Datei wählen."));
    return;
  }
  OpenPreview(row);
}

void MainWindow::OpenPreview(int row) {
  if (running_ || !table_.IsJobRow(row)) return;
  // A window of its own, closed with the main window; several may be open.
  auto* window =
      new PreviewWindow(fs_, settings_, table_.Cell(row, kColumnSource), RapidRateFilePath(settingsFilePath_), this);
  window->show();
}

}  // namespace morvatex
