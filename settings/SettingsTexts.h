// The messages and help texts of the settings dialog and the settings and
// profile files, as Windows-1252 bytes with CR LF between lines.
#pragma once

#include <string>
#include <string_view>

namespace morvatex {

// The access code that guards "Übernehmen" and "Profil Öffnen".
inline constexpr std::string_view kAccessCode = "471";

// "Aus Sicherheitsgründen bitte erst das Passwort eingeben !"
std::string_view PasswordMissingText();

// The message of an error number of "Übernehmen" (1..4, 6..10); empty for
// another number.
std::string_view ApplyErrorText(int errorNumber);

// "Beim speichern der Datei" / path / "ist ein Fehler aufgetreten !!"
std::string SaveErrorText(std::string_view path);
// "Beim öffnen der Datei" / path / "ist ein Fehler aufgetreten !!"
std::string OpenErrorText(std::string_view path);

// The dialog's help text (menu "Hilfe"): its lines joined by CR LF, five
// CR LF after the last one.
std::string SettingsHelpText();

}  // namespace morvatex
