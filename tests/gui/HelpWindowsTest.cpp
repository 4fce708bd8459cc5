// The help and about windows, opened from the main window's help menu.
#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <functional>

#include "gui/AboutDialog.h"
#include "gui/HelpTexts.h"
#include "gui/HelpWindow.h"
#include "tests/gui/MainWindowFixture.h"

namespace morvatex::testing {
namespace {

// Records the links that the about window hands to the desktop.
class LinkRecorder : public QObject {
  Q_OBJECT
 public:
  QStringList urls;
 public slots:
  void Open(const QUrl& url) { urls << url.toString(); }
};

class HelpWindowsTest : public MainWindowTest {
 protected:
  AboutDialog* aboutDialog = nullptr;
  HelpWindow* helpWindow = nullptr;

  void SetUp() override {
    // The labels are written at the main window's first show.
    StartWithSettings();
    aboutDialog = &form->About();
    helpWindow = &form->Help();
  }
  // Chooses the menu item and runs `work` while its modal window is shown.
  void While(const char* item, QDialog* window, const std::function<void()>& work) {
    bool ran = false;
    QTimer::singleShot(0, window, [&] {
      ran = window->isVisible();
      work();
      if (window->isVisible()) QTest::keyClick(window, Qt::Key_Escape);
    });
    Action(item)->trigger();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(window->isVisible());
  }
  void ClickLabel(QLabel* label) { QTest::mouseClick(label, Qt::LeftButton); }
};

TEST_F(HelpWindowsTest, ShortDescriptionNamesTheLogFileOfTheRunningProgram) {
  QString shown;
  While("shortDescriptionAction", helpWindow, [&] {
    shown = helpWindow->TextView()->toPlainText();
    QTest::mouseClick(helpWindow->OkButton(), Qt::LeftButton);
  });
  const QString log = QString::fromStdString(LogPath());
  EXPECT_TRUE(shown.startsWith(QStringLiteral("\nMit diesem Programm können Isel- Dateien")));
  EXPECT_TRUE(shown.contains(QStringLiteral("\n  >> ") + log + QStringLiteral(" <<\n")));
  EXPECT_TRUE(shown.contains(QStringLiteral("mehrere Einträge  hinzu (wie \"Add\"),\n")));
  EXPECT_TRUE(shown.endsWith(QStringLiteral("überschrieben wird(!). \n\n")));
  EXPECT_EQ(ShortDescription("C:\\CNC\\prog.log").find("\r\n  >> C:\\CNC\\prog.log <<\r\n") != std::string::npos, true);
  EXPECT_EQ(helpWindow->windowTitle(), QStringLiteral("Hilfe"));
}

TEST_F(HelpWindowsTest, AboutWindowAndItsLinksWithAndWithoutAHandler) {
  While("aboutAction", aboutDialog, [&] {
    EXPECT_EQ(aboutDialog->VersionLabel()->text(), QStringLiteral("Morvatex Ver.: 01.23"));
    EXPECT_EQ(aboutDialog->AuthorLabel()->text(), QStringLiteral("Autor: Morvatex-Team"));
    EXPECT_EQ(aboutDialog->NotesView()->toPlainText().split(QLatin1Char('\n')).size(), 12);
    // No mail or web handler on this machine: nothing is reported.
    ClickLabel(aboutDialog->AuthorMailLabel());
    ClickLabel(aboutDialog->AuthorHomeLabel());
    EXPECT_TRUE(aboutDialog->isVisible());
    QTest::mouseClick(aboutDialog->CloseButton(), Qt::LeftButton);
  });
  EXPECT_TRUE(dialogs.log.empty());

  LinkRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "Open");
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "Open");
  While("aboutAction", aboutDialog, [&] {
    ClickLabel(aboutDialog->AuthorMailLabel());
    ClickLabel(aboutDialog->AuthorHomeLabel());
  });
  QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  EXPECT_EQ(recorder.urls,
            (QStringList{QStringLiteral("mailto:info@morvatex.example"), QStringLiteral("https://morvatex.example/")}));
}

}  // namespace
}  // namespace morvatex::testing

#include "HelpWindowsTest.moc"
