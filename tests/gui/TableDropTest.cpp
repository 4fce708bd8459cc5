// Files dropped on the job table, as a file manager drops them.
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "tests/gui/MainWindowFixture.h"

namespace morvatex::testing {
namespace {

constexpr Qt::DropActions kFileManager = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

class DropTest : public MainWindowTest {
 protected:
  void SetUp() override { StartWithSettings(); }

  QString Path(const QString& name) { return QString::fromStdString(dir.Sub(name.toStdString())); }
  // Drags `names` (files in the temporary folder, or addresses with "://")
  // onto the grid and drops them; true when the grid took the drag.
  bool Drop(const QStringList& names, Qt::DropActions actions = kFileManager) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& name : names)
      urls << (name.contains(QStringLiteral("://")) ? QUrl(name) : QUrl::fromLocalFile(Path(name)));
    data.setUrls(urls);
    QWidget* viewport = Grid()->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted()) return false;
    EXPECT_NE(enter.dropAction(), Qt::MoveAction) << "the file manager would delete the file";
    QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    QCoreApplication::processEvents();  // the drop is handled once it has returned
    return drop.isAccepted();
  }
};

TEST_F(DropTest, IselFilesAreAddedAsTheAddCommandAddsThemAndOtherDropsAreRefused) {
  const struct {
    QStringList dropped;
    Qt::DropActions actions;
    QStringList added;  // empty: the drop is refused
  } cases[] = {
      {{"a.ncp", "notiz.txt", "B.NCP", "a.ncp"}, kFileManager, {"a.ncp", "B.NCP", "a.ncp"}},
      {{"a.ncp"}, Qt::LinkAction, {"a.ncp"}},
      {{"a.ncp"}, Qt::MoveAction, {}},
      {{"notiz.txt", "teil.cnc.dxf"}, kFileManager, {}},
      {{"https://example.com/a.ncp"}, kFileManager, {}},
      {{"liste.mvx", "a.ncp"}, kFileManager, {}},
      {{"liste.mvx", "zwei.mvx"}, kFileManager, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dropped.join(QLatin1Char(' ')).toStdString());
    form->Table().ClearJobs();
    form->Table().SetModified(false);
    EXPECT_EQ(Drop(c.dropped, c.actions), !c.added.isEmpty());
    ASSERT_EQ(form->Table().JobCount(), c.added.size());
    for (int row = 1; row <= c.added.size(); ++row) {
      const QString& name = c.added[row - 1];
      const QString target = Path(QFileInfo(name).completeBaseName() + QStringLiteral(".cnc"));  // the folder rule
      EXPECT_EQ(Row(row), QStringLiteral("%1|M|||%2|%3").arg(row).arg(Path(name), target));
    }
    EXPECT_EQ(form->Table().Modified(), !c.added.isEmpty());
  }
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(DropTest, APathOutsideWindows1252IsRefusedWithTheMessageOfItsCommand) {
  const QString polish = QStringLiteral("a") + QChar(0x0142);  // ł
  ASSERT_TRUE(Drop({polish + QStringLiteral(".ncp"), QStringLiteral("b.ncp")}));
  ASSERT_TRUE(Drop({polish + QStringLiteral(".mvx")}));  // refused before the table is asked about or emptied
  EXPECT_EQ(Cell(1, 4) + Cell(2, 4), Path("b.ncp"));
  ASSERT_EQ(dialogs.log.size(), 2u);
  EXPECT_EQ(dialogs.log[0], QStringLiteral("Nachricht: Diese Dateien werden nicht hinzugefügt, weil ihr Pfad "
                                           "Zeichen außerhalb des Zeichensatzes Windows-1252 enthält:\r\n") +
                                Path(polish + QStringLiteral(".ncp")));
  EXPECT_TRUE(dialogs.log[1].startsWith(QStringLiteral("Nachricht: Die Datei\r\n") + Path(polish)));
}

TEST_F(DropTest, ADroppedJobListOpensAfterTheQuestionAboutUnsavedChanges) {
  WriteFileBytes(dir.Sub("liste.mvx"), "[1]\r\nMA\r\nC:\\x.ncp\r\nC:\\x.cnc\r\n[E]\r\n\r\n");
  ASSERT_TRUE(Drop({"a.ncp"}));
  dialogs.answers = {false, true};
  ASSERT_TRUE(Drop({"liste.mvx"}));
  EXPECT_EQ(Cell(1, 4), Path("a.ncp")) << "Cancel keeps the table";
  // Any case of the extension; this file is missing (in any case of its
  // name, as Windows looks it up) and fails as from the dialog.
  ASSERT_TRUE(Drop({"notiz.txt", "FEHLT.MVX"}));
  EXPECT_EQ(GridRows(), 2);
  ASSERT_EQ(dialogs.log.size(), 3u);
  EXPECT_EQ(dialogs.log[2], QStringLiteral("Nachricht: Beim lesen der Datei\r\n\r\n") + Path("FEHLT.MVX") +
                                QStringLiteral("\r\n\r\nist ein Fehler aufgetreten (10) !"));

  ASSERT_TRUE(Drop({"liste.mvx"}));  // no changes: no question
  EXPECT_EQ(Row(1), QStringLiteral("1|M|A||C:\\x.ncp|C:\\x.cnc"));
  EXPECT_EQ(form->Table().ListFile(), dir.Sub("liste.mvx"));
  EXPECT_FALSE(form->Table().Modified());
  EXPECT_EQ(dialogs.log.size(), 3u);
}

TEST_F(DropTest, NothingCanBeDroppedDuringARun) {
  // The drops come when the conversion first lets input through.
  WriteFileBytes(dir.Sub("a.ncp"), "FASTABS X0\r\nMOVEABS X1\r\nMOVEABS X2\r\nMOVEABS X0\r\nPROGEND\r\n");
  ASSERT_TRUE(Drop({"a.ncp"}));
  bool refused = false;
  QTimer::singleShot(0, form.get(), [&] {
    refused = form->IsRunning() && !Drop({"a.ncp"}) && !Drop({"liste.mvx"});
    Key(Qt::Key_Escape);
  });
  Action("startAction")->trigger();
  EXPECT_TRUE(refused);
  EXPECT_EQ(form->Table().JobCount(), 1);
  EXPECT_TRUE(dialogs.log.empty());
}

}  // namespace
}  // namespace morvatex::testing
