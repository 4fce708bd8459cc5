// The folder dialog, opened from the main window's menu as the user opens it.
#include "gui/FolderDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>

#include "batch/TargetPath.h"
#include "gui/LabeledEdit.h"
#include "qttext/QtText.h"
#include "tests/gui/MainWindowFixture.h"

namespace morvatex::testing {
namespace {

class FolderDialogTest : public MainWindowTest {
 protected:
  FolderDialog* folderDialog = nullptr;

  void SetUp() override { Open(NewSettings()); }
  void Open(const SettingsRecord& settings) {
    form.reset();
    StartWithSettings(settings);
    folderDialog = &form->Folders();
  }

  // Chooses "Ordnereinstellungen..." and runs `work` while the dialog is
  // shown; `work` has to close it.
  void WithDialog(const std::function<void()>& work) {
    bool ran = false;
    QTimer::singleShot(0, folderDialog, [&] {
      ran = true;
      EXPECT_TRUE(folderDialog->isVisible());
      work();
      if (folderDialog->isVisible()) {
        ADD_FAILURE() << "the dialog is still open";
        folderDialog->reject();
      }
    });
    Action("folderDialogAction")->trigger();
    EXPECT_TRUE(ran);
  }

  QLineEdit* SourceField() { return folderDialog->SourceEdit()->Edit(); }
  QLineEdit* TargetField() { return folderDialog->TargetEdit()->Edit(); }
  // Replaces the field's text by typing; characters beyond ASCII arrive as
  // the text of a key event, as an input method delivers them.
  void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (QChar c : text) {
      if (c.unicode() < 0x80) {
        QTest::keyClick(edit, c.toLatin1());
      } else {
        QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
      }
    }
  }
  // Clicks the item's round button, at its left end.
  void Pick(int item) {
    QAbstractButton* button = folderDialog->RuleButtons()->button(item);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  }
  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  // Enabled state of the source and the target field, as "QZ", "-Z" or "--".
  QString Enabled() {
    return QString(folderDialog->SourceEdit()->isEnabled() ? QLatin1Char('Q') : QLatin1Char('-')) +
           (folderDialog->TargetEdit()->isEnabled() ? QLatin1Char('Z') : QLatin1Char('-'));
  }

  QString Native(const char* name) { return QString::fromStdString(dir.Sub(name)); }
  // A typed folder text as it is stored: with the separators of the paths
  // the file dialogs give.
  static std::string Stored(std::string typed) {
#ifdef _WIN32
    std::replace(typed.begin(), typed.end(), '/', '\\');
#endif
    return typed;
  }
};

TEST_F(FolderDialogTest, ShowsTheStoredSettingsAndEnablesTheFieldsTheRuleUses) {
  SettingsRecord settings = NewSettings();
  settings.Quelle.Assign("/cnc/NCP");
  settings.Ziel.Assign("/cnc/DXF");
  settings.Zielordner = 1;
  Open(settings);
  const std::string fileBefore = ReadFileBytes(SettingsPath());
  WithDialog([&] {
    EXPECT_EQ(SourceField()->text(), QStringLiteral("/cnc/NCP"));
    EXPECT_EQ(TargetField()->text(), QStringLiteral("/cnc/DXF"));
    EXPECT_TRUE(folderDialog->RuleButtons()->button(1)->isChecked());
    EXPECT_EQ(Enabled(), QStringLiteral("-Z"));
    Pick(0);
    EXPECT_EQ(Enabled(), QStringLiteral("--"));
    Pick(2);
    EXPECT_EQ(Enabled(), QStringLiteral("QZ"));
    Pick(1);
    EXPECT_EQ(Enabled(), QStringLiteral("-Z"));
    EXPECT_EQ(SourceField()->text(), QStringLiteral("/cnc/NCP"));  // disabled fields keep their text
    Pick(2);
    Type(TargetField(), QStringLiteral("/elsewhere"));
    Click(folderDialog->CancelButton());
  });
  EXPECT_FALSE(folderDialog->WasSaved());
  EXPECT_EQ(form->LiveSettings().Ziel.Text(), "/cnc/DXF");
  EXPECT_EQ(form->LiveSettings().Zielordner, 1);
  EXPECT_EQ(ReadFileBytes(SettingsPath()), fileBefore);
}

TEST_F(FolderDialogTest, SavingStoresTheFoldersAndTheRuleAndWritesTheFileAtOnce) {
  dialogs.fileChoices.push_back(Files({"before.ncp"}));
  Action("addIselFilesAction")->trigger();
  const QString root = QString::fromStdString(dir.Path().string());
  WithDialog([&] {
    EXPECT_EQ(Enabled(), QStringLiteral("--"));
    Pick(2);
    Type(SourceField(), root + QStringLiteral("/NCP"));
    Type(TargetField(), root + QStringLiteral("/DXF"));
    Click(folderDialog->SaveButton());
  });
  EXPECT_TRUE(folderDialog->WasSaved());
  const SettingsRecord stored = ReadSettings();
  EXPECT_EQ(stored.Quelle.Text(), dir.Sub("NCP"));
  EXPECT_EQ(stored.Ziel.Text(), dir.Sub("DXF"));
  EXPECT_EQ(stored.Zielordner, 2);
  EXPECT_EQ(form->LiveSettings().Zielordner, 2);
  EXPECT_EQ(dialogs.log.size(), 1u);

  // Rows added before keep their targets; new rows follow the new rule.
  dialogs.fileChoices.push_back({QDir::toNativeSeparators(root + QStringLiteral("/NCP/KundeXYZ/Teil.NCP")),
                                 QDir::toNativeSeparators(root + QStringLiteral("/x/T.ncp"))});
  Action("addIselFilesAction")->trigger();
  EXPECT_EQ(Cell(1, 5), Native("before.cnc"));
  EXPECT_EQ(Cell(2, 5), QDir::toNativeSeparators(root + QStringLiteral("/DXF/kundexyz/Teil.cnc")));
  EXPECT_EQ(Cell(3, 5), QDir::toNativeSeparators(root + QStringLiteral("/DXF/T.cnc")));
}

TEST_F(FolderDialogTest, EscapeClosesWithoutTakingAnythingAndTheFlagIsClearedAtEveryShow) {
  WithDialog([&] {
    Pick(1);
    Click(folderDialog->SaveButton());
  });
  EXPECT_TRUE(folderDialog->WasSaved());
  WithDialog([&] {
    EXPECT_FALSE(folderDialog->WasSaved());
    Pick(2);
    QTest::keyClick(folderDialog, Qt::Key_Escape);
  });
  EXPECT_FALSE(folderDialog->WasSaved());
  EXPECT_EQ(form->LiveSettings().Zielordner, 1);
  EXPECT_EQ(ReadSettings().Zielordner, 1);
}

TEST_F(FolderDialogTest, HelpShowsTheExamplesInThisPlatformsPathStyle) {
  WithDialog([&] {
    Click(folderDialog->HelpButton());
    EXPECT_TRUE(folderDialog->isVisible());
    Click(folderDialog->CancelButton());
  });
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0], QStringLiteral("Nachricht: ") + ToQString(FolderHelpText()));
  EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("C:\\CNC\\NCP\\KundeXYZ\\TeilXYZ.NCP")));
}

