// The settings dialog `SettingsDialog` ("CNC-DIN-Code-Einstellungen"):
// shows the machine profile of the live settings record, applies the
// controls behind the access code, loads and saves profiles and fills the
// controls from the presets. It also holds the choice of the Isel language
// ("Isel-Sprache"), which lives beside the settings file, not in the record
// (settings/DialectChoiceFile.h). The conversions and checks live in
// DialogValues and Presets; this class only moves values between them and
// the widgets.
#pragma once

#include <QDialog>

#include <QMap>
#include <QString>
#include <functional>
#include <string>

#include "base/FileSystem.h"
#include "gui/Dialogs.h"
#include "settings/DialogValues.h"
#include "settings/IselDialect.h"
#include "settings/SettingsRecord.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QVBoxLayout;

namespace morvatex {

enum class Preset;
class HelpWindow;

class SettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  // Edits `live` in place; `dialogs` shows the messages and file dialogs.
  SettingsDialog(Dialogs& dialogs, FileSystem& fs, SettingsRecord& live, QWidget* parent = nullptr);
  ~SettingsDialog() override;

  // The help window that the menu "Hilfe" shows; created after this dialog.
  void SetHelpWindow(HelpWindow* helpWindow) { helpWindow_ = helpWindow; }
  // Where the profile dialogs open (empty: where the last one ended), and
  // whom to tell the folder of a chosen profile file.
  void SetFolderMemory(std::function<QString()> folder, std::function<void(const QString&)> chosen) {
    profileFolder_ = std::move(folder);
    profileChosen_ = std::move(chosen);
  }

  // Takes the Isel language remembered beside `settingsFile` (the original
  // one when none is), and remembers there the one applied from now on;
  // an empty path remembers nothing.
  void UseDialectFile(const std::string& settingsFile);
  // The Isel language applied: the one conversions, checks and previews read.
  IselDialect Dialect() const { return dialect_; }

  // True in editing mode (`IsEditing`), false in viewing mode.
  bool IsEditing() const { return editing_; }

  // The controls' current contents, keyed as DialogValues describes.
  DialogValues Values() const;
  // Puts `values` into the controls (keys without a control are ignored).
  void SetValues(const DialogValues& values);

  // The edit field or check box that edits `setting` ("ZGrenze"); null for
  // another name.
  QLineEdit* EditFor(const QString& setting) const { return edits_.value(setting); }
  QCheckBox* CheckBoxFor(const QString& setting) const { return checks_.value(setting); }
  QButtonGroup* SpecialHandlingButtons() const { return specialHandlingButtons_; }
  // "Isel-Sprache": button 0 "Original", 1 "Erweitert".
  QButtonGroup* DialectButtons() const { return dialectButtons_; }
  QComboBox* ModalExtraBox() const { return modalExtraBox_; }
  // The tool table: column n is Isel tool n, row 0 its number (fixed), row 1
  // the DIN tool number; "Isel:" and "Din:" are the row headers.
  QTableWidget* ToolGrid() const { return toolGrid_; }
  QLineEdit* AccessCodeEdit() const { return accessCodeEdit_; }
  QPushButton* LoadProfileButton() const { return loadProfileButton_; }
  QPushButton* SaveProfileButton() const { return saveProfileButton_; }
  QPushButton* ApplyButton() const { return applyButton_; }
  QPushButton* CloseButton() const { return closeButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  QPushButton* ModalExtraHelpButton() const { return modalExtraHelpButton_; }
  QPushButton* FactorHelpButton() const { return factorHelpButton_; }
  QScrollArea* ScrollArea() const { return scrollArea_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // SettingsDialogLayout.cpp: the groups, the right-hand column and
  // the menus.
  void BuildWidgets();
  void BuildMenu(QMenuBar* bar);
  // Creates `content_` and fills it group by group, in the order shown.
  void BuildScrollArea();
  void BuildTargetFileGroup();
  void BuildSpecialHandlingGroup();  // "Sonderbehandlung für:" (Xilog)
  void BuildDialectGroup();          // "Isel-Sprache:"
  void BuildBlockNumberGroup();
  void BuildFormatGroup();           // also the header and trailer lines
  void BuildSpeedFeedFormatGroup();  // "Sonderausgabeformat S, F:"
  void BuildCoordinateGroup();
  void BuildValueOutputGroup();  // "Erzeuge Werte für:"
  void BuildModalGroup();
  void BuildBlockLayoutGroup();  // "Satzaufbau:"
  void BuildCodeGroup();
  void BuildToolGroup();
  void BuildIselCodeGroup();
  void BuildSpecialCaseGroup();  // "Sonderfälle:", around the Z limit
  // The buttons and the access code right of the scrolling area.
  QVBoxLayout* BuildSideColumn();
  QGroupBox* AddGroup(const QString& caption);
  QLineEdit* AddField(const char* setting, const QString& caption, const char* objectName = nullptr);
  QCheckBox* CheckBoxFor(const char* setting, const QString& caption);

  void PrepareForShow();
  void ShowLiveProfile();
  void SetEditing(bool editing);
  // Focus entering any control of the scrolling area starts editing.
  void StartEditingOnFocus(QWidget* now);
  void ApplyInput();
  // Remembers the language chosen in the dialog, when it is a new one.
  void ApplyDialect();
  void OpenProfileFile();
  void SaveProfileFileAs();
  void ShowModalExtraHelp();  // "?" of the extra modal rule
  void ShowFactorHelp();      // "?" of the output factors
  void ShowHelp();
  // The presets of the menu "Daten" ("Allgemein", "Lösche", "Mach3",
  // "SCM / Xilog") and the two tool table operations.
  void FillGeneralPreset();
  void ClearProfileControls();
  void FillMach3Preset();
  void FillXilogPreset();
  // Writes a preset into the controls and starts editing.
  void FillFromPreset(Preset preset);
  void FillToolTableOneToOne();
  void CopyToolZeroToAllCells();
  // A chosen file's path as Windows-1252; refused with a message otherwise.
  bool ChosenFilePath(const QString& chosen, std::string& path);

  Dialogs& dialogs_;
  FileSystem& fs_;
  SettingsRecord& live_;
  DialogMessageSink messages_;
  std::function<QString()> profileFolder_;
  std::function<void(const QString&)> profileChosen_;
  HelpWindow* helpWindow_ = nullptr;
  bool editing_ = false;
  QMetaObject::Connection focusConnection_;  // the application's focus changes

  QMap<QString, QLineEdit*> edits_;
  QMap<QString, QCheckBox*> checks_;
  QScrollArea* scrollArea_ = nullptr;
  QWidget* content_ = nullptr;  // the scrolled widget holding the groups
  QButtonGroup* specialHandlingButtons_ = nullptr;
  QButtonGroup* dialectButtons_ = nullptr;
  IselDialect dialect_ = IselDialect::kOriginal;
  std::string dialectFilePath_;  // empty: nothing is remembered
  QComboBox* modalExtraBox_ = nullptr;
  QTableWidget* toolGrid_ = nullptr;
  QLineEdit* accessCodeEdit_ = nullptr;
  QPushButton* loadProfileButton_ = nullptr;
  QPushButton* saveProfileButton_ = nullptr;
  QPushButton* applyButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* modalExtraHelpButton_ = nullptr;
  QPushButton* factorHelpButton_ = nullptr;
};

}  // namespace morvatex
