// The desktop program: creates its windows, one of each, and runs the event
// loop, the program's only main loop.
#include <QApplication>

#include <cstdio>

#include "gui/GermanTranslation.h"
#include "gui/QtDialogs.h"
#include "gui/MainWindow.h"
#include "gui/FolderDialog.h"
#include "base/FileSystem.h"
#include "gui/HelpWindow.h"
#include "gui/AboutDialog.h"
#include "gui/SettingsDialog.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Before the first window: the settings warnings may already need buttons.
  if (!morvatex::InstallGermanQtTranslation(app))
    std::fputs("Qt's German translation (qtbase_de) was not found; Qt's own texts stay English.\n", stderr);

  morvatex::RealFileSystem fileSystem;
  morvatex::QtDialogs dialogs;

  // The windows in their fixed order: main window (its start-up runs now),
  // about window, folder dialog, settings dialog, help window.
  morvatex::MainWindow mainWindow(dialogs, fileSystem, QCoreApplication::applicationFilePath(),
                         QCoreApplication::arguments().mid(1));
  morvatex::AboutDialog aboutDialog;
  morvatex::FolderDialog folderDialog(dialogs);
  morvatex::SettingsDialog settingsDialog(dialogs, fileSystem, mainWindow.LiveSettings());
  morvatex::HelpWindow helpWindow;
  mainWindow.SetAboutDialog(&aboutDialog);
  mainWindow.SetFolderDialog(&folderDialog);
  mainWindow.SetSettingsDialog(&settingsDialog);
  mainWindow.SetHelpWindow(&helpWindow);
  settingsDialog.SetHelpWindow(&helpWindow);

  mainWindow.show();
  // Files a file manager opens with the program.
  mainWindow.OpenFiles(QCoreApplication::arguments().mid(1));
  return app.exec();
}