TEST_F(FolderDialogTest, AFolderTextOutsideWindows1252IsRefusedAndTheDialogStaysOpen) {
  const QString polish = QStringLiteral("/teile/") + QChar(0x0142);
  WithDialog([&] {
    Pick(1);
    Type(TargetField(), polish);
    EXPECT_EQ(TargetField()->text(), polish);
    Click(folderDialog->SaveButton());
    EXPECT_TRUE(folderDialog->isVisible());
    Type(TargetField(), QStringLiteral("/teile/\u00E4\u20AC"));  // ä and € belong to the code page
    Click(folderDialog->SaveButton());
  });
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0], QStringLiteral("Nachricht: Der Ordner\r\n") + polish +
                                QStringLiteral("\r\nenthält Zeichen außerhalb des Zeichensatzes Windows-1252 und "
                                               "kann nicht gespeichert werden."));
  EXPECT_EQ(form->LiveSettings().Ziel.Text(), Stored("/teile/\xE4\x80"));
}

TEST_F(FolderDialogTest, AnUnknownStoredRuleSelectsNoItemAndCountsAsRuleZero) {
  SettingsRecord settings = NewSettings();
  settings.Zielordner = 7;
  Open(settings);
  WithDialog([&] {
    EXPECT_EQ(folderDialog->RuleButtons()->checkedId(), -1);
    EXPECT_EQ(Enabled(), QStringLiteral("--"));
    SourceField()->setText(QStringLiteral("/q"));  // disabled fields are stored too
    Click(folderDialog->SaveButton());
  });
  EXPECT_EQ(form->LiveSettings().Zielordner, 0);
  EXPECT_EQ(form->LiveSettings().Quelle.Text(), Stored("/q"));
}

TEST_F(FolderDialogTest, AFolderTextLongerThan255CharactersIsCut) {
  const QString longText = QStringLiteral("/") + QString(300, QLatin1Char('x'));
  WithDialog([&] {
    TargetField()->setText(longText);
    Click(folderDialog->SaveButton());
  });
  EXPECT_EQ(form->LiveSettings().Ziel.Text(), Stored(longText.left(255).toStdString()));
  EXPECT_EQ(ReadSettings().Ziel.length, 255);
}

}  // namespace
}  // namespace morvatex::testing
