// Qt's own texts (standard buttons, file dialogs) in German, to match the
// program's German interface.
#pragma once

class QCoreApplication;
class QTranslator;

namespace morvatex {

// Loads Qt's German translation ("qtbase_de") from Qt's translation folder,
// or else from a "translations" folder beside the program, and installs it
// into `app`, which owns it. Returns the installed translator, or null when
// no translation was found (Qt's texts then stay English).
QTranslator* InstallGermanQtTranslation(QCoreApplication& app);

}  // namespace morvatex
