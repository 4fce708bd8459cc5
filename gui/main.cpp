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
  morvatex::TForm1 form1(dialogs, fileSystem, QCoreApplication::applicationFilePath(),
                         QCoreApplication::arguments().mid(1));
  morvatex::TFormInfo formInfo;
  morvatex::TFormOrdner formOrdner(dialogs);
  morvatex::TCNCEinstellungen cncEinstellungen(dialogs, fileSystem, form1.LiveEinstellungen());
  morvatex::TForm2 form2;
  form1.SetzeInfofenster(&formInfo);
  form1.SetzeOrdnerDialog(&formOrdner);
  form1.SetzeCNCEinstellungen(&cncEinstellungen);
  form1.SetzeHilfefenster(&form2);
  cncEinstellungen.SetzeHilfefenster(&form2);

  form1.show();
  // Files a file manager opens with the program.
  form1.DateienOeffnen(QCoreApplication::arguments().mid(1));
  return app.exec();
}
