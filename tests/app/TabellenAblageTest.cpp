// Files dropped on the job table, as a file manager drops them.
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "bench/ProgramGenerator.h"
#include "tests/app/MainWindowFixture.h"

namespace morvatex::testing {
namespace {

constexpr Qt::DropActions kFileManager = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

class DropTest : public MainWindowTest {
 protected:
  void SetUp() override { StartWithSettings(); }

  QString Path(const QString& name) { return QString::fromStdString(dir.Sub(name.toStdString())); }
  // Drags `names` (files in the temporary folder, or whole addresses with
  // "://") onto the grid and drops them; true when the grid took the drag.
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
    EXPECT_TRUE(drop.isAccepted());
    QCoreApplication::processEvents();  // the drop is handled once it has returned
    return true;
  }
  QStringList Sources() {
    QStringList sources;
    for (int row = 1; row <= form->Tabelle().JobCount(); ++row) sources << Cell(row, 4);
    return sources;
  }
  void WriteList(const char* name, const char* source) {
    WriteFileBytes(dir.Sub(name), std::string("[1]\r\nMA\r\n") + source + "\r\nC:\\x.cnc\r\n[E]\r\n\r\n");
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
    form->Tabelle().TabelleLeeren();
    form->Tabelle().TabelleGeaendert = false;
    EXPECT_EQ(Drop(c.dropped, c.actions), !c.added.isEmpty());
    ASSERT_EQ(form->Tabelle().JobCount(), c.added.size());
    for (int row = 1; row <= c.added.size(); ++row) {
      const QString& name = c.added[row - 1];
      const QString target = Path(QFileInfo(name).completeBaseName() + QStringLiteral(".cnc"));  // the folder rule
      EXPECT_EQ(Row(row), QStringLiteral("%1|M|||%2|%3").arg(row).arg(Path(name), target));
    }
    EXPECT_EQ(form->Tabelle().TabelleGeaendert, !c.added.isEmpty());
    ExpectTableIntact();
  }
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(DropTest, APathOutsideWindows1252IsRefusedWithTheMessageOfItsCommand) {
  const QString polish = QStringLiteral("a") + QChar(0x0142);  // ł
  ASSERT_TRUE(Drop({polish + QStringLiteral(".ncp"), QStringLiteral("b.ncp")}));
  EXPECT_EQ(Sources(), QStringList{Path("b.ncp")});
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0], QStringLiteral("Nachricht: Diese Dateien werden nicht hinzugefügt, weil ihr Pfad "
                                           "Zeichen außerhalb des Zeichensatzes Windows-1252 enthält:\r\n") +
                                Path(polish + QStringLiteral(".ncp")));

  // A list is refused before the unsaved table is asked about or emptied.
  ASSERT_TRUE(Drop({polish + QStringLiteral(".mvx")}));
  ASSERT_EQ(dialogs.log.size(), 2u);
  EXPECT_TRUE(dialogs.log[1].startsWith(QStringLiteral("Nachricht: Die Datei\r\n") + Path(polish)));
  EXPECT_EQ(Sources(), QStringList{Path("b.ncp")});
}

TEST_F(DropTest, ADroppedJobListOpensAfterTheQuestionAboutUnsavedChanges) {
  WriteList("liste.mvx", "C:\\x.ncp");
  ASSERT_TRUE(Drop({"a.ncp"}));
  dialogs.answers = {false};
  ASSERT_TRUE(Drop({"liste.mvx"}));
  EXPECT_EQ(Sources(), QStringList{Path("a.ncp")}) << "Cancel keeps the table";
  EXPECT_TRUE(form->Tabelle().TabelleGeaendert);

  dialogs.answers = {true};
  // The extension in any case; this file is missing, and opening it fails as from the dialog.
  ASSERT_TRUE(Drop({"notiz.txt", "LISTE.MVX"}));
  const QString question =
      QStringLiteral("OK/Abbrechen: Die aktuelle Tabelle wurde noch nicht gespeichert!\r\nTrotzdem fortfahren?");
  const QString failed = QStringLiteral("Nachricht: Beim lesen der Datei\r\n\r\n") + Path("LISTE.MVX") +
                         QStringLiteral("\r\n\r\nist ein Fehler aufgetreten (10) !");
  EXPECT_EQ(dialogs.log, (std::vector<QString>{question, question, failed}));
  EXPECT_EQ(GridRows(), 2) << "a list that cannot be read leaves an empty table, as from its dialog";

  ASSERT_TRUE(Drop({"liste.mvx"}));  // no changes: no question
  EXPECT_EQ(Row(1), QStringLiteral("1|M|A||C:\\x.ncp|C:\\x.cnc"));
  EXPECT_EQ(form->Tabelle().Tabellendatei, dir.Sub("liste.mvx"));
  EXPECT_FALSE(form->Tabelle().TabelleGeaendert);
  EXPECT_EQ(dialogs.log.size(), 3u);
}

TEST_F(DropTest, NothingCanBeDroppedDuringARun) {
  WriteFileBytes(dir.Sub("lang.ncp"), bench::GenerateIselProgram(200'000));
  WriteList("liste.mvx", "C:\\x.ncp");
  ASSERT_TRUE(Drop({"lang.ncp"}));
  QTimer::singleShot(0, form.get(), [this] {
    EXPECT_TRUE(form->LaufAktiv());
    EXPECT_FALSE(Drop({"a.ncp"}));
    EXPECT_FALSE(Drop({"liste.mvx"}));
    Key(Qt::Key_Escape);
  });
  Action("Start1")->trigger();
  EXPECT_EQ(Sources(), QStringList{Path("lang.ncp")});
  EXPECT_TRUE(dialogs.log.empty());
}

}  // namespace
}  // namespace morvatex::testing
