// The modal boxes and file dialogs of the desktop program, behind one small
// interface so that tests can answer them. Production uses the Qt dialogs
// (gui/QtDialogs.h). Texts use "\r\n" between lines.
#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

#include "base/MessageSink.h"

namespace morvatex {

// What an open-files dialog offers.
struct FileDialogOptions {
  // Entries "description|pattern", joined by "|", for example
  // "NCP-Dateien (*.ncp)|*.ncp|Alle Dateiformate (*.*)|*.*".
  QString filter;
  // Extension without the dot, added to a typed name that has none.
  QString defaultExtension;
  bool multiSelect = false;
  // Save dialog only: ask before a chosen file replaces an existing one.
  // Job lists are replaced without a question, profiles after one.
  bool confirmOverwrite = false;
  // The folder the dialog opens in; empty: where the last one ended.
  QString folder;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A plain message box with an OK button; returns when it is closed.
  virtual void ShowMessage(const QString& text) = 0;

  // A confirmation box with a question icon and OK and Cancel. True for
  // OK; false for Cancel and for closing the box.
  virtual bool AskOkCancel(const QString& text) = 0;

  // A confirmation box with a question icon and Yes and No. True for Yes;
  // false for No and for closing the box.
  virtual bool AskYesNo(const QString& text) = 0;

  // The open dialog. Returns the chosen files as full paths with the
  // platform's separators, in the order the dialog lists them; empty when
  // the user cancelled.
  virtual QStringList OpenFiles(const FileDialogOptions& options) = 0;

  // The save dialog with the filter and default extension of `options`
  // (`multiSelect` is ignored); it appends the default extension to a
  // name typed without one and asks before replacing a file only when
  // `confirmOverwrite` is set. Returns the full path with the platform's
  // separators; empty when the user cancelled.
  virtual QString SaveFile(const FileDialogOptions& options) = 0;

  // The platform's folder picker, opened at `start` (empty: where the
  // system likes). Returns the chosen folder with the platform's
  // separators; empty when the user cancelled.
  virtual QString ChooseFolder(const QString& start) = 0;
};

// Shows the core's messages (Windows-1252) as plain message boxes.
class DialogMessageSink final : public MessageSink {
 public:
  explicit DialogMessageSink(Dialogs& dialogs) : dialogs_(dialogs) {}
  void ShowMessage(std::string_view text) override;

 private:
  Dialogs& dialogs_;
};

}  // namespace morvatex
