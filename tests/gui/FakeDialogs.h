// Dialogs answered by the test: every box and dialog is logged in order,
// questions take their answers from `answers`, the open dialog its choices
// from `fileChoices`. A box that finds no answer prepared fails the test.
#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "gui/Dialogs.h"

namespace morvatex::testing {

class FakeDialogs final : public Dialogs {
 public:
  // One entry per box or dialog: "Nachricht: " + text, "OK/Abbrechen: " +
  // text, "Ja/Nein: " + text, "Öffnen", "Speichern" or "Ordner".
  std::vector<QString> log;
  std::deque<bool> answers;
  std::deque<QStringList> fileChoices;
  std::vector<FileDialogOptions> openOptions;
  // The save dialog's answers (an empty text cancels) and what it offered.
  std::deque<QString> saveChoices;
  std::vector<FileDialogOptions> saveOptions;
  // The folder picker's answers (an empty text cancels) and where it opened.
  std::deque<QString> folderChoices;
  std::vector<QString> folderStarts;
  // Runs inside every message box, while it is "shown".
  std::function<void(const QString&)> onMessage;

  void ShowMessage(const QString& text) override {
    log.push_back(QStringLiteral("Nachricht: ") + text);
    if (onMessage) onMessage(text);
  }
  bool AskOkCancel(const QString& text) override { return Answer(QStringLiteral("OK/Abbrechen: ") + text); }
  bool AskYesNo(const QString& text) override { return Answer(QStringLiteral("Ja/Nein: ") + text); }
  QStringList OpenFiles(const FileDialogOptions& options) override {
    log.push_back(QStringLiteral("Öffnen"));
    openOptions.push_back(options);
    return Next(fileChoices, "open dialog");
  }
  QString SaveFile(const FileDialogOptions& options) override {
    log.push_back(QStringLiteral("Speichern"));
    saveOptions.push_back(options);
    return Next(saveChoices, "save dialog");
  }
  QString ChooseFolder(const QString& start) override {
    log.push_back(QStringLiteral("Ordner"));
    folderStarts.push_back(start);
    return Next(folderChoices, "folder picker");
  }

 private:
  template <typename Choice>
  static Choice Next(std::deque<Choice>& choices, const char* dialog) {
    if (choices.empty()) {
      ADD_FAILURE() << dialog << " without a prepared choice";
      return {};
    }
    Choice choice = choices.front();
    choices.pop_front();
    return choice;
  }
  bool Answer(const QString& entry) {
    log.push_back(entry);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << entry.toStdString();
      return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace morvatex::testing
