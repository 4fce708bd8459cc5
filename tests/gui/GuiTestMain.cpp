// Entry of the GUI tests: one QApplication for the whole test program.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>

#include <cstdio>

#include <gtest/gtest.h>

namespace {

QtMessageHandler standardHandler = nullptr;

// The offscreen platform warns about every window feature it lacks; those
// warnings say nothing about the program.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QStringLiteral("This plugin does not support"))) return;
  if (standardHandler)
    standardHandler(type, context, message);
  else
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

#ifdef _WIN32
// The offscreen platform on Windows reads its fonts from one folder only,
// by default one beside Qt's libraries that holds none. The windows are
// measured in the font the program uses there, Tahoma: from the system's
// font folder, or under wine (whose own folder stays empty) from wine's.
void UseTheFontFolderWithTahoma() {
  if (qEnvironmentVariableIsSet("QT_QPA_FONTDIR")) return;
  const QString folders[] = {qEnvironmentVariable("WINDIR") + QStringLiteral("/Fonts"),
                             QStringLiteral("Z:/usr/share/wine/fonts")};
  for (const QString& folder : folders) {
    if (QFileInfo::exists(folder + QStringLiteral("/tahoma.ttf"))) {
      qputenv("QT_QPA_FONTDIR", QDir::toNativeSeparators(folder).toLocal8Bit());
      return;
    }
  }
}
#endif

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
#ifdef _WIN32
  UseTheFontFolderWithTahoma();
#endif
  standardHandler = qInstallMessageHandler(QuietMessages);
  QApplication app(argc, argv);
#ifdef _WIN32
  // Qt's FreeType engine hints fully on Windows and so widens wine's Tahoma
  // far beyond what Windows shows ("Abgearbeitet" 69 pixels against the 63
  // of the font's own 8-point bitmaps); its unhinted design widths are the
  // fair stand-in.
  // The offscreen platform's default family, "Sans Serif", is no font of
  // that folder and falls to the first one found (a Courier whose average
  // width reads 1260 pixels): Tahoma is named.
  QFont font = QApplication::font();
  font.setFamily(QStringLiteral("Tahoma"));
  font.setHintingPreference(QFont::PreferNoHinting);
  QApplication::setFont(font);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
