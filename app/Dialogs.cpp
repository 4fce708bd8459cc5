#include "app/Dialogs.h"

#include "app/QtText.h"

namespace morvatex {

void DialogMessageSink::ShowMessage(std::string_view text) { dialogs_.Nachricht(ToQString(text)); }

}  // namespace morvatex
