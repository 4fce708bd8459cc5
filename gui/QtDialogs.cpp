#include "gui/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>

#include "base/ProductInfo.h"
#include "gui/MessageBoxIcon.h"

namespace morvatex {
namespace {

QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton standard) {
  QMessageBox box(icon, QString::fromUtf8(kProductName.data(), static_cast<qsizetype>(kProductName.size())),
                  QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), buttons,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);  // paths may hold "<" and "&"
  SetSharpIcon(box, icon);
  box.setDefaultButton(standard);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtDialogs::ShowMessage(const QString& text) {
  ShowBox(QMessageBox::NoIcon, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtDialogs::AskOkCancel(const QString& text) {
  return ShowBox(QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
         QMessageBox::Ok;
}

bool QtDialogs::AskYesNo(const QString& text) {
  return ShowBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

QStringList QtDialogs::OpenFiles(const FileDialogOptions& options) {
  QFileDialog dialog(QApplication::activeWindow());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(options.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  SetUpDialog(dialog, options);
  if (dialog.exec() != QDialog::Accepted) return {};
  lastFolder_ = dialog.directory().absolutePath();
  QStringList files;
  for (const QString& file : dialog.selectedFiles()) files << QDir::toNativeSeparators(file);
  return files;
}

QString QtDialogs::SaveFile(const FileDialogOptions& options) {
  QFileDialog dialog(QApplication::activeWindow());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
  SetUpDialog(dialog, options);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  lastFolder_ = dialog.directory().absolutePath();
  return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

QString QtDialogs::ChooseFolder(const QString& start) {
  const QString folder = QFileDialog::getExistingDirectory(QApplication::activeWindow(), QString(), start);
  return folder.isEmpty() ? QString() : QDir::toNativeSeparators(folder);
}

void QtDialogs::SetUpDialog(QFileDialog& dialog, const FileDialogOptions& options) const {
  // Before the filters: it decides whether their patterns are shown twice.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(QtNameFilters(options.filter));
  dialog.setDefaultSuffix(options.defaultExtension);
  // Wide enough that the detail view shows name, size and date whole; a
  // small screen gets nine tenths of its room.
  dialog.setViewMode(QFileDialog::Detail);
  QSize size(900, 560);
  if (const QScreen* screen = dialog.screen()) size = size.boundedTo(screen->availableGeometry().size() * 0.9);
  dialog.resize(size);
  if (!options.folder.isEmpty())
    dialog.setDirectory(options.folder);
  else if (!lastFolder_.isEmpty())
    dialog.setDirectory(lastFolder_);
}

QStringList QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    // Windows' own dialog lets "*.*" match names without a dot as well, Qt's
    // dialog (taken wherever no native one is at hand, also on Windows) does
    // not; "*" matches every file in both.
    for (QString& pattern : patterns)
      if (pattern.trimmed() == QStringLiteral("*.*")) pattern = QStringLiteral("*");
    // Qt reads the patterns from the last parentheses; with the details
    // hidden it shows the description alone, exactly as written.
    filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')).trimmed() + QLatin1Char(')');
  }
  return filters;
}

}  // namespace morvatex
