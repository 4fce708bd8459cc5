// The "..." button beside a folder field, shared by the dialogs that name
// folders.
#pragma once

class QLineEdit;
class QPushButton;

namespace morvatex {

class Dialogs;

// Makes `picker` the folder picker of `field`: "..." sized to its text, a
// tool tip, no default button, and a click opens the platform's folder
// picker through `dialogs` at the field's folder; a chosen folder replaces
// the field's text, a cancelled picker leaves it.
void ConnectFolderPicker(QPushButton* picker, QLineEdit* field, Dialogs& dialogs);

}  // namespace morvatex
