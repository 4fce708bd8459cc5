#include "gui/Dialogs.h"

#include "qttext/QtText.h"

namespace morvatex {

void DialogMessageSink::ShowMessage(std::string_view text) { dialogs_.ShowMessage(ToQString(text)); }

}  // namespace morvatex
