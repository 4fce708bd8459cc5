// The desktop program: creates the main window, which creates the others,
// one of each, and runs the event loop, the program's only main loop.
#include <QApplication>

#include <cstdio>

#include "base/FileSystem.h"
#include "gui/GermanTranslation.h"
#include "gui/MainWindow.h"
#include "gui/ProgramIcon.h"
#include "gui/QtDialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The icon of every window, and the desktop file by which a Wayland
  // desktop finds the icon of the running program.
  QApplication::setWindowIcon(morvatex::ProgramIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("morvatex"));
  // Before the first window: the settings warnings may already need buttons.
  if (!morvatex::InstallGermanQtTranslation(app))
    std::fputs("Qt's German translation (qtbase_de) was not found; Qt's own texts stay English.\n", stderr);

  morvatex::RealFileSystem fileSystem;
  morvatex::QtDialogs dialogs;

  // The main window runs its start-up, then creates the windows it opens.
  morvatex::MainWindow mainWindow(dialogs, fileSystem, QCoreApplication::applicationFilePath(),
                                  QCoreApplication::arguments().mid(1));
  mainWindow.show();
  // Files a file manager opens with the program.
  mainWindow.OpenFiles(QCoreApplication::arguments().mid(1));
  return app.exec();
}
