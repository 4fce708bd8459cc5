#include "gui/GermanTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace morvatex {

QTranslator* InstallGermanQtTranslation(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                             QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
  for (const QString& folder : folders) {
    if (translator->load(QStringLiteral("qtbase_de"), folder) && QCoreApplication::installTranslator(translator))
      return translator;
  }
  delete translator;
  return nullptr;
}

}  // namespace morvatex
