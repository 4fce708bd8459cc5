// A main window started as the program starts it, from a program path in a
// fresh temporary folder (so its settings and log files land there), with
// dialogs that the test answers.
#pragma once

#include <QAction>
#include <QStringList>
#include <QTableView>
#include <QTest>

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "base/FileSystem.h"
#include "gui/MainWindow.h"
#include "settings/SettingsFile.h"
#include "tests/gui/FakeDialogs.h"
#include "tests/support/TempDir.h"

namespace morvatex::testing {

class MainWindowTest : public ::testing::Test {
 protected:
  TempDir dir;
  FakeDialogs dialogs;
  RealFileSystem realFs;
  FileSystem* fs = &realFs;
  std::unique_ptr<MainWindow> form;

  std::string ProgramPath() const { return dir.Sub("morvatex"); }
  std::string SettingsPath() const { return dir.Sub("morvatex.set"); }
  std::string LogPath() const { return dir.Sub("morvatex.log"); }

  // A settings record as a new configuration leaves it.
  static SettingsRecord NewSettings() {
    SettingsRecord settings{};
    settings.Version = kSettingsVersion;
    SetNewProfileValues(settings.Profil);
    settings.CNCDINCodeerstellen = true;
    settings.Erstelle2DPolylinien = true;
    return settings;
  }
  void WriteSettings(const SettingsRecord& settings) {
    WriteFileBytes(SettingsPath(), std::string(reinterpret_cast<const char*>(&settings), sizeof settings));
  }
  SettingsRecord ReadSettings() {
    const std::string bytes = ReadFileBytes(SettingsPath());
    SettingsRecord settings{};
    EXPECT_EQ(bytes.size(), sizeof settings);
    std::memcpy(&settings, bytes.data(), std::min(bytes.size(), sizeof settings));
    return settings;
  }

  // Creates the main window (running its start-up) and shows it.
  void Create(const QStringList& parameters = {}) {
    form = std::make_unique<MainWindow>(dialogs, *fs, QString::fromStdString(ProgramPath()), parameters);
  }
  void Start(const QStringList& parameters = {}) {
    Create(parameters);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  // Starts with valid settings already on disk, so no warnings appear.
  void StartWithSettings(const SettingsRecord& settings = NewSettings(), const QStringList& parameters = {}) {
    WriteSettings(settings);
    Start(parameters);
  }

  void TearDown() override {
    if (form) form->Table().SetModified(false);
    form.reset();
  }

  QAction* Action(const char* name) {
    QAction* action = form->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
  }
  QTableView* Grid() { return form->JobView(); }
  // The text the grid shows in a job table cell; row 0 is the header.
  QString Cell(int row, int column) {
    if (row == 0) return Grid()->model()->headerData(column, Qt::Horizontal).toString();
    return Grid()->model()->index(row - 1, column).data().toString();
  }
  QString Row(int row) {
    QStringList cells;
    for (int column = 0; column < 6; ++column) cells << Cell(row, column);
    return cells.join(QLatin1Char('|'));
  }
  // Rows of the grid, header included.
  int GridRows() { return Grid()->model()->rowCount() + 1; }
  void Select(int row, int column) { Grid()->setCurrentIndex(Grid()->model()->index(row - 1, column)); }
  void Key(int key, QWidget* target = nullptr) { QTest::keyClick(target ? target : Grid(), static_cast<Qt::Key>(key)); }

  // Native paths of files in the temporary folder.
  QStringList Files(std::initializer_list<const char*> names) {
    QStringList files;
    for (const char* name : names) files << QString::fromStdString(dir.Sub(name));
    return files;
  }
  // Adds files through the Insert key and an open dialog that chooses them.
  void AddFiles(std::initializer_list<const char*> names) {
    dialogs.fileChoices.push_back(Files(names));
    Key(Qt::Key_Insert);
  }

  // Header, numbered job rows, one empty row at the end: after every change.
  void ExpectTableIntact() {
    const int jobs = form->Table().JobCount();
    ASSERT_EQ(GridRows(), jobs + 2);
    for (int row = 1; row <= jobs; ++row) EXPECT_EQ(Cell(row, 0), QString::number(row));
    EXPECT_EQ(Row(jobs + 1), QStringLiteral("|||||"));
  }
};

}  // namespace morvatex::testing
